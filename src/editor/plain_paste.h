#pragma once

#include <windows.h>

// Puts the clipboard's Unicode text in place of the control's selection, one step for Undo,
// with its line breaks read as Open reads them. Nothing while the control is read-only.
void PastePlainText(HWND edit);
