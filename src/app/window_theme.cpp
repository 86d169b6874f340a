#include "app/window_theme.h"

#include "appearance/dpi.h"
#include "appearance/theme.h"
#include "base/app_state.h"
#include "editor/edit_control.h"
#include "editor/status_bar.h"

void ApplyTheme()
{
    ResolveDarkMode();
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

void OnSettingChange()
{
    if (g_app.themeMode == 0) ApplyTheme();
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
