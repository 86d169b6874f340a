// The palette and the font in force on every part of the window. Appearance decides which ones;
// the editor applies them to the text and the status bar; these handlers call the two in order.
#pragma once

#include <windows.h>

void ApplyTheme();
// Theme mode 0 follows the system, 1 is light, 2 is dark.
void SetThemeMode(int mode);
// System mode follows every settings broadcast; every mode follows high contrast going on or
// off, and another contrast theme's colours.
void OnSettingChange(WPARAM wParam);
void OnSysColorChange();
void OnDpiChanged(WPARAM wParam, LPARAM lParam);
