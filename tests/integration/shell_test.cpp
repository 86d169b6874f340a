// The main window as it starts: its children, its menu, its shortcuts, its close.
#include "support/app_fixture.h"
#include "support/creation_log.h"
#include "support/dialog_script.h"
#include "support/registry_value.h"

#include "app/menu.h"
#include "app/startup.h"

#include <commctrl.h>
#include <richedit.h>

#include <string>
#include <vector>

namespace {

std::wstring ClassOf(HWND hwnd)
{
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

using ShellTest = JotwellTest;

TEST(ShellStart, CreatesTheChildrenWithTheirExactStyles)
{
    CreationLog log;
    StartJotwell();
    const CreatedWindow* edit = log.Last(L"RichEdit20W");
    const CreatedWindow* status = log.Last(L"msctls_statusbar32");
    const CreatedWindow* main = log.Last(L"JotwellClass");
    StopJotwell();
    ASSERT_TRUE(edit && status && main);
    EXPECT_EQ(main->style, DWORD{WS_OVERLAPPEDWINDOW});
    EXPECT_EQ(main->cx, 800);
    EXPECT_EQ(main->cy, 600);
    EXPECT_EQ(edit->style, 0x50200144u);
    EXPECT_EQ(edit->exStyle, DWORD{WS_EX_CLIENTEDGE});
    EXPECT_EQ(edit->id, 100);
    EXPECT_EQ(edit->parent, main->hwnd);
    EXPECT_EQ(status->style, 0x50000100u);
    EXPECT_EQ(status->exStyle, 0u);
    EXPECT_EQ(status->id, 101);
    EXPECT_EQ(status->parent, main->hwnd);
}

TEST_F(ShellTest, MainWindowHasItsClassCaptionAndSize)
{
    EXPECT_EQ(ClassOf(g_app.hwndMain), L"JotwellClass");
    EXPECT_EQ(WindowText(g_app.hwndMain), L"Untitled - Jotwell");
    EXPECT_TRUE(IsWindowVisible(g_app.hwndMain));
    EXPECT_EQ(GetWindowLongW(g_app.hwndMain, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
    RECT r = {};
    GetWindowRect(g_app.hwndMain, &r);
    EXPECT_EQ(r.right - r.left, 800);
    EXPECT_EQ(r.bottom - r.top, 600);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 800) >> 1);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 600) >> 1);
}

TEST_F(ShellTest, ChildrenHaveTheirClassesStylesAndIds)
{
    ASSERT_NE(g_app.hwndEdit, nullptr);
    EXPECT_EQ(ClassOf(g_app.hwndEdit), L"RichEdit20W");
    // The control itself drops WS_VSCROLL while the text fits.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(g_app.hwndEdit, GWL_STYLE)) & ~DWORD{WS_VSCROLL}, 0x50000144u);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(g_app.hwndEdit, GWL_EXSTYLE)) & WS_EX_CLIENTEDGE,
              DWORD{WS_EX_CLIENTEDGE});
    EXPECT_EQ(GetDlgCtrlID(g_app.hwndEdit), 100);
    EXPECT_EQ(GetParent(g_app.hwndEdit), g_app.hwndMain);
    EXPECT_EQ(SendMessageW(g_app.hwndEdit, EM_GETEVENTMASK, 0, 0), ENM_CHANGE);

    ASSERT_NE(g_app.hwndStatus, nullptr);
    EXPECT_EQ(ClassOf(g_app.hwndStatus), L"msctls_statusbar32");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(g_app.hwndStatus, GWL_STYLE)), 0x50000100u);
    EXPECT_EQ(GetDlgCtrlID(g_app.hwndStatus), 101);

    EXPECT_EQ(g_app.wordWrap, 1);
    EXPECT_EQ(g_app.statusBarVisible, 1);
    EXPECT_EQ(GetFocus(), g_app.hwndEdit);
}

TEST_F(ShellTest, EditFillsTheClientAreaAboveTheStatusBar)
{
    RECT client = {}, bar = {}, edit = {};
    GetClientRect(g_app.hwndMain, &client);
    GetWindowRect(g_app.hwndStatus, &bar);
    GetWindowRect(g_app.hwndEdit, &edit);
    const int barHeight = bar.bottom - bar.top;
    EXPECT_GT(barHeight, 0);
    EXPECT_EQ(edit.right - edit.left, client.right);
    EXPECT_EQ(edit.bottom - edit.top, client.bottom - barHeight);
    EXPECT_EQ(g_app.clientWidth, client.right);
    EXPECT_EQ(g_app.clientHeight, client.bottom - barHeight);

    // A resize lays both children out again.
    SetWindowPos(g_app.hwndMain, nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    GetClientRect(g_app.hwndMain, &client);
    GetWindowRect(g_app.hwndEdit, &edit);
    GetWindowRect(g_app.hwndStatus, &bar);
    EXPECT_EQ(edit.right - edit.left, client.right);
    EXPECT_EQ(edit.bottom - edit.top, client.bottom - (bar.bottom - bar.top));
    POINT barTop = {bar.left, bar.top};
    ScreenToClient(g_app.hwndMain, &barTop);
    EXPECT_EQ(barTop.y, client.bottom - (bar.bottom - bar.top));
}

struct ExpectedItem {
    UINT id; // 0 for a separator
    const wchar_t* label;
};

void ExpectPopup(HMENU popup, const std::vector<ExpectedItem>& items)
{
    ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(items.size()));
    for (size_t i = 0; i < items.size(); ++i) {
        const int pos = static_cast<int>(i);
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
        ASSERT_TRUE(GetMenuItemInfoW(popup, static_cast<UINT>(pos), TRUE, &info));
        if (items[i].id == 0 && !items[i].label) {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR) << "item " << pos;
            continue;
        }
        wchar_t label[128] = {};
        GetMenuStringW(popup, static_cast<UINT>(pos), label, 128, MF_BYPOSITION);
        EXPECT_STREQ(label, items[i].label) << "item " << pos;
        if (!info.hSubMenu) {
            EXPECT_EQ(info.wID, items[i].id) << "item " << pos;
        }
        EXPECT_FALSE(info.fState & MFS_GRAYED) << "item " << pos;
    }
}

TEST_F(ShellTest, MenuBarHasItsLabelsIdsAndOrder)
{
    HMENU bar = GetMenu(g_app.hwndMain);
    ASSERT_EQ(bar, g_app.hMenuBar);
    const ExpectedItem sep = {0, nullptr};
    ExpectPopup(bar, {{0, L"&File"}, {0, L"&Edit"}, {0, L"F&ormat"}, {0, L"&View"}, {0, L"&Help"}});
    ExpectPopup(GetSubMenu(bar, 0), {{1001, L"&New\tCtrl+N"},
                                     {1002, L"&Open...\tCtrl+O"},
                                     {1003, L"&Save\tCtrl+S"},
                                     {1004, L"Save &As...\tCtrl+Shift+S"},
                                     sep,
                                     {1005, L"&Print...\tCtrl+P"},
                                     sep,
                                     {1006, L"E&xit"}});
    ExpectPopup(GetSubMenu(bar, 1), {{2001, L"&Undo\tCtrl+Z"},
                                     sep,
                                     {2002, L"Cu&t\tCtrl+X"},
                                     {2003, L"&Copy\tCtrl+C"},
                                     {2004, L"&Paste\tCtrl+V"},
                                     {2005, L"De&lete\tDel"},
                                     sep,
                                     {2007, L"&Find...\tCtrl+F"},
                                     {2008, L"Find &Next\tF3"},
                                     {2010, L"Find Pre&vious\tShift+F3"},
                                     {2011, L"&Replace...\tCtrl+H"},
                                     sep,
                                     {2006, L"Select &All\tCtrl+A"}});
    ExpectPopup(GetSubMenu(bar, 2), {{3001, L"&Word Wrap"}, {0, L"&Encoding"}});
    ExpectPopup(GetSubMenu(GetSubMenu(bar, 2), 1),
                {{3002, L"UTF-16 &LE"}, {3003, L"UTF-&8"}, {3004, L"UTF-8 with &BOM"}});
    ExpectPopup(GetSubMenu(bar, 3), {{4001, L"Status &Bar"}, {0, L"&Theme"}});
    ExpectPopup(GetSubMenu(GetSubMenu(bar, 3), 1),
                {{4002, L"Use &System Setting"}, {4003, L"&Light"}, {4004, L"&Dark"}});
    ExpectPopup(GetSubMenu(bar, 4), {{5001, L"&About"}});
}

TEST_F(ShellTest, MenuStartsWithWordWrapAndStatusBarCheckedAndNoThemeMark)
{
    HMENU bar = GetMenu(g_app.hwndMain);
    EXPECT_EQ(GetMenuState(bar, ID_FORMAT_WORDWRAP, MF_BYCOMMAND) & MF_CHECKED, UINT{MF_CHECKED});
    EXPECT_EQ(GetMenuState(bar, ID_VIEW_STATUSBAR, MF_BYCOMMAND) & MF_CHECKED, UINT{MF_CHECKED});
    for (UINT id : {ID_THEME_SYSTEM, ID_THEME_LIGHT, ID_THEME_DARK})
        EXPECT_EQ(GetMenuState(bar, id, MF_BYCOMMAND) & MF_CHECKED, 0u);
    // Until the first refresh every Edit item is enabled, Undo included.
    for (UINT id : {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_DELETE})
        EXPECT_EQ(GetMenuState(bar, id, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

bool Grayed(UINT id)
{
    return (GetMenuState(GetMenu(g_app.hwndMain), id, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

TEST_F(ShellTest, EditItemsFollowSelectionUndoAndClipboard)
{
    SetEditText(L"hello world");
    SendMessageW(g_app.hwndEdit, EM_EMPTYUNDOBUFFER, 0, 0);
    SetClipboardText(nullptr);
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 3, 3);
    UpdateMenuState();
    EXPECT_TRUE(Grayed(ID_EDIT_UNDO));
    EXPECT_TRUE(Grayed(ID_EDIT_CUT));
    EXPECT_TRUE(Grayed(ID_EDIT_COPY));
    EXPECT_TRUE(Grayed(ID_EDIT_DELETE));
    EXPECT_TRUE(Grayed(ID_EDIT_PASTE));

    SetClipboardText(L"pasted");
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 6, 11);
    TypeText(L"x");
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 0, 2);
    UpdateMenuState();
    EXPECT_FALSE(Grayed(ID_EDIT_UNDO));
    EXPECT_FALSE(Grayed(ID_EDIT_CUT));
    EXPECT_FALSE(Grayed(ID_EDIT_COPY));
    EXPECT_FALSE(Grayed(ID_EDIT_DELETE));
    EXPECT_FALSE(Grayed(ID_EDIT_PASTE));
    // Items outside those five stay enabled.
    for (UINT id : {ID_FILE_NEW, ID_EDIT_FIND, ID_EDIT_SELECTALL, ID_FORMAT_WORDWRAP})
        EXPECT_FALSE(Grayed(id));
}

// Start-up, in either palette, leaves nothing for Undo to take back.
void ExpectNothingToUndoAtStart(DWORD appsUseLightTheme)
{
    ScopedRegistryDword systemTheme(kPersonalizeKey, L"AppsUseLightTheme");
    systemTheme.Set(appsUseLightTheme);
    StartJotwell();
    EXPECT_EQ(g_app.darkActive, appsUseLightTheme ? 0 : 1);
    EXPECT_EQ(SendMessageW(g_app.hwndEdit, EM_CANUNDO, 0, 0), 0);
    HMENU edit = GetSubMenu(GetMenu(g_app.hwndMain), 1);
    SendMessageW(g_app.hwndMain, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
    EXPECT_TRUE(Grayed(ID_EDIT_UNDO));
    StopJotwell();
}

TEST(ShellStart, LightWindowHasNothingToUndo)
{
    ExpectNothingToUndoAtStart(1);
}

TEST(ShellStart, DarkWindowHasNothingToUndo)
{
    ExpectNothingToUndoAtStart(0);
}

TEST_F(ShellTest, OpeningAMenuRefreshesItsState)
{
    SetEditText(L"abc");
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 1, 1);
    HMENU edit = GetSubMenu(GetMenu(g_app.hwndMain), 1);
    SendMessageW(g_app.hwndMain, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
    EXPECT_TRUE(Grayed(ID_EDIT_CUT));
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 0, 2);
    SendMessageW(g_app.hwndMain, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
    EXPECT_FALSE(Grayed(ID_EDIT_CUT));
}

TEST_F(ShellTest, TypingWorksInADocumentLongerThanTheDefaultLimit)
{
    std::wstring lines;
    for (int i = 0; i < 500; ++i) lines += std::wstring(78, L'a') + L"\r\n"; // 40,000 characters
    SetEditText(lines);
    SendMessageW(g_app.hwndEdit, EM_SETSEL, -1, -1);
    TypeText(L"xyz");
    const std::wstring text = EditText();
    ASSERT_EQ(text.size(), 40003u);
    EXPECT_EQ(text.substr(40000), L"xyz");

    SetClipboardText(L"pasted");
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_PASTE, 0);
    EXPECT_EQ(EditText().size(), 40009u);
}

TEST_F(ShellTest, KeysAndPastePutInPlainTextOnly)
{
    SetClipboardText(L"a\r\r\nb\rc\nd");
    // AltGr+V on a Hungarian keyboard: Ctrl+Alt held, the key-down, then the character made of it.
    HoldKeys({VK_CONTROL, VK_MENU});
    PostMessageW(g_app.hwndEdit, WM_KEYDOWN, 'V', 1);
    PostMessageW(g_app.hwndEdit, WM_CHAR, L'@', 1);
    Pump();
    PressKey('I', {VK_CONTROL});
    PressKey(VK_RETURN, {VK_SHIFT});
    PressKey('V', {VK_CONTROL});
    EXPECT_EQ(EditText(), L"@\t\r\na\r\n\r\nb\r\nc\r\nd");
    SendMessageW(g_app.hwndEdit, EM_UNDO, 0, 0);
    SendMessageW(g_app.hwndEdit, EM_SETREADONLY, 1, 0); // as while a file loads
    PressKey('V', {VK_CONTROL});
    TempFolder folder;
    DialogScript script;
    script.ChooseFile(folder.File(L"keys.txt"));
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_FILE_SAVEAS, 0);
    EXPECT_EQ(ReadFileBytes(folder.File(L"keys.txt")), std::string("\xFF\xFE@\0\t\0\r\0\n\0", 10));
}

TEST_F(ShellTest, PlainLettersAreTypedAndShortcutsAreNot)
{
    for (UINT key : {'A', 'N', 'F', 'H', 'O', 'S', 'P'}) PressKey(key);
    EXPECT_EQ(EditText(), L"anfhosp");

    // Ctrl+H is a shortcut: it never reaches the control as a backspace.
    PressKey('H', {VK_CONTROL});
    EXPECT_EQ(EditText().substr(0, 7), L"anfhosp");
    EXPECT_EQ(EditText(), L"anfhosp");
    SetFocus(g_app.hwndEdit);

    SendMessageW(g_app.hwndEdit, EM_SETSEL, 2, 2);
    PressKey('A', {VK_CONTROL});
    EXPECT_EQ(EditSelection().cpMin, 0);
    wchar_t selected[16] = {};
    SendMessageW(g_app.hwndEdit, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(selected));
    EXPECT_STREQ(selected, L"anfhosp");
    EXPECT_EQ(GetFocus(), g_app.hwndEdit);
}

TEST_F(ShellTest, SelectAllOnEmptyTextFocusesTheEditor)
{
    SetFocus(nullptr);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_SELECTALL, 0);
    EXPECT_EQ(EditSelection().cpMin, 0);
    wchar_t selected[8] = {L'?'};
    SendMessageW(g_app.hwndEdit, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(selected));
    EXPECT_STREQ(selected, L"");
    EXPECT_EQ(GetFocus(), g_app.hwndEdit);
}

TEST_F(ShellTest, EditCommandsReachTheControl)
{
    SetEditText(L"one two");
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 0, 4);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_CUT, 0);
    EXPECT_EQ(EditText(), L"two");
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_PASTE, 0);
    EXPECT_EQ(EditText(), L"one two");
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 0, 3);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_DELETE, 0);
    EXPECT_EQ(EditText(), L" two");
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_UNDO, 0);
    EXPECT_EQ(EditText(), L"one two");
}

TEST_F(ShellTest, AboutBoxIsModalInformationWithOk)
{
    DialogScript script;
    script.Press(IDOK);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_HELP_ABOUT, 0);
    ASSERT_EQ(script.seen().size(), 1u);
    const SeenDialog& box = script.seen()[0];
    EXPECT_EQ(box.title, L"About Jotwell");
    EXPECT_EQ(box.owner, g_app.hwndMain);
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(box.icon, LoadIconW(nullptr, IDI_INFORMATION));
    // Six lines, the product line first and no break after the last.
    const std::wstring about = kAboutText;
    EXPECT_EQ(about.rfind(L"Jotwell\r\n\r\n", 0), 0u);
    size_t breaks = 0;
    for (size_t at = about.find(L"\r\n"); at != std::wstring::npos; at = about.find(L"\r\n", at + 2)) ++breaks;
    EXPECT_EQ(breaks, 5u);
    EXPECT_NE(about.substr(about.size() - 2), L"\r\n");
}

TEST_F(ShellTest, ClosingEndsTheLoopWithExitCodeZero)
{
    SendMessageW(g_app.hwndMain, WM_CLOSE, 0, 0);
    int code = -1;
    EXPECT_TRUE(Pump(&code));
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(IsWindow(g_app.hwndMain));
    EXPECT_EQ(g_app.hwndEdit, nullptr);
    EXPECT_EQ(g_app.hRichEditLib, nullptr);
}

TEST_F(ShellTest, ExitCommandClosesLikeTheCaptionButton)
{
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_FILE_EXIT, 0);
    int code = -1;
    EXPECT_TRUE(Pump(&code));
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(IsWindow(g_app.hwndMain));
}

TEST_F(ShellTest, FocusOnTheMainWindowPassesToTheText)
{
    SetFocus(g_app.hwndMain);
    EXPECT_EQ(GetFocus(), g_app.hwndEdit);
}

} // namespace
