// The status bar in the real window: its text, what refreshes it, showing and hiding it.
#include "support/app_fixture.h"

#include "editor/status_bar.h"
#include "editor/status_text.h"

#include <commctrl.h>

namespace {

using StatusTest = JotwellTest;

// What the bar must show, computed the straightforward way from the control.
std::wstring Expected()
{
    const std::wstring text = EditText();
    const CHARRANGE sel = EditSelection();
    const LRESULT line = SendMessageW(g_app.hwndEdit, EM_LINEFROMCHAR, static_cast<WPARAM>(sel.cpMin), 0);
    const LRESULT start = SendMessageW(g_app.hwndEdit, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    uint32_t words = 0, chars = 0;
    bool in = false;
    for (wchar_t c : text) {
        if (c != L'\r') ++chars;
        const bool sep = c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
        if (sep)
            in = false;
        else if (!in)
            ++words, in = true;
    }
    wchar_t out[512];
    BuildStatusText(static_cast<uint32_t>(line + 1), static_cast<uint32_t>(sel.cpMin - start + 1), words, chars,
                    static_cast<uint32_t>(SendMessageW(g_app.hwndEdit, EM_GETLINECOUNT, 0, 0)), out);
    return out;
}

TEST_F(StatusTest, EmptyDocument)
{
    EXPECT_EQ(StatusText(), L"Ln 1, Col 1  |  0 words  |  0 chars  |  1 lines");
}

TEST_F(StatusTest, TypingRefreshesWithTheCountsOfTheText)
{
    TypeText(L"one two\tthree");
    EXPECT_EQ(StatusText(), L"Ln 1, Col 14  |  3 words  |  13 chars  |  1 lines");
    PressKey(VK_RETURN);
    TypeText(L"..., x");
    EXPECT_EQ(StatusText(), Expected());
    EXPECT_EQ(StatusText(), L"Ln 2, Col 7  |  5 words  |  20 chars  |  2 lines");
}

TEST_F(StatusTest, SelectionShowsItsStartWhicheverEndHoldsTheCaret)
{
    SetEditText(L"first line\r\nsecond line");
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 14, 20); // caret at the end
    UpdateStatusBar();
    EXPECT_EQ(StatusText().substr(0, 13), L"Ln 2, Col 4  ");
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 20, 14); // caret at the start
    UpdateStatusBar();
    EXPECT_EQ(StatusText().substr(0, 13), L"Ln 2, Col 4  ");
}

TEST_F(StatusTest, OnlyTextChangesRefresh)
{
    SetEditText(L"alpha beta");
    const std::wstring before = StatusText();
    // A caret move, Copy and Select All leave the text as it was.
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 3, 3);
    Pump();
    EXPECT_EQ(StatusText(), before);
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 0, 5);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_COPY, 0);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_SELECTALL, 0);
    Pump();
    EXPECT_EQ(StatusText(), before);

    // Cut, Paste, Delete and Undo do refresh.
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 0, 6);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_CUT, 0);
    EXPECT_EQ(StatusText(), Expected());
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_PASTE, 0);
    EXPECT_EQ(StatusText(), Expected());
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 0, 2);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_DELETE, 0);
    EXPECT_EQ(StatusText(), Expected());
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_UNDO, 0);
    EXPECT_EQ(StatusText(), Expected());
}

TEST_F(StatusTest, WrappedLinesCountAsLines)
{
    std::wstring longLine;
    for (int i = 0; i < 200; ++i) longLine += L"word ";
    SetEditText(longLine);
    const LRESULT lines = SendMessageW(g_app.hwndEdit, EM_GETLINECOUNT, 0, 0);
    ASSERT_GT(lines, 1);
    EXPECT_EQ(StatusText(), Expected());
    EXPECT_NE(StatusText().find(L"  |  " + std::to_wstring(lines) + L" lines"), std::wstring::npos);
}

int EditHeight()
{
    RECT r = {};
    GetWindowRect(g_app.hwndEdit, &r);
    return r.bottom - r.top;
}

TEST_F(StatusTest, HidingGivesTheTextTheWholeClientArea)
{
    RECT client = {};
    GetClientRect(g_app.hwndMain, &client);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_VIEW_STATUSBAR, 0);
    EXPECT_EQ(g_app.statusBarVisible, 0);
    EXPECT_FALSE(IsWindowVisible(g_app.hwndStatus));
    EXPECT_EQ(GetMenuState(GetMenu(g_app.hwndMain), ID_VIEW_STATUSBAR, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(EditHeight(), client.bottom);

    // While hidden nothing refreshes it; shown again it gets current values.
    TypeText(L"hidden typing");
    EXPECT_EQ(StatusText(), L"Ln 1, Col 1  |  0 words  |  0 chars  |  1 lines");

    // Resized while hidden: shown again, the bar and the text fit the new size.
    SetWindowPos(g_app.hwndMain, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    GetClientRect(g_app.hwndMain, &client);
    EXPECT_EQ(EditHeight(), client.bottom);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_VIEW_STATUSBAR, 0);
    EXPECT_TRUE(IsWindowVisible(g_app.hwndStatus));
    EXPECT_EQ(StatusText(), Expected());
    RECT bar = {};
    GetWindowRect(g_app.hwndStatus, &bar);
    EXPECT_EQ(bar.right - bar.left, client.right);
    POINT top = {bar.left, bar.top};
    ScreenToClient(g_app.hwndMain, &top);
    EXPECT_EQ(top.y, client.bottom - (bar.bottom - bar.top));
    EXPECT_EQ(EditHeight(), client.bottom - (bar.bottom - bar.top));
}

TEST_F(StatusTest, DarkModeDrawsTheTextItself)
{
    g_app.darkActive = 1;
    UpdateStatusBar();
    EXPECT_TRUE(HIWORD(SendMessageW(g_app.hwndStatus, SB_GETTEXTLENGTHW, 0, 0)) & SBT_OWNERDRAW);
    g_app.darkActive = 0;
    UpdateStatusBar();
    EXPECT_FALSE(HIWORD(SendMessageW(g_app.hwndStatus, SB_GETTEXTLENGTHW, 0, 0)) & SBT_OWNERDRAW);
}

} // namespace
