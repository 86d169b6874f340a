#pragma once

#include <windows.h>

inline constexpr DWORD kEditStyleWrapped = 0x50200144;   // child, visible, vscroll, no-hide-sel, autovscroll, multiline
inline constexpr DWORD kEditStyleUnwrapped = 0x503001C4; // the same with hscroll and autohscroll

// Creates a RichEdit control with the styles for `wordWrap` and the text limit lifted.
// Returns null when the control cannot be created.
HWND CreateEditControl(HWND parent, int wordWrap, int x, int y, int width, int height);
