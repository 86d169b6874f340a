// Which edits the text control makes itself and which the program makes as a load puts a file in,
// without a window.
#pragma once

#include <cstddef>
#include <cstdint>

enum class EditKind {
    None,   // the key changes nothing the program makes itself
    Delete, // Delete or Backspace (with or without Ctrl): the selection goes
    Cut,
    Paste,
    Undo,
    Redo,
    Type, // the selection gives way to `unit` (CR for Enter)
};

struct EditKey {
    EditKind kind = EditKind::None;
    wchar_t unit = 0;
};

// What a WM_KEYDOWN or WM_CHAR handed to the text control does to the text, with the modifiers
// held. Ctrl with Alt (AltGr) never reaches the control's editing keys.
EditKey EditKeyFor(unsigned message, uintptr_t key, bool ctrl, bool alt, bool shift);

// About how long the control takes over an edit, in milliseconds: one that removes the line
// breaks of `rowsRemoved` rows and puts in `unitsInserted` units with `breaksInserted` line breaks,
// in a document of `documentRows` rows. Measured under Wine: each row removed costs about 150 ns
// per row of the document, each line break put in 40 ns per row, each unit about 1 us.
double EditMilliseconds(size_t rowsRemoved, size_t breaksInserted, size_t unitsInserted, size_t documentRows);

// Edits the control would take longer over go in as a load does: a freeze this long is noticed,
// and shorter ones cost less than putting the whole text in again.
inline constexpr double kBigEditMs = 200.0;
bool EditIsBig(size_t rowsRemoved, size_t breaksInserted, size_t unitsInserted, size_t documentRows);

// Writes text[0, length) into out (room for length units) with each line break as the control
// counts it, one CR for one position (CR LF, a lone CR and a lone LF alike); returns the units.
size_t ToPositionForm(const wchar_t* text, size_t length, wchar_t* out);
