// Find and Replace through the real modeless dialogs.
#include "support/app_fixture.h"

#include "support/dialog_script.h"

#include "editor/find_replace.h"

#include <string>

namespace {

constexpr int kFindWhat = 0x480;
constexpr int kReplaceWith = 0x481;
constexpr int kWholeWord = 0x410;
constexpr int kMatchCase = 0x411;
constexpr int kUp = 0x420;
constexpr int kReplaceButton = 0x400;
constexpr int kReplaceAllButton = 0x401;

using FindTest = JotwellTest;

void Click(int id)
{
    HWND dialog = g_app.hwndFindDialog;
    ASSERT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    Pump();
}

void Check(int id, bool on)
{
    CheckDlgButton(g_app.hwndFindDialog, id, on ? BST_CHECKED : BST_UNCHECKED);
    SendMessageW(g_app.hwndFindDialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(g_app.hwndFindDialog, id)));
}

void OpenFind(const wchar_t* what)
{
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_FIND, 0);
    Pump();
    ASSERT_NE(g_app.hwndFindDialog, nullptr);
    SetDlgItemTextW(g_app.hwndFindDialog, kFindWhat, what);
}

void OpenReplace(const wchar_t* what, const wchar_t* with)
{
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_REPLACE, 0);
    Pump();
    ASSERT_NE(g_app.hwndFindDialog, nullptr);
    SetDlgItemTextW(g_app.hwndFindDialog, kFindWhat, what);
    SetDlgItemTextW(g_app.hwndFindDialog, kReplaceWith, with);
}

void Select(LONG from, LONG to)
{
    SendMessageW(g_app.hwndEdit, EM_SETSEL, static_cast<WPARAM>(from), to);
}

bool Selected(LONG from, LONG to)
{
    const CHARRANGE sel = EditSelection();
    return sel.cpMin == from && sel.cpMax == to;
}

TEST_F(FindTest, FindNextWrapsAroundBothWays)
{
    SetEditText(L"cat dog cat bird");
    OpenFind(L"cat");
    Select(5, 5);
    Click(IDOK);
    EXPECT_TRUE(Selected(8, 11));
    Click(IDOK); // past the last match: once round from the top
    EXPECT_TRUE(Selected(0, 3));

    // Find Previous (Shift+F3 in the text) goes up and wraps from the end; the dialog stays
    // set to Down.
    SetFocus(g_app.hwndEdit);
    const DWORD flagsBefore = g_app.findReplaceData.Flags;
    PressKey(VK_F3, {VK_SHIFT});
    EXPECT_TRUE(Selected(8, 11));
    EXPECT_EQ(g_app.findReplaceData.Flags, flagsBefore);
    PressKey(VK_F3);
    EXPECT_TRUE(Selected(0, 3));

    // With the dialog set to Up, Find Next searches upward.
    SendMessageW(GetDlgItem(g_app.hwndFindDialog, kUp), BM_CLICK, 0, 0);
    Click(IDOK);
    EXPECT_FALSE(g_app.findReplaceData.Flags & FR_DOWN);
    EXPECT_TRUE(Selected(8, 11));
}

TEST_F(FindTest, F3KeepsTheDialogsLastOptionsAfterFocusLeavesItAndAfterItCloses)
{
    SetEditText(L"Cat cat CAT Cat");
    OpenFind(L"Cat");
    Check(kMatchCase, true);
    Select(0, 0);
    Click(IDOK);
    EXPECT_TRUE(Selected(0, 3));
    // Back in the text (the dialog's box loses the focus), F3 goes on down with Match case.
    SetFocus(g_app.hwndEdit);
    Pump();
    PressKey(VK_F3);
    EXPECT_TRUE(Selected(12, 15));
    PressKey(VK_F3, {VK_SHIFT});
    EXPECT_TRUE(Selected(0, 3));
    // Closed, the dialog's choices still hold.
    Click(IDCANCEL);
    ASSERT_EQ(g_app.hwndFindDialog, nullptr);
    PressKey(VK_F3);
    EXPECT_TRUE(Selected(12, 15));
    PressKey(VK_F3);
    EXPECT_TRUE(Selected(0, 3));
}

TEST_F(FindTest, OnlyMatchSelectedAgainAndNoMatchKeepsTheSelection)
{
    SetEditText(L"one needle here");
    OpenFind(L"needle");
    Select(4, 10);
    Click(IDOK);
    EXPECT_TRUE(Selected(4, 10));
    SetDlgItemTextW(g_app.hwndFindDialog, kFindWhat, L"absent");
    Select(1, 2);
    Click(IDOK);
    EXPECT_TRUE(Selected(1, 2));
}

TEST_F(FindTest, MatchCaseAndWholeWord)
{
    SetEditText(L"Cat catalog cat");
    OpenFind(L"cat");
    Check(kMatchCase, true);
    Select(0, 0);
    Click(IDOK);
    EXPECT_TRUE(Selected(4, 7));
    Check(kWholeWord, true);
    Select(0, 0);
    Click(IDOK);
    EXPECT_TRUE(Selected(12, 15));
}

TEST_F(FindTest, ReplaceOnAMatchAndOnANonMatch)
{
    SetEditText(L"a cat, a Cat, a cat");
    OpenReplace(L"cat", L"dog");
    Check(kMatchCase, true);
    // Not a match (only the case differs): nothing replaced, the next match is selected.
    Select(9, 12);
    Click(kReplaceButton);
    EXPECT_EQ(EditText(), L"a cat, a Cat, a cat");
    EXPECT_TRUE(Selected(16, 19));
    // A match: replaced, and the next one selected (round from the top).
    Click(kReplaceButton);
    EXPECT_EQ(EditText(), L"a cat, a Cat, a dog");
    EXPECT_TRUE(Selected(2, 5));
}

// The bar shows the caret at the match Replace moved on to, not where the replacement ended.
TEST_F(FindTest, ReplaceShowsTheCaretAtTheNextMatch)
{
    SetEditText(L"a\r\na");
    OpenReplace(L"a", L"b");
    Select(0, 1);
    Click(kReplaceButton);
    EXPECT_TRUE(Selected(2, 3));
    EXPECT_EQ(StatusText(), L"Ln 2, Col 1  |  2 words  |  3 chars  |  2 lines");
}

TEST_F(FindTest, ReplaceAllFromTheTopWithATextContainingTheSearch)
{
    SetEditText(L"ab ab\r\nab");
    Select(7, 7);
    OpenReplace(L"ab", L"xabx");
    Click(kReplaceAllButton);
    EXPECT_EQ(EditText(), L"xabx xabx\r\nxabx");
    // The caret stands after the last replacement; the bar and caption were refreshed once.
    EXPECT_TRUE(Selected(14, 14));
    EXPECT_EQ(StatusText(), L"Ln 2, Col 5  |  3 words  |  14 chars  |  2 lines");
    EXPECT_EQ(WindowText(g_app.hwndMain), L"*Untitled - Jotwell");
    EXPECT_TRUE(EditModified());
    EXPECT_EQ(SendMessageW(g_app.hwndEdit, EM_GETEVENTMASK, 0, 0), ENM_CHANGE);
}

TEST_F(FindTest, ReplaceAllLeavesWhatOneRefreshPerChangeWould)
{
    std::wstring text;
    for (int i = 0; i < 300; ++i) text += L"the cat sat on the mat\r\n";
    SetEditText(text);
    OpenReplace(L"at", L"a t");
    Click(kReplaceAllButton);
    std::wstring expected;
    for (int i = 0; i < 300; ++i) expected += L"the ca t sa t on the ma t\r\n";
    EXPECT_EQ(EditText(), expected);
    // The caret stands right behind the last "ma t" (a line break is one position).
    EXPECT_TRUE(Selected(299 * 26 + 25, 299 * 26 + 25));
    EXPECT_EQ(StatusText(), L"Ln 300, Col 26  |  2700 words  |  7800 chars  |  301 lines");
    EXPECT_EQ(StatusText(), RecountedStatusText());
    EXPECT_EQ(WindowText(g_app.hwndMain), L"*Untitled - Jotwell");
    EXPECT_TRUE(EditModified());
    EXPECT_EQ(SendMessageW(g_app.hwndEdit, EM_GETEVENTMASK, 0, 0), ENM_CHANGE);
    EXPECT_TRUE(IsWindowVisible(g_app.hwndEdit));
    // All 900 replacements are one undo step: one Undo gives the text back as it was.
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_UNDO, 0);
    EXPECT_TRUE(EditText() == text);
    EXPECT_EQ(StatusText(), RecountedStatusText());

    // Nothing to replace: the caret goes to the top, nothing else changes.
    SetEditText(L"nothing to do");
    const std::wstring before = StatusText();
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 5, 5);
    Click(kReplaceAllButton);
    EXPECT_TRUE(Selected(0, 0));
    EXPECT_EQ(StatusText(), before);
    EXPECT_EQ(WindowText(g_app.hwndMain), L"Untitled - Jotwell");
    EXPECT_FALSE(EditModified());
}

TEST_F(FindTest, EmptySearchNeverLoops)
{
    SetEditText(L"text");
    SendMessageW(g_app.hwndEdit, EM_SETMODIFY, 0, 0);
    g_app.findWhat[0] = L'\0';
    InitFindReplace();
    Select(1, 2);
    DoReplace();
    EXPECT_EQ(DoReplaceAll(), 0u);
    EXPECT_EQ(EditText(), L"text");
    EXPECT_FALSE(EditModified());
}

TEST_F(FindTest, KeysTypedInTheDialogStayThere)
{
    // A New that slipped through would ask about the typed text: the script would see it.
    DialogScript script;
    TypeText(L"kept");
    OpenFind(L"");
    SetFocus(GetDlgItem(g_app.hwndFindDialog, kFindWhat));
    PressKey('N', {VK_CONTROL});
    EXPECT_TRUE(script.seen().empty());
    EXPECT_EQ(EditText(), L"kept");
    EXPECT_EQ(WindowText(g_app.hwndMain), L"*Untitled - Jotwell");
    // A plain key typed there lands in the dialog's box, not in the text.
    PressKey('Q');
    EXPECT_EQ(EditText(), L"kept");
    wchar_t box[16] = {};
    GetDlgItemTextW(g_app.hwndFindDialog, kFindWhat, box, 16);
    EXPECT_STREQ(box, L"q");

    // Ctrl+H in the text while Find is open focuses the Find dialog; no second dialog opens.
    HWND find = g_app.hwndFindDialog;
    SetFocus(g_app.hwndEdit);
    PressKey('H', {VK_CONTROL});
    EXPECT_EQ(g_app.hwndFindDialog, find);
    EXPECT_TRUE(IsChild(find, GetFocus()) || GetFocus() == find);
    EXPECT_EQ(EditText(), L"kept");
}

TEST_F(FindTest, ClosingTheDialogOnlyForgetsIt)
{
    SetEditText(L"x y x");
    OpenFind(L"y");
    Click(IDOK);
    Click(IDCANCEL);
    EXPECT_EQ(g_app.hwndFindDialog, nullptr);
    EXPECT_TRUE(Selected(2, 3));
    EXPECT_STREQ(g_app.findWhat, L"y");
    // Reopened: the last text, direction Down, both options off.
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_FIND, 0);
    Pump();
    ASSERT_NE(g_app.hwndFindDialog, nullptr);
    wchar_t shown[32] = {};
    GetDlgItemTextW(g_app.hwndFindDialog, kFindWhat, shown, 32);
    EXPECT_STREQ(shown, L"y");
    EXPECT_TRUE(IsDlgButtonChecked(g_app.hwndFindDialog, kUp + 1));
    EXPECT_FALSE(IsDlgButtonChecked(g_app.hwndFindDialog, kUp));
    EXPECT_FALSE(IsDlgButtonChecked(g_app.hwndFindDialog, kMatchCase));
    EXPECT_FALSE(IsDlgButtonChecked(g_app.hwndFindDialog, kWholeWord));
}

} // namespace
