// Shift+minimise to the notification area and back.
#include "support/app_fixture.h"
#include "support/dialog_script.h"
#include "support/import_patch.h"

#include "document/document.h"
#include "tray/tray.h"

#include <vector>

namespace {

using TrayTest = JotwellTest;

// The icon exists when it can be modified.
bool IconShown()
{
    NOTIFYICONDATAW probe = g_app.trayIconData;
    probe.hWnd = g_app.hwndMain;
    probe.uFlags = NIF_TIP;
    return Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
}

void ShiftMinimise()
{
    HoldKeys({VK_SHIFT});
    SendMessageW(g_app.hwndMain, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    HoldKeys({});
    Pump();
}

void TrayCallback(UINT mouseMessage)
{
    SendMessageW(g_app.hwndMain, WM_TRAYICON, 1, mouseMessage);
    Pump();
}

// Keys for the tray menu's modal loop, posted from a timer once the menu is up.
std::vector<UINT> t_menuKeys;

void CALLBACK PressMenuKeys(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    HWND menu = FindWindowW(L"#32768", nullptr);
    for (UINT vk : t_menuKeys) {
        PostMessageW(menu ? menu : g_app.hwndMain, WM_KEYDOWN, vk, 1);
        PostMessageW(menu ? menu : g_app.hwndMain, WM_KEYUP, vk, 1 | (1u << 30) | (1u << 31));
    }
}

// Right-clicks the icon and answers its menu with the given keys.
void RightClickMenu(std::vector<UINT> keys)
{
    t_menuKeys = std::move(keys);
    SetTimer(nullptr, 0, 100, PressMenuKeys);
    TrayCallback(WM_RBUTTONUP);
}

TEST(TrayRecord, IsTheVersionOneRecord)
{
    const NOTIFYICONDATAW data = InitialTrayIconData();
    EXPECT_EQ(data.cbSize, 168u);
    EXPECT_EQ(data.uID, 1u);
    EXPECT_EQ(data.uFlags, 7u);
    EXPECT_EQ(data.uCallbackMessage, 0x8001u);
    EXPECT_STREQ(data.szTip, L"Jotwell");
}

TEST_F(TrayTest, ShiftMinimiseHidesTheWindowBehindAnIcon)
{
    ShiftMinimise();
    EXPECT_EQ(g_app.inTray, 1);
    EXPECT_FALSE(IsWindowVisible(g_app.hwndMain));
    EXPECT_FALSE(IsIconic(g_app.hwndMain)); // hidden as it was, not minimised first
    EXPECT_TRUE(IconShown());
    EXPECT_EQ(g_app.trayIconData.hWnd, g_app.hwndMain);
    EXPECT_EQ(g_app.trayIconData.hIcon, LoadIconW(nullptr, IDI_APPLICATION));

    // A second Shift+minimise while in the tray changes nothing.
    ShiftMinimise();
    EXPECT_EQ(g_app.inTray, 1);
}

TEST_F(TrayTest, PlainMinimiseStaysOnTheTaskbar)
{
    SendMessageW(g_app.hwndMain, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump();
    EXPECT_EQ(g_app.inTray, 0);
    EXPECT_TRUE(IsIconic(g_app.hwndMain));
    EXPECT_FALSE(IconShown());
    // Other system commands pass through too.
    EXPECT_EQ(OnSysCommand(SC_RESTORE), 0);
}

TEST_F(TrayTest, OnlyTheDoubleClickRestores)
{
    ShiftMinimise();
    for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_MBUTTONUP}) {
        TrayCallback(mouse);
        EXPECT_EQ(g_app.inTray, 1) << mouse;
        EXPECT_FALSE(IsWindowVisible(g_app.hwndMain)) << mouse;
    }
    TrayCallback(WM_LBUTTONDBLCLK);
    EXPECT_EQ(g_app.inTray, 0);
    EXPECT_TRUE(IsWindowVisible(g_app.hwndMain));
    EXPECT_FALSE(IconShown());
}

TEST_F(TrayTest, MaximisedWindowComesBackRestored)
{
    ShowWindow(g_app.hwndMain, SW_MAXIMIZE);
    Pump();
    ShiftMinimise();
    TrayCallback(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(g_app.hwndMain));
    EXPECT_FALSE(IsZoomed(g_app.hwndMain));
    EXPECT_FALSE(IsIconic(g_app.hwndMain));
}

TEST_F(TrayTest, MenuRestoreShowsTheWindow)
{
    ShiftMinimise();
    RightClickMenu({VK_DOWN, VK_RETURN});
    EXPECT_EQ(g_app.inTray, 0);
    EXPECT_TRUE(IsWindowVisible(g_app.hwndMain));
    EXPECT_FALSE(IconShown());
}

TEST_F(TrayTest, DismissedMenuKeepsTheIcon)
{
    ShiftMinimise();
    RightClickMenu({VK_ESCAPE});
    EXPECT_EQ(g_app.inTray, 1);
    EXPECT_FALSE(IsWindowVisible(g_app.hwndMain));
    EXPECT_TRUE(IconShown());
}

// The question needs its window shown, whether the close came from the icon's menu or from
// outside (WM_CLOSE, as a task manager sends it).
TEST_F(TrayTest, MenuExitOrACloseFromOutsideWithUnsavedChangesAsksWithTheWindowShown)
{
    TypeText(L"draft");
    for (bool fromOutside : {false, true}) {
        ShiftMinimise();
        bool visibleAtPrompt = false;
        DialogScript script;
        script.Then([&](HWND box) {
            visibleAtPrompt = IsWindowVisible(g_app.hwndMain) != FALSE;
            ClickDialogButton(box, IDCANCEL);
        });
        if (fromOutside)
            SendMessageW(g_app.hwndMain, WM_CLOSE, 0, 0);
        else
            RightClickMenu({VK_DOWN, VK_DOWN, VK_RETURN});
        ASSERT_EQ(script.seen().size(), 1u);
        EXPECT_EQ(script.seen()[0].title, L"Jotwell");
        EXPECT_TRUE(visibleAtPrompt);
        // Cancel: the window stays, shown, with no icon.
        EXPECT_TRUE(IsWindow(g_app.hwndMain));
        EXPECT_TRUE(IsWindowVisible(g_app.hwndMain));
        EXPECT_EQ(g_app.inTray, 0);
        EXPECT_FALSE(IconShown());
    }
}

TEST_F(TrayTest, MenuExitAnsweredNoEndsTheProgram)
{
    TypeText(L"draft");
    ShiftMinimise();
    DialogScript script;
    script.Press(IDNO);
    RightClickMenu({VK_DOWN, VK_DOWN, VK_RETURN});
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_FALSE(IsWindow(g_app.hwndMain));
    EXPECT_EQ(g_app.inTray, 0);
}

TEST_F(TrayTest, FailedAddLeavesTheWindowShown)
{
    // An icon with the same window and id already exists, so the program's NIM_ADD fails.
    NOTIFYICONDATAW squatter = g_app.trayIconData;
    squatter.hWnd = g_app.hwndMain;
    squatter.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &squatter));
    ShiftMinimise();
    EXPECT_EQ(g_app.inTray, 0);
    EXPECT_TRUE(IsWindowVisible(g_app.hwndMain));
    EXPECT_FALSE(IsIconic(g_app.hwndMain));
    Shell_NotifyIconW(NIM_DELETE, &squatter);
}

// A restarted notification area has lost every icon; then the shell tells every top-level window.
void RestartNotificationArea()
{
    NOTIFYICONDATAW icon = g_app.trayIconData;
    icon.hWnd = g_app.hwndMain;
    Shell_NotifyIconW(NIM_DELETE, &icon);
    SendMessageW(g_app.hwndMain, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    Pump();
}

const auto realNotify = reinterpret_cast<decltype(&Shell_NotifyIconW)>(
    reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"shell32.dll"), "Shell_NotifyIconW")));

BOOL WINAPI RefuseAdd(DWORD message, PNOTIFYICONDATAW data)
{
    return message == NIM_ADD ? FALSE : realNotify(message, data);
}

TEST_F(TrayTest, RestartedNotificationAreaGetsTheIconBackOrTheWindowComesBack)
{
    ShiftMinimise();
    RestartNotificationArea();
    EXPECT_EQ(g_app.inTray, 1);
    EXPECT_FALSE(IsWindowVisible(g_app.hwndMain));
    EXPECT_TRUE(IconShown());

    // An icon that cannot be added again must not leave the window hidden with no way back.
    {
        ImportPatch patch("shell32.dll", "Shell_NotifyIconW", reinterpret_cast<void*>(&RefuseAdd));
        ASSERT_TRUE(patch.ok());
        RestartNotificationArea();
    }
    EXPECT_EQ(g_app.inTray, 0);
    EXPECT_TRUE(IsWindowVisible(g_app.hwndMain));
    EXPECT_FALSE(IsIconic(g_app.hwndMain));

    // Out of the tray, a restart adds nothing and leaves the window as it is.
    RestartNotificationArea();
    EXPECT_EQ(g_app.inTray, 0);
    EXPECT_FALSE(IconShown());
    EXPECT_TRUE(IsWindowVisible(g_app.hwndMain));
    EXPECT_FALSE(IsIconic(g_app.hwndMain));
}

HWND t_saveAs = nullptr;
std::wstring t_savePath;

void CALLBACK ChooseSavePath(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    SetWindowTextW(GetDlgItem(t_saveAs, 0x47c), t_savePath.c_str());
    ClickDialogButton(t_saveAs, IDOK);
}

// Behind Save As, a drop, the icon's menu Exit and a close from outside all wait: Save As writes
// the document's own text, and no question comes up under it.
TEST_F(TrayTest, ADropTheIconsExitAndACloseWaitBehindSaveAs)
{
    TempFolder folder;
    WriteFileBytes(folder.File(L"dropped.txt"), "dropped");
    t_savePath = folder.File(L"saved.txt");
    TypeText(L"mine");
    DialogScript script;
    script.Then([&](HWND dialog) {
        t_saveAs = dialog;
        PostDrop(g_app.hwndEdit, {folder.File(L"dropped.txt")});
        PostMessageW(g_app.hwndMain, WM_CLOSE, 0, 0);
        // The icon's menu, answered with Exit should it come up, then the file name.
        PostMessageW(g_app.hwndMain, WM_TRAYICON, 1, WM_RBUTTONUP);
        t_menuKeys = {VK_DOWN, VK_DOWN, VK_RETURN};
        SetTimer(nullptr, 0, 100, PressMenuKeys);
        SetTimer(nullptr, 0, 400, ChooseSavePath);
    });
    EXPECT_EQ(DoFileSaveAs(), 1);
    Pump();
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_TRUE(IsWindow(g_app.hwndMain));
    EXPECT_EQ(EditText(), L"mine");
    EXPECT_EQ(ReadFileBytes(t_savePath), std::string("\xFF\xFEm\0i\0n\0e\0", 10));
}

TEST_F(TrayTest, DestroyingTheWindowInTheTrayRemovesTheIcon)
{
    ShiftMinimise();
    ASSERT_TRUE(IconShown());
    const HWND main = g_app.hwndMain;
    SendMessageW(main, WM_CLOSE, 0, 0); // nothing unsaved: no question
    int code = -1;
    EXPECT_TRUE(Pump(&code));
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(g_app.inTray, 0);
    NOTIFYICONDATAW probe = g_app.trayIconData;
    probe.hWnd = main;
    EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &probe));
}

} // namespace
