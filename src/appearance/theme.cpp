// Which palette is in force, and the title bar that follows it. The text and the status bar
// take the palette as values: the editor applies it to its own controls.
#include "appearance/theme.h"

#include "appearance/high_contrast.h"
#include "base/app_state.h"
#include "base/handles.h"

EditPalette EditPaletteFor(bool dark)
{
    return dark ? EditPalette{RGB(30, 30, 30), RGB(220, 220, 220)} : EditPalette{RGB(255, 255, 255), RGB(0, 0, 0)};
}

bool DarkForMode(int themeMode, bool systemDark)
{
    if (themeMode == 1) return false;
    if (themeMode == 2) return true;
    return systemDark;
}

Palette PaletteFor(bool highContrast, int themeMode, bool systemDark)
{
    if (highContrast) return Palette::System;
    return DarkForMode(themeMode, systemDark) ? Palette::Dark : Palette::Light;
}

EditPalette EditPaletteInForce()
{
    if (g_app.highContrast) return EditPalette{GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)};
    return EditPaletteFor(g_app.darkActive != 0);
}

int QuerySystemDarkMode()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD value = 0;
    DWORD type = 0;
    DWORD cb = sizeof(value);
    const LSTATUS status =
        RegQueryValueExW(key, L"AppsUseLightTheme", nullptr, &type, reinterpret_cast<BYTE*>(&value), &cb);
    RegCloseKey(key);
    // Missing, unreadable or oversized counts as light.
    if (status != ERROR_SUCCESS) return 0;
    return value == 0 ? 1 : 0;
}

void ResolvePalette()
{
    const bool contrast = HighContrastOn();
    // The registry is read only where its answer counts.
    const bool systemDark =
        !contrast && g_app.themeMode != 1 && g_app.themeMode != 2 && QuerySystemDarkMode() != 0;
    const Palette palette = PaletteFor(contrast, g_app.themeMode, systemDark);
    g_app.highContrast = palette == Palette::System ? 1 : 0;
    g_app.darkActive = palette == Palette::Dark ? 1 : 0;
}

void ApplyTitleBarTheme()
{
    // Looked up at each use: older systems have no such function.
    UniqueModule dwm(LoadLibraryW(L"dwmapi.dll"));
    if (!dwm.get()) return;
    using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    const auto set = reinterpret_cast<SetAttribute>(
        reinterpret_cast<void*>(GetProcAddress(dwm.get(), "DwmSetWindowAttribute")));
    if (!set) return;
    // Never dark under high contrast: the contrast theme draws the caption.
    const int dark = g_app.darkActive;
    const int mainWindowBackdrop = 2;
    const int one = 1;
    // Each result is ignored: an attribute the running system rejects must not stop the others.
    set(g_app.hwndMain, 20, &dark, sizeof(dark));                            // immersive dark mode
    set(g_app.hwndMain, 19, &dark, sizeof(dark));                            // the same, earlier Windows 10
    set(g_app.hwndMain, 38, &mainWindowBackdrop, sizeof(mainWindowBackdrop)); // system backdrop
    set(g_app.hwndMain, 1029, &one, sizeof(one));
}

void CheckThemeMenuItem()
{
    HMENU menu = GetMenu(g_app.hwndMain);
    if (!menu) return;
    CheckMenuRadioItem(menu, ID_THEME_SYSTEM, ID_THEME_DARK, ID_THEME_SYSTEM + static_cast<UINT>(g_app.themeMode),
                       MF_BYCOMMAND);
    // Greyed, not removed: the choice and its mark come back when high contrast goes off.
    const UINT state = g_app.highContrast ? MF_GRAYED : MF_ENABLED;
    for (UINT id = ID_THEME_SYSTEM; id <= ID_THEME_DARK; ++id) EnableMenuItem(menu, id, MF_BYCOMMAND | state);
}
