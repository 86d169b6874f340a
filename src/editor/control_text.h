// The form whole texts are handed to the text control in, without a window.
#pragma once

#include <cstddef>

// Copies the next units of text[pos, length) into out (room units, at least 2) in the form the
// control is given them, advances pos and returns the number of units written. A CR not
// followed by LF goes in as CR LF: the control reads CR CR LF as a soft break (a space) and
// would join the two lines. The units never end between CR and LF (two breaks) or between
// the halves of a surrogate pair, so the text can be handed over in any number of pieces.
size_t NextControlChunk(const wchar_t* text, size_t length, size_t& pos, wchar_t* out, size_t room);

// The units at the start of text[0, length) that fill a first screen of `rows` rows: up to and
// including the rows-th line break (CR LF, CR and LF each end a line), or about `most` units,
// whichever comes first. Never ends between CR and LF or between the halves of a surrogate pair.
size_t FirstScreenUnits(const wchar_t* text, size_t length, size_t rows, size_t most);

// Whether a line of text[0, length) is longer than `units`, a tab counting as 8 (CR LF, CR and
// LF end lines): whether an unwrapped control that shows `units` average characters across
// needs its horizontal scroll bar.
bool HasLineLongerThan(const wchar_t* text, size_t length, size_t units);
