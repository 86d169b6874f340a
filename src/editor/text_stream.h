// Whole texts into the control. Under Wine the control's WM_SETTEXT costs far more than the
// text's length (2 M characters of mixed text: about a minute); streaming stays linear.
#pragma once

#include <windows.h>

#include <cstddef>

// Replaces the control's whole text with text[0, length), in the form NextControlChunk gives
// it. While this runs longer than about half a second, the status bar shows `label` and how
// far it has come. True when the control holds all of it; false leaves it holding a part.
bool StreamTextIn(HWND edit, const wchar_t* text, size_t length, const wchar_t* label);
