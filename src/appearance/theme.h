#pragma once

#include <windows.h>

// The edit control's palette for the light (dark = false) or dark theme.
struct EditPalette {
    COLORREF background;
    COLORREF text;
};
EditPalette EditPaletteFor(bool dark);

// Whether the dark palette is in force for a theme mode (0 system, 1 light, 2 dark),
// given whether the system's applications are dark.
bool DarkForMode(int themeMode, bool systemDark);

void ApplyTheme();
void SetThemeMode(int mode);
void OnSettingChange();
void CheckThemeMenuItem();
void ApplyEditColors();
// The palette and the text font for one control, keeping its modify flag and event mask.
void ApplyEditColorsTo(HWND edit);
void ResolveDarkMode();
int QuerySystemDarkMode();
void ApplyTitleBarTheme();
