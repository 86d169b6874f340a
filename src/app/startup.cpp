#include "app/startup.h"

#include "app/load_rules.h"
#include "app/main_window.h"
#include "app/menu.h"
#include "app/shortcuts.h"
#include "app/window_position.h"
#include "app/window_theme.h"
#include "appearance/dpi.h"
#include "base/app_state.h"
#include "document/document.h"
#include "document/print.h"
#include "document/print_job.h"
#include "editor/big_edit.h"
#include "editor/find_replace.h"
#include "editor/status_bar.h"
#include "editor/text_load.h"


AppState g_app;

static bool KeyDown(int vk)
{
    return (GetKeyState(vk) & 0x8000) != 0;
}

// The modifiers held for a key-down; a character carries its own (Ctrl+C comes as 3).
struct Modifiers {
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
};

static Modifiers HeldFor(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return {};
    return {KeyDown(VK_CONTROL), KeyDown(VK_MENU), KeyDown(VK_SHIFT)};
}

// Runs the shortcut for a WM_KEYDOWN, if the key and the modifiers make one.
static bool RunShortcut(WPARAM key, const Modifiers& held)
{
    const UINT id = ShortcutCommand(MatchShortcut(key, held.ctrl, held.alt, held.shift));
    if (id == 0) return false;
    RunCommand(id);
    return true;
}

static bool IsInput(UINT message)
{
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

void ProcessLoopMessage(MSG& msg)
{
    if (g_app.hwndFindDialog && IsDialogMessageW(g_app.hwndFindDialog, &msg)) return;
    // The Printing dialog takes its keys, so that no shortcut runs behind it.
    if (IsPrintDialogMessage(msg)) return;
    const Modifiers held = HeldFor(msg);
    // Shortcuts are neither translated nor dispatched, so Ctrl+H never reaches the
    // control as a backspace.
    if (msg.message == WM_KEYDOWN && RunShortcut(msg.wParam, held)) return;
    const bool toText = msg.hwnd == g_app.hwndEdit;
    // A key that would change a text still arriving waits for the rest; input after it stays
    // in the queue meanwhile.
    if (toText && TextLoadRunning() &&
        InputWhileLoading(msg.message, msg.wParam, held.ctrl, held.alt, held.shift) == WhileLoading::FinishFirst)
        FinishArrivingText();
    // An edit the control would take too long over is made as a load is, and so are the Undo and
    // Redo of such an edit; the key goes no further.
    if (toText && TakeEditKey(msg.message, msg.wParam, held.ctrl, held.alt, held.shift)) {
        UpdateTitle();
        return;
    }
    // Which end of the selection the key or the mouse moves, so that the pieces keep it.
    const bool moves = toText && TextLoadRunning() && IsInput(msg.message);
    if (moves) NoteLoadSelection(msg.hwnd);
    TranslateMessage(&msg);
    NoteKeyEdit(msg);
    DispatchMessageW(&msg);
    EndKeyEdit();
    if (moves) NoteLoadSelection(msg.hwnd);
}

bool DoIdleWork()
{
    const LoadStep step = StepTextLoad();
    if (step == LoadStep::More) return true;
    AfterTextLoad(step);
    // A failed edit may put the text from before in again, in pieces too.
    return TextLoadRunning();
}

bool StartApplication()
{
    g_app.saveFilePath[0] = L'\0';
    g_app.currentFilePath[0] = L'\0';

    // The control's class must exist before WM_CREATE makes one.
    g_app.hRichEditLib = LoadLibraryW(L"Riched20.dll");
    if (!g_app.hRichEditLib) return false;

    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = g_app.hInstance;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = kMainClassName;
    wc.hIconSm = wc.hIcon;
    if (!RegisterClassExW(&wc)) return false;

    g_app.findReplaceMsg = RegisterWindowMessageW(FINDMSGSTRINGW);
    g_app.taskbarCreatedMsg = RegisterWindowMessageW(L"TaskbarCreated");

    BuildMenuBar();

    const WindowOrigin origin =
        CenteredWindowOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));

    InitDpi();

    g_app.hwndMain = CreateWindowExW(0, kMainClassName, L"Untitled - Jotwell", WS_OVERLAPPEDWINDOW,
                                     origin.x, origin.y, kMainWindowWidth, kMainWindowHeight, nullptr,
                                     g_app.hMenuBar, g_app.hInstance, nullptr);
    if (!g_app.hwndMain) return false;
    // Run elevated, the window would not hear the broadcast of a shell that runs unelevated.
    // A refusal leaves things as they were, with nothing better to do.
    if (g_app.taskbarCreatedMsg)
        ChangeWindowMessageFilterEx(g_app.hwndMain, g_app.taskbarCreatedMsg, MSGFLT_ALLOW, nullptr);

    ApplyTheme();
    ShowWindow(g_app.hwndMain, SW_SHOWDEFAULT);
    UpdateWindow(g_app.hwndMain);
    UpdateStatusBar();
    // Setting the control up leaves something in its undo history, in either palette, that
    // Ctrl+Z must not take back; New empties it the same way.
    SendMessageW(g_app.hwndEdit, EM_EMPTYUNDOBUFFER, 0, 0);
    return true;
}

int RunApplication()
{
    if (!StartApplication()) return 1;

    MSG msg = {};
    for (;;) {
        // Every waiting message first, painting included; work goes on only when none waits.
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) break;
        } else if (DoIdleWork()) {
            continue;
        } else {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0 || got == -1) break;
        }
        ProcessLoopMessage(msg);
    }
    return static_cast<int>(static_cast<UINT>(msg.wParam));
}
