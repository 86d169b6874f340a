#pragma once

#include <windows.h>

inline constexpr DWORD kEditStyleWrapped = 0x50200144;   // child, visible, vscroll, no-hide-sel, autovscroll, multiline
inline constexpr DWORD kEditStyleUnwrapped = 0x503001C4; // the same with hscroll and autohscroll

// Creates a RichEdit control with the styles for `wordWrap` and the text limit lifted.
// Returns null when the control cannot be created.
HWND CreateEditControl(HWND parent, int wordWrap, int x, int y, int width, int height);

// A buffer of at least `units` UTF-16 units for a copy of the control's whole text, kept
// for the run: the status counts and Save fill it again and again, and a fresh block for a
// large document would fault in every page of it each time. Null when it cannot grow; the
// contents do not survive the next call.
wchar_t* TextCopyBuffer(size_t units);
void FreeTextCopyBuffer();
