// Minimise to the notification area: Shift+minimise hides the window behind an icon.
#include "tray/tray.h"

#include "base/app_state.h"
#include "base/messages.h"

NOTIFYICONDATAW InitialTrayIconData()
{
    NOTIFYICONDATAW data = {};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE; // 168: the record up to the 64-unit tip
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYICON;
    lstrcpynW(data.szTip, L"Jotwell", 64);
    return data;
}

int OnSysCommand(WPARAM wParam)
{
    if ((wParam & 0xFFF0) == SC_MINIMIZE && (GetKeyState(VK_SHIFT) & 0x8000)) {
        // Consumed even when the icon could not be added: Shift+minimise never minimises.
        MinimizeToTray();
        return 1;
    }
    return 0;
}

void MinimizeToTray()
{
    if (g_app.inTray) return;
    g_app.trayIconData.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    g_app.trayIconData.hWnd = g_app.hwndMain;
    if (!Shell_NotifyIconW(NIM_ADD, &g_app.trayIconData)) return;
    g_app.inTray = 1;
    ShowWindow(g_app.hwndMain, SW_HIDE);
}

// Shows the window again once its icon is gone.
static void LeaveTray()
{
    g_app.inTray = 0;
    ShowWindow(g_app.hwndMain, SW_RESTORE);
    SetForegroundWindow(g_app.hwndMain);
}

void RestoreFromTray()
{
    if (!g_app.inTray) return;
    Shell_NotifyIconW(NIM_DELETE, &g_app.trayIconData);
    LeaveTray();
}

void OnTaskbarCreated()
{
    if (!g_app.inTray) return;
    // Without its icon the hidden window could not be reached at all.
    if (!Shell_NotifyIconW(NIM_ADD, &g_app.trayIconData)) LeaveTray();
}

// The icon's right-click menu; returns the chosen command, 0 when dismissed.
static UINT TrackTrayMenu()
{
    HMENU menu = CreatePopupMenu();
    if (!menu) return 0;
    AppendMenuW(menu, MF_STRING, ID_TRAY_RESTORE, L"&Restore");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, ID_TRAY_EXIT, L"E&xit");
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(g_app.hwndMain);
    POINT at = {};
    GetCursorPos(&at);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, g_app.hwndMain, nullptr));
    DestroyMenu(menu);
    PostMessageW(g_app.hwndMain, WM_NULL, 0, 0);
    return chosen;
}

// While a dialog of ours is up, the icon only brings it to the front: its Exit would ask a
// second question, and a No there would destroy the window under the first.
static bool ModalUp(UINT mouseMessage)
{
    if (!ModalDialogUp()) return false;
    if (mouseMessage == WM_LBUTTONDBLCLK || mouseMessage == WM_RBUTTONUP) BringModalToFront();
    return true;
}

void OnTrayIcon(LPARAM lParam)
{
    const UINT mouseMessage = LOWORD(lParam);
    if (ModalUp(mouseMessage)) return;
    switch (mouseMessage) {
    case WM_LBUTTONDBLCLK: RestoreFromTray(); break;
    case WM_RBUTTONUP: {
        const UINT chosen = TrackTrayMenu();
        // A dialog may have come up while the menu was open (a close from outside).
        if (ModalUp(WM_RBUTTONUP)) break;
        switch (chosen) {
        case ID_TRAY_RESTORE: RestoreFromTray(); break;
        case ID_TRAY_EXIT:
            // Shown again first, so that the unsaved-changes question has a window to belong to.
            RestoreFromTray();
            SendMessageW(g_app.hwndMain, WM_CLOSE, 0, 0);
            break;
        default: break;
        }
        break;
    }
    default: break;
    }
}

void RemoveTrayIcon()
{
    if (!g_app.inTray) return;
    Shell_NotifyIconW(NIM_DELETE, &g_app.trayIconData);
    g_app.inTray = 0;
}
