#include "tray/tray.h"

#include "app/app_state.h"

NOTIFYICONDATAW InitialTrayIconData()
{
    NOTIFYICONDATAW data = {};
    return data;
}

int OnSysCommand(WPARAM) { return 0; }
void OnTrayIcon(LPARAM) {}
void RemoveTrayIcon() {}
void MinimizeToTray() {}
void RestoreFromTray() {}
