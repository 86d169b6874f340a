// The floor the benchmarks measure against: a bare RichEdit20W control with its text limit
// lifted, in a minimal window, with no status bar, no notifications and no theme.
#pragma once

#include <windows.h>

// Creates the minimal window and its control, shown and painted; returns the control.
HWND CreateFloorWindow();
void DestroyFloorWindow();
// Handles every queued message (painting included) the ordinary way.
void PumpFloor();
