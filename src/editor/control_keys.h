// Which key-downs the text control may act on, without a window.
#pragma once

#include <cstdint>

enum class ControlKey {
    Pass,  // the control handles the key as it is
    Drop,  // the control never sees it
    Paste, // the clipboard's plain text goes in instead
    Enter, // the control sees Enter without Shift
};

// What becomes of a WM_KEYDOWN of virtual key `key` with the given modifiers held. Of the Ctrl
// chords only the editing and moving keys reach the control: its others change how the text
// looks (alignment, line spacing, bold, font size...), which plain text has no room for. With
// Alt as well (AltGr on many keyboards) none does, so that typing an AltGr character never
// pastes, cuts or deletes. Ctrl+V and Shift+Insert paste plain text. Shift+Enter is Enter: the
// control's soft line break would be saved as a space.
ControlKey ControlKeyFor(uintptr_t key, bool ctrl, bool alt, bool shift);
