// The main window procedure: creates the children, lays them out and routes
// every message to the subsystem that owns it.
#include "app/main_window.h"

#include "app/load_rules.h"
#include "app/menu.h"
#include "app/window_theme.h"
#include "base/app_state.h"
#include "base/messages.h"
#include "document/document.h"
#include "document/print.h"
#include "document/print_job.h"
#include "editor/big_edit.h"
#include "editor/edit_control.h"
#include "editor/find_replace.h"
#include "editor/status_bar.h"
#include "editor/text_copy.h"
#include "editor/text_load.h"
#include "editor/word_wrap.h"
#include "tray/tray.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <tuple>

static void OnSize(WPARAM wParam, LPARAM lParam)
{
    // Minimised, the client area has no width: the control would wrap every character onto a
    // line of its own, and all of it again on restore. It keeps its size instead.
    if (wParam == SIZE_MINIMIZED) return;
    g_app.clientWidth = LOWORD(lParam);
    g_app.clientHeight = HIWORD(lParam);
    if (g_app.statusBarVisible) {
        // The bar docks itself along the bottom edge when it is told of the resize.
        SendMessageW(g_app.hwndStatus, WM_SIZE, 0, 0);
        RECT bar = {};
        GetClientRect(g_app.hwndStatus, &bar);
        g_app.clientHeight = std::max(0, g_app.clientHeight - static_cast<int>(bar.bottom - bar.top));
    }
    MoveWindow(g_app.hwndEdit, 0, 0, g_app.clientWidth, g_app.clientHeight, TRUE);
}

static void OnCreate(HWND hwnd)
{
    // hwndMain is not set yet: the children take the window being created as parent.
    g_app.hwndEdit = CreateEditControl(hwnd, 1, 0, 0, 0, 0);
    SendMessageW(g_app.hwndEdit, EM_SETEVENTMASK, 0, ENM_CHANGE);
    SendMessageW(g_app.hwndEdit, WM_SETFONT, reinterpret_cast<WPARAM>(g_app.hEditFont), 1);
    g_app.wordWrap = 1;

    g_app.hwndStatus = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0,
                                       0, 0, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS)),
                                       g_app.hInstance, nullptr);
    g_app.statusBarVisible = 1;
    // Laid out now, while nothing shows: sizing the control for the first time as the
    // window appears would lay it out and paint it twice.
    RECT client = {};
    GetClientRect(hwnd, &client);
    OnSize(SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    DragAcceptFiles(hwnd, TRUE);
    SetFocus(g_app.hwndEdit);
}

// A command that needs the whole text, given while it arrives, waits for the rest.
static void BeforeCommand(UINT id)
{
    if (TextLoadRunning() && CommandWhileLoading(id, TextLoadModified()) == WhileLoading::FinishFirst)
        FinishArrivingText();
}

// The bar and the caption after an Edit command: a big edit's new text sends no notification.
static void AfterEdit()
{
    UpdateStatusBar();
    UpdateTitle();
}

void RunCommand(UINT id)
{
    BeforeCommand(id);
    switch (id) {
    case ID_FILE_NEW: DoFileNew(); break;
    case ID_FILE_OPEN: DoFileOpen(); break;
    case ID_FILE_SAVE: std::ignore = DoFileSave(); break;
    case ID_FILE_SAVEAS: std::ignore = DoFileSaveAs(); break;
    case ID_FILE_PRINT: DoFilePrint(); break;
    case ID_FILE_EXIT: SendMessageW(g_app.hwndMain, WM_CLOSE, 0, 0); break;
    case ID_EDIT_UNDO:
        UndoEdit();
        AfterEdit();
        break;
    case ID_EDIT_CUT:
        CutSelection();
        AfterEdit();
        break;
    case ID_EDIT_COPY: SendMessageW(g_app.hwndEdit, WM_COPY, 0, 0); break;
    case ID_EDIT_PASTE:
        PasteClipboard();
        AfterEdit();
        break;
    case ID_EDIT_DELETE:
        DeleteSelection();
        AfterEdit();
        break;
    case ID_EDIT_SELECTALL: DoSelectAll(); break;
    case ID_EDIT_FIND: ShowFindDialog(); break;
    case ID_EDIT_FINDNEXT: FindNext(); break;
    case ID_EDIT_FINDPREV: FindPrevious(); break;
    case ID_EDIT_REPLACE: ShowReplaceDialog(); break;
    case ID_FORMAT_WORDWRAP:
        ToggleWordWrap();
        UpdateTitle();
        break;
    case ID_FORMAT_ENCODING_UTF16LE: SetSaveEncoding(0); break;
    case ID_FORMAT_ENCODING_UTF8: SetSaveEncoding(1); break;
    case ID_FORMAT_ENCODING_UTF8BOM: SetSaveEncoding(2); break;
    case ID_VIEW_STATUSBAR: ToggleStatusBar(); break;
    case ID_THEME_SYSTEM: SetThemeMode(0); break;
    case ID_THEME_LIGHT: SetThemeMode(1); break;
    case ID_THEME_DARK: SetThemeMode(2); break;
    case ID_HELP_ABOUT: ShowAboutBox(); break;
    default: break;
    }
}

static void OnCommand(WPARAM wParam)
{
    if (HIWORD(wParam) == EN_CHANGE) {
        // Wine's control changes the text for Cut, Delete and Undo without setting its modify
        // flag, so the change would be lost without a question. Every change the program makes
        // itself (Open, New, word wrap) sets the flag afterwards.
        if (!SendMessageW(g_app.hwndEdit, EM_GETMODIFY, 0, 0)) SendMessageW(g_app.hwndEdit, EM_SETMODIFY, 1, 0);
        UpdateStatusBar();
        UpdateTitle();
        return;
    }
    RunCommand(LOWORD(wParam));
}

// Shows the window of a program in the tray before the unsaved-changes question, which must have
// a window to belong to.
static void ShowBeforeAsking()
{
    if (g_app.inTray && WouldAskToSave()) RestoreFromTray();
}

static void OnClose(HWND hwnd)
{
    // Not under the print loop: the job ends first and then sends the close on.
    if (PrintJobRunning()) return CancelPrintJobThenClose();
    // A close from outside (a task manager) while one of our dialogs is up would destroy the
    // window under it; the dialog comes to the front instead.
    if (ModalDialogUp()) {
        BringModalToFront();
        return;
    }
    // Sent while a command waits for the rest of the text: the close comes after the command.
    if (TextLoadFinishing()) {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return;
    }
    BeforeCommand(ID_FILE_EXIT);
    ShowBeforeAsking();
    if (PromptSaveChanges()) DestroyWindow(hwnd);
}

static BOOL OnQueryEndSession()
{
    // Behind one of our dialogs (Save As asking where to save) the question would come twice:
    // the dialog comes to the front, and unsaved changes keep the session.
    if (ModalDialogUp()) {
        BringModalToFront();
        return WouldAskToSave() ? FALSE : TRUE;
    }
    ShowBeforeAsking();
    return PromptSaveChanges() ? TRUE : FALSE;
}

static void OnDestroy()
{
    CancelTextLoad();
    DropReplacedControl();
    RemoveTrayIcon();
    DeleteStatusBrush();
    FreeTextCopyBuffer();
    DeleteObject(g_app.hEditFont);
    if (g_app.hwndFindDialog) {
        DestroyWindow(g_app.hwndFindDialog);
        g_app.hwndFindDialog = nullptr;
    }
    if (g_app.hwndEdit) {
        DestroyWindow(g_app.hwndEdit);
        g_app.hwndEdit = nullptr;
    }
    // Only once its control is gone may the library go.
    if (g_app.hRichEditLib) {
        FreeLibrary(g_app.hRichEditLib);
        g_app.hRichEditLib = nullptr;
    }
    PostQuitMessage(0);
}

static void OnFindReplace(LPARAM lParam)
{
    const auto* data = reinterpret_cast<const FINDREPLACEW*>(lParam);
    const DWORD flags = data->Flags;
    if (flags & FR_DIALOGTERM) {
        g_app.hwndFindDialog = nullptr;
        return;
    }
    // Every search and replacement is made on the whole text.
    if (TextLoadRunning() && SearchWhileLoading(flags) == WhileLoading::FinishFirst) FinishArrivingText();
    // The replacements refresh the status bar themselves; the caption is the shell's.
    if (flags & FR_FINDNEXT) {
        FindNext();
    } else if (flags & FR_REPLACE) {
        if (DoReplace()) UpdateTitle();
    } else if (flags & FR_REPLACEALL) {
        if (DoReplaceAll() > 0) UpdateTitle();
    }
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE: OnCreate(hwnd); return 0;
    case WM_SIZE: OnSize(wParam, lParam); return 0;
    case WM_SETFOCUS: SetFocus(g_app.hwndEdit); return 0;
    case WM_COMMAND: OnCommand(wParam); return 0;
    // The Edit and Theme menus are brought up to date as the user opens them.
    case WM_INITMENUPOPUP: UpdateMenuState(); return 0;
    case WM_CLOSE: OnClose(hwnd); return 0;
    // Logging off must not throw unsaved changes away without asking.
    case WM_QUERYENDSESSION: return OnQueryEndSession();
    // The session ends: a text still arriving need not.
    case WM_ENDSESSION:
        if (wParam) CancelTextLoad();
        return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_SETTINGCHANGE:
        OnSettingChange(wParam);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_SYSCOLORCHANGE: OnSysColorChange(); return 0;
    case WM_DPICHANGED: OnDpiChanged(wParam, lParam); return 0;
    case WM_DRAWITEM: DrawStatusPart(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_SYSCOMMAND:
        if (OnSysCommand(wParam)) return 0;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_TRAYICON: OnTrayIcon(lParam); return 0;
    case WM_DROPFILES:
        // A drop opens a file: it waits for a changed text being re-wrapped, as Open does.
        if (!ModalDialogUp()) BeforeCommand(ID_FILE_OPEN);
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    default: break;
    }
    if (g_app.findReplaceMsg != 0 && msg == g_app.findReplaceMsg) {
        OnFindReplace(lParam);
        return 0;
    }
    if (g_app.taskbarCreatedMsg != 0 && msg == g_app.taskbarCreatedMsg) {
        OnTaskbarCreated();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
