#pragma once

#include <windows.h>
#include <richedit.h>

#include <cstddef>

inline constexpr DWORD kEditStyleWrapped = 0x50200144;   // child, visible, vscroll, no-hide-sel, autovscroll, multiline
inline constexpr DWORD kEditStyleUnwrapped = 0x503001C4; // the same with hscroll and autohscroll

// The palette in force and the text font on the document's control, or on one control, keeping
// its modify flag and event mask; the colouring never enters the undo history. The document's
// control is left alone when it already has those colours and that font.
void ApplyEditColors();
void ApplyEditColorsTo(HWND edit);

// Creates a RichEdit control with the styles for `wordWrap` and the text limit lifted.
// Returns null when the control cannot be created.
HWND CreateEditControl(HWND parent, int wordWrap, int x, int y, int width, int height);

// A new control for a document in place of the current one: the styles for `wordWrap` at the
// current control's size, the text font, the palette and `format` (the recorded font
// attributes, when given). It shows nothing until it takes the old one's place (StartTextLoad).
// Null when it cannot be created.
//
// Every new document goes into a new control because under Wine clearing a control costs far
// more than its text's length: 400 k characters took 31 s to clear (16 s to stream over) and
// 40 ms to destroy with their control.
HWND CreateDocumentControl(int wordWrap, const CHARFORMAT2W* format);

// Brings the caret into view (EM_SCROLLCARET).
void ScrollCaretIntoView(HWND edit);

// Selects from `anchor` to `to` with `to` the end that Shift and the arrow keys move, also when it
// comes first. EM_EXSETSEL takes that order on Windows; Wine's control puts the moving end last
// whatever the order, and takes it first only from a Shift+click, which is made here when the
// control has the focus (without it, no key moves the selection anyway).
void SelectFromAnchor(HWND edit, LONG anchor, LONG to);
