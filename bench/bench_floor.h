// The floor the benchmarks measure against: a bare RichEdit20W control with its text limit
// lifted, in a minimal window, with no status bar, no notifications and no theme.
#pragma once

#include <windows.h>

// Creates the minimal window and its control, shown and painted; returns the control.
HWND CreateFloorWindow();
void DestroyFloorWindow();
// Handles every queued message (painting included) the ordinary way.
void PumpFloor();

// The floor's way of putting a whole text in: EM_STREAMIN (SF_TEXT | SF_UNICODE), in the pieces
// the control asks for, none ending between CR and LF or inside a surrogate pair.
void FloorStreamIn(HWND edit, const wchar_t* text, size_t length);
// The whole text out again with EM_STREAMOUT (SF_TEXT | SF_UNICODE), into out.
void FloorStreamOut(HWND edit, wchar_t*& out, size_t& length);
// Creates a control with the given style in the floor's window and makes it the floor's
// control; the old one stays until DestroyWindow.
HWND CreateFloorControl(DWORD style);
