#pragma once

#include <windows.h>

// Non-zero when the system command was handled (Shift+minimise).
int OnSysCommand(WPARAM wParam);
void OnTrayIcon(LPARAM lParam);
void RemoveTrayIcon();
void MinimizeToTray();
void RestoreFromTray();
// The notification area has restarted and lost every icon.
void OnTaskbarCreated();
