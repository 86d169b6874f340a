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

// Which palette the window takes. While high contrast is on, the system's colours win over
// every theme mode; the mode is kept for when it goes off.
enum class Palette { Light, Dark, System };
Palette PaletteFor(bool highContrast, int themeMode, bool systemDark);

// The text area's colours of the palette in force: for the system's, COLOR_WINDOW and
// COLOR_WINDOWTEXT as they are now.
EditPalette EditPaletteInForce();

// The Theme items' radio mark, and their greying while high contrast is on.
void CheckThemeMenuItem();
// Sets highContrast and darkActive from the system's contrast setting, the theme mode and,
// in system mode, the system's setting.
void ResolvePalette();
int QuerySystemDarkMode();
void ApplyTitleBarTheme();
