#include "app/window_theme.h"

#include "appearance/dpi.h"
#include "appearance/theme.h"
#include "base/app_state.h"
#include "editor/edit_control.h"
#include "editor/status_bar.h"

void ApplyTheme()
{
    ResolvePalette();
    ApplyTitleBarTheme();
    RefreshDpi();
    ApplyEditColors();
    UpdateStatusBrush();
    if (g_app.hwndStatus) UpdateStatusBar();
    InvalidateRect(g_app.hwndMain, nullptr, TRUE);
}

void SetThemeMode(int mode)
{
    g_app.themeMode = mode;
    ApplyTheme();
}

void OnSettingChange(WPARAM wParam)
{
    if (g_app.themeMode == 0 || wParam == SPI_SETHIGHCONTRAST) ApplyTheme();
}

void OnSysColorChange()
{
    // Common controls keep their own copy of the system's colours.
    if (g_app.hwndStatus) SendMessageW(g_app.hwndStatus, WM_SYSCOLORCHANGE, 0, 0);
    ApplyTheme();
}

void OnDpiChanged(WPARAM wParam, LPARAM lParam)
{
    const UINT dpi = LOWORD(wParam);
    CreateEditFont(dpi);
    g_app.currentDpi = dpi;
    ApplyEditColors();
    if (const RECT* proposed = reinterpret_cast<const RECT*>(lParam)) {
        SetWindowPos(g_app.hwndMain, nullptr, proposed->left, proposed->top, proposed->right - proposed->left,
                     proposed->bottom - proposed->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}
