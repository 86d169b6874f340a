#pragma once

#include <windows.h>

// Puts the clipboard's Unicode text in place of the control's selection, one step for Undo.
void PastePlainText(HWND edit);
