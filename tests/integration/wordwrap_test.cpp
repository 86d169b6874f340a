// Word wrap re-creates the control with the other styles, keeping what the user has.
#include "support/app_fixture.h"

#include "editor/text_load.h"
#include "support/creation_log.h"

#include "editor/word_wrap.h"

namespace {

using WordWrapTest = JotwellTest;

bool WrapChecked()
{
    return (GetMenuState(GetMenu(g_app.hwndMain), ID_FORMAT_WORDWRAP, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

TEST_F(WordWrapTest, TogglesStylesAndKeepsTextAndModifiedState)
{
    TypeText(L"some typed text");
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 5, 5);
    const HWND first = g_app.hwndEdit;
    {
        CreationLog log;
        SendMessageW(g_app.hwndMain, WM_COMMAND, ID_FORMAT_WORDWRAP, 0);
        const CreatedWindow* made = log.Last(L"RichEdit20W");
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->style, 0x503001C4u);
        EXPECT_EQ(made->id, 100);
    }
    EXPECT_TRUE(!IsWindowVisible(first) && GetDlgItem(g_app.hwndMain, IDC_EDIT) == g_app.hwndEdit);
    DropReplacedControl();
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(g_app.wordWrap, 0);
    EXPECT_FALSE(WrapChecked());
    EXPECT_EQ(EditText(), L"some typed text");
    EXPECT_TRUE(EditModified());
    EXPECT_EQ(WindowText(g_app.hwndMain), L"*Untitled - Jotwell");
    EXPECT_EQ(EditSelection().cpMin, 0); // the caret starts at the beginning
    EXPECT_EQ(GetFocus(), g_app.hwndEdit);
    EXPECT_EQ(SendMessageW(g_app.hwndEdit, EM_CANUNDO, 0, 0), 0);

    {
        CreationLog log;
        SendMessageW(g_app.hwndMain, WM_COMMAND, ID_FORMAT_WORDWRAP, 0);
        const CreatedWindow* made = log.Last(L"RichEdit20W");
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->style, 0x50200144u);
    }
    EXPECT_EQ(g_app.wordWrap, 1);
    EXPECT_TRUE(WrapChecked());
    EXPECT_TRUE(EditModified());

    // An unmodified document stays unmodified.
    SendMessageW(g_app.hwndEdit, EM_SETMODIFY, 0, 0);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_FORMAT_WORDWRAP, 0);
    EXPECT_FALSE(EditModified());
    EXPECT_EQ(WindowText(g_app.hwndMain), L"Untitled - Jotwell");
}

TEST_F(WordWrapTest, NewControlKeepsTheLiftedLimitTheFontAndTheSize)
{
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_FORMAT_WORDWRAP, 0);
    std::wstring text;
    for (int i = 0; i < 500; ++i) text += std::wstring(78, L'a') + L"\r\n"; // 40,000 characters
    SetEditText(text);
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 39500, 39500);
    TypeText(L"z");
    EXPECT_EQ(EditText().size(), 40001u);
    EXPECT_EQ(SendMessageW(g_app.hwndEdit, EM_GETEVENTMASK, 0, 0), ENM_CHANGE);
    RECT r = {};
    GetWindowRect(g_app.hwndEdit, &r);
    EXPECT_EQ(r.right - r.left, g_app.clientWidth);
    EXPECT_EQ(r.bottom - r.top, g_app.clientHeight);
}

TEST_F(WordWrapTest, FailedCreationLosesNothing)
{
    TypeText(L"precious");
    const HWND before = g_app.hwndEdit;
    // A CBT hook refuses the new control's creation.
    HHOOK refuse = SetWindowsHookExW(
        WH_CBT,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (code == HCBT_CREATEWND) {
                wchar_t cls[32] = {};
                GetClassNameW(reinterpret_cast<HWND>(wParam), cls, 32);
                if (lstrcmpiW(cls, L"RichEdit20W") == 0) return 1;
            }
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    ToggleWordWrap();
    UnhookWindowsHookEx(refuse);
    EXPECT_EQ(g_app.hwndEdit, before);
    EXPECT_TRUE(IsWindow(before));
    EXPECT_EQ(EditText(), L"precious");
    EXPECT_EQ(g_app.wordWrap, 1);
    EXPECT_TRUE(WrapChecked());
}

} // namespace
