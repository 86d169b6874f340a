// The keyboard shortcuts that the message loop recognises before translation.
#pragma once

#include <cstdint>

enum class Shortcut {
    None,
    SelectAll,
    New,
    Open,
    Save,
    SaveAs,
    Print,
    Find,
    Replace,
    FindNext,
    FindPrevious,
};

// The command a WM_KEYDOWN of virtual key `key` runs with the given modifiers
// down, or Shortcut::None when the key is not a shortcut under these modifiers.
Shortcut MatchShortcut(uintptr_t key, bool ctrl, bool alt, bool shift);

// The menu command a shortcut runs (its WM_COMMAND id), 0 for none.
unsigned ShortcutCommand(Shortcut shortcut);
