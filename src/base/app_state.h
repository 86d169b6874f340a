// The one process-wide record of Jotwell's state, and the identifiers every subsystem shares.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include "base/command_ids.h"

#include <cstdint>

// The tray icon's own menu; these never arrive as WM_COMMAND.
inline constexpr UINT ID_TRAY_RESTORE = 6001;
inline constexpr UINT ID_TRAY_EXIT = 6002;

// Child controls of the main window.
inline constexpr int IDC_EDIT = 100;
inline constexpr int IDC_STATUS = 101;

inline constexpr UINT WM_TRAYICON = WM_APP + 1;

inline constexpr int kPathChars = 260;
inline constexpr int kStatusChars = 512;
inline constexpr int kSearchChars = 256;

// The record the tray icon is added and removed with (filled in by the tray code).
NOTIFYICONDATAW InitialTrayIconData();

// A key the loop is about to hand to the text control that would add or remove the one
// unit `unit` at position `at`, with the units next to it and the text's length then.
struct KeyEdit {
    int active = 0;
    int insert = 0;
    LONG at = 0;
    wchar_t before = 0;
    wchar_t unit = 0;
    wchar_t after = 0;
    LRESULT length = 0;
};

struct AppState {
    HINSTANCE hInstance = nullptr;
    HWND hwndMain = nullptr;
    HMODULE hRichEditLib = nullptr;
    UINT findReplaceMsg = 0;
    // Broadcast by the shell when a restarted notification area is ready for icons.
    UINT taskbarCreatedMsg = 0;
    HMENU hMenuBar = nullptr;

    HWND hwndEdit = nullptr;
    // The text control class's own window procedure, behind the program's (see edit_control.cpp).
    WNDPROC editClassProc = nullptr;
    HWND hwndStatus = nullptr;
    int clientWidth = 0;
    int clientHeight = 0;
    int wordWrap = 0;
    int statusBarVisible = 0;
    wchar_t statusText[kStatusChars] = {};
    // The bar shows the progress of long work in statusText instead of the counts.
    int progressShown = 0;
    // The counts the bar last showed and the text length they belong to, so that a typed
    // key adjusts them instead of recounting the whole document.
    int countsValid = 0;
    uint32_t wordCount = 0;
    uint32_t charCount = 0;
    LRESULT countedLength = 0;
    // The counts were given for the text as it is (see TakeCounts): the next refresh shows them.
    int countsGiven = 0;
    KeyEdit keyEdit;
    // The run's buffer for copies of the whole text (see TextCopyBuffer).
    wchar_t* textCopy = nullptr;
    size_t textCopyUnits = 0;
    HBRUSH hStatusBrush = nullptr;
    // The control last coloured and the colours and font it got (see ApplyEditColors), so that a
    // settings broadcast that changes none of them does not walk the text again.
    HWND textControl = nullptr;
    COLORREF textBackground = CLR_INVALID;
    COLORREF textColour = CLR_INVALID;
    HFONT textFont = nullptr;

    wchar_t currentFilePath[kPathChars] = {};
    // The form Save writes, in the order of the Format > Encoding items: 0 UTF-16 LE, 1 UTF-8,
    // 2 UTF-8 with its mark. New and Open set it back to 0.
    int saveEncoding = 0;
    wchar_t saveFilePath[kPathChars] = {};

    FINDREPLACEW findReplaceData = {};
    wchar_t findWhat[kSearchChars] = {};
    wchar_t replaceWith[kSearchChars] = {};
    // Search options of the dialog's last notification (see find_replace.cpp).
    DWORD findOptions = FR_DOWN;
    HWND hwndFindDialog = nullptr;
    // How many of the program's modal dialogs and message boxes are up (see messages.cpp).
    int modalDepth = 0;

    int themeMode = 0;
    // Off while high contrast is on: then highContrast is set and the system's colours are in force.
    int darkActive = 0;
    int highContrast = 0;
    UINT currentDpi = 0;
    HFONT hEditFont = nullptr;

    int inTray = 0;
    NOTIFYICONDATAW trayIconData = InitialTrayIconData();
};

extern AppState g_app;
