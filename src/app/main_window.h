#pragma once

#include <windows.h>

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Runs a menu command (its WM_COMMAND id), as the menu and the shortcuts do: one that needs the
// whole text first waits for the rest of a text still arriving.
void RunCommand(UINT id);
