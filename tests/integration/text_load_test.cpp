// A long text put in from the message loop: the first screen at once, the rest in pieces while
// the document can be read but not changed; what stops a load, and what brings the old one back.
#include "support/app_fixture.h"
#include "support/dialog_script.h"

#include "app/menu.h"
#include "document/document.h"
#include "editor/find_replace.h"
#include "editor/text_load.h"
#include "editor/word_wrap.h"

namespace {

// 1,000 lines of 30 characters and a line break (31 positions each), in pieces of 300 units.
class TextLoadTest : public JotwellTest {
protected:
    void SetUp() override
    {
        JotwellTest::SetUp();
        SetTextLoadPieces(100, 1 << 20, 300, 300);
        for (int i = 0; i < 1000; ++i) text += L"line " + std::to_wstring(10000 + i).substr(1) + L" of the arriving text\r\n";
        WriteFileBytes(path, "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
    }
    void StartOpen() const
    {
        ASSERT_EQ(OpenDocumentFile(path.c_str()), 1);
        Pump();
        ASSERT_TRUE(TextLoadRunning());
    }
    TempFolder folder;
    std::wstring path = folder.File(L"long.txt");
    std::wstring text;
};

bool Greyed(UINT id)
{
    return (GetMenuState(GetMenu(g_app.hwndMain), id, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

TEST_F(TextLoadTest, TheFirstScreenComesAtOnceAndTheRestCanBeReadButNotChanged)
{
    StartOpen();
    EXPECT_EQ(WindowText(g_app.hwndMain), L"long.txt - Jotwell");
    EXPECT_EQ(StatusText().rfind(L"Opening... ", 0), 0u);
    // The last character in lies below the control's bottom edge: the first screen is full.
    GETTEXTLENGTHEX query = {GTL_DEFAULT, 1200};
    const LRESULT arrived = SendMessageW(g_app.hwndEdit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0);
    POINTL last = {};
    SendMessageW(g_app.hwndEdit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&last), arrived - 1);
    RECT client = {};
    GetClientRect(g_app.hwndEdit, &client);
    EXPECT_GE(last.y, client.bottom);

    // What has arrived can be selected, copied and searched; the view stays where Find puts it.
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 0, 9);
    UpdateMenuState();
    EXPECT_FALSE(Greyed(ID_EDIT_COPY));
    for (UINT id : {ID_FILE_SAVE, ID_FILE_SAVEAS, ID_FILE_PRINT, ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_PASTE,
                    ID_EDIT_DELETE, ID_EDIT_REPLACE, ID_FORMAT_WORDWRAP, ID_FORMAT_ENCODING_UTF8})
        EXPECT_TRUE(Greyed(id)) << id;
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_COPY, 0);
    ASSERT_TRUE(OpenClipboard(g_app.hwndMain));
    EXPECT_STREQ(static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT))), L"line 0000");
    CloseClipboard();
    lstrcpyW(g_app.findWhat, L"line 0010");
    FindNext();
    EXPECT_EQ(EditSelection().cpMin, 10 * 31);
    const LRESULT top = SendMessageW(g_app.hwndEdit, EM_GETFIRSTVISIBLELINE, 0, 0);

    // Nothing changes the text meanwhile: keys, commands, Save, the encoding, Replace, wrapping.
    TypeText(L"x");
    for (UINT vk : {VK_DELETE, VK_BACK, VK_RETURN}) PressKey(vk);
    for (UINT vk : {'V', 'X', 'Z', 'Y'}) PressKey(vk, {VK_CONTROL});
    for (UINT id : {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_PASTE, ID_EDIT_DELETE, ID_FORMAT_ENCODING_UTF8})
        SendMessageW(g_app.hwndMain, WM_COMMAND, id, 0);
    EXPECT_EQ(DoFileSave(), 0);
    lstrcpyW(g_app.replaceWith, L"y");
    EXPECT_EQ(DoReplaceAll(), 0u);
    ToggleWordWrap();
    EXPECT_EQ(g_app.wordWrap, 1);

    PumpUntilLoaded();
    EXPECT_TRUE(EditText() == text);
    EXPECT_FALSE(EditModified() || SendMessageW(g_app.hwndEdit, EM_CANUNDO, 0, 0) || g_app.saveEncoding);
    EXPECT_TRUE(EditSelection().cpMin == 10 * 31 && EditSelection().cpMax == 10 * 31 + 9);
    EXPECT_EQ(SendMessageW(g_app.hwndEdit, EM_GETFIRSTVISIBLELINE, 0, 0), top);
    EXPECT_EQ(StatusText(), RecountedStatusText());
    EXPECT_EQ(WindowText(g_app.hwndMain), L"long.txt - Jotwell");
    EXPECT_FALSE(Greyed(ID_FILE_SAVE));
}

TEST_F(TextLoadTest, NewOpenADropAndCloseStopALoadWithoutAQuestion)
{
    const std::wstring other = folder.File(L"other.txt");
    WriteFileBytes(other, "other");
    DialogScript script;
    StartOpen();
    DoFileNew();
    EXPECT_EQ(EditText(), L"");
    EXPECT_EQ(WindowText(g_app.hwndMain), L"Untitled - Jotwell");

    StartOpen();
    script.ChooseFile(other);
    DoFileOpen();
    EXPECT_EQ(EditText(), L"other");

    StartOpen();
    EXPECT_TRUE(DropFiles(g_app.hwndEdit, {other}));
    EXPECT_EQ(EditText(), L"other");
    EXPECT_FALSE(TextLoadRunning());

    StartOpen();
    SendMessageW(g_app.hwndMain, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(g_app.hwndMain));
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].title, L"Open");
}

WNDPROC t_controlProc = nullptr;

LRESULT CALLBACK TakesNoMore(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return msg == EM_REPLACESEL ? 0 : CallWindowProcW(t_controlProc, hwnd, msg, wParam, lParam);
}

TEST_F(TextLoadTest, APieceTheControlCannotTakeBringsBackTheDocumentFromBefore)
{
    TypeText(L"old text");
    StartOpen();
    // The new control takes no more text part-way, as it would out of memory.
    t_controlProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(g_app.hwndEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TakesNoMore)));
    DialogScript script;
    script.Press(IDOK);
    PumpUntilLoaded();
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].text, L"Cannot open file. Not enough memory.");
    EXPECT_EQ(EditText(), L"old text");
    EXPECT_EQ(WindowText(g_app.hwndMain), L"*Untitled - Jotwell");
    EXPECT_TRUE(IsWindowVisible(g_app.hwndEdit) && SendMessageW(g_app.hwndEdit, EM_CANUNDO, 0, 0));
    EXPECT_EQ(StatusText(), RecountedStatusText());
}

TEST_F(TextLoadTest, AChangedTextBeingWrappedIsPutInWholeBeforeTheQuestionAndSavedWhole)
{
    StartOpen();
    PumpUntilLoaded();
    TypeText(L"!");
    ToggleWordWrap();
    ASSERT_TRUE(TextLoadModified());
    EXPECT_EQ(WindowText(g_app.hwndMain), L"*long.txt - Jotwell");
    DialogScript script;
    script.Press(IDYES);
    SendMessageW(g_app.hwndMain, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(g_app.hwndMain));
    const std::wstring saved = L"\xFEFF!" + text;
    EXPECT_TRUE(ReadFileBytes(path) == std::string(reinterpret_cast<const char*>(saved.data()), saved.size() * 2));
}

TEST_F(TextLoadTest, MinimisingLeavesTheControlAsItWas)
{
    RECT before = {}, now = {};
    GetWindowRect(g_app.hwndEdit, &before);
    for (int show : {SW_MINIMIZE, SW_RESTORE}) {
        ShowWindow(g_app.hwndMain, show);
        Pump();
        GetWindowRect(g_app.hwndEdit, &now);
        EXPECT_EQ(IsIconic(g_app.hwndMain) != FALSE, show == SW_MINIMIZE);
        EXPECT_TRUE(now.right - now.left == before.right - before.left && now.bottom - now.top == before.bottom - before.top);
    }
}

} // namespace
