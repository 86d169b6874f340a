// A long text put in from the message loop: the first screen at once, the rest in pieces. What the
// user does meanwhile acts at once on what has arrived, or waits for the rest and then acts as on
// the whole text; what stops a load, and what a failure brings back.
#include "support/app_fixture.h"
#include "support/dialog_script.h"
#include "support/screenshot.h"

#include "app/main_window.h"
#include "app/startup.h"
#include "app/menu.h"
#include "document/document.h"
#include "editor/find_replace.h"
#include "editor/text_load.h"
#include "editor/word_wrap.h"

#include <functional>
#include <tuple>
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

// Each command of the user given at the first screen acts as the same command given once the text
// is all in: nothing is dropped, nothing acts on part of the text, input queued meanwhile follows.
TEST_F(TextLoadTest, EachCommandGivenWhileTheTextArrivesActsAsOnTheWholeText)
{
    const std::wstring saved = folder.File(L"saved.txt");
    const std::pair<const char*, std::function<void(DialogScript&)>> steps[] = {
        {"typed keys, queued", [](DialogScript&) {
             for (wchar_t ch : std::wstring(L"xyz")) PostMessageW(g_app.hwndEdit, WM_CHAR, ch, 1);
             Pump();
         }},
        {"Enter, Delete, Backspace, Ctrl+Z", [](DialogScript&) {
             for (UINT vk : {VK_RETURN, VK_DELETE, VK_BACK}) PressKey(vk);
             PressKey('Z', {VK_CONTROL});
         }},
        {"Ctrl+End, a letter", [](DialogScript&) { PressKey(VK_END, {VK_CONTROL}); TypeText(L"q"); }},
        {"Ctrl+Shift+End, Ctrl+C", [](DialogScript&) { PressKey(VK_END, {VK_CONTROL, VK_SHIFT}); PressKey('C', {VK_CONTROL}); }},
        {"Ctrl+A, Ctrl+X, Ctrl+V twice", [](DialogScript&) {
             for (UINT vk : {'A', 'X', 'V', 'V'}) PressKey(vk, {VK_CONTROL});
         }},
        {"Edit > Paste, Cut, Delete, Undo, Select All, Copy", [](DialogScript&) {
             for (UINT id : {ID_EDIT_PASTE, ID_EDIT_CUT, ID_EDIT_DELETE, ID_EDIT_UNDO, ID_EDIT_SELECTALL, ID_EDIT_COPY})
                 SendCommand(id);
         }},
        {"F3, Shift+F3", [](DialogScript&) { PressKey(VK_F3); PressKey(VK_END, {VK_SHIFT}); PressKey(VK_F3, {VK_SHIFT}); }},
        {"the dialog's Find Next, Replace, Replace All", [](DialogScript&) {
             InitFindReplace();
             NotifyFindDialog(FR_DOWN | FR_FINDNEXT);
             NotifyFindDialog(FR_DOWN | FR_REPLACE);
             lstrcpyW(g_app.findWhat, L"arriving");
             NotifyFindDialog(FR_DOWN | FR_REPLACEALL);
         }},
        {"Save As", [&saved](DialogScript& script) { script.ChooseFile(saved); PressKey('S', {VK_CONTROL, VK_SHIFT}); }},
        {"Print, cancelled", [](DialogScript&) { PressKey('P', {VK_CONTROL}); }},
        {"Word Wrap", [](DialogScript&) { SendCommand(ID_FORMAT_WORDWRAP); }},
        {"Encoding, Save", [](DialogScript& script) {
             SendCommand(ID_FORMAT_ENCODING_UTF8);
             script.Press(IDCANCEL);
             SendCommand(ID_FILE_SAVE);
         }},
    };
    for (const auto& [name, act] : steps) {
        std::wstring outcome[2];
        for (bool whole : {false, true}) {
            StopJotwell();
            StartJotwell();
            DeleteFileW(saved.c_str());
            SetClipboardText(L"pasted");
            lstrcpyW(g_app.findWhat, L"line 0999 of");
            lstrcpyW(g_app.replaceWith, L"LAST");
            StartOpen();
            if (whole) PumpUntilLoaded();
            SendMessageW(g_app.hwndEdit, EM_SETSEL, 40, 40);
            SetFocus(g_app.hwndEdit);
            DialogScript script;
            act(script);
            PumpUntilLoaded();
            // The document, the selection, the clipboard, the saved file, the dialogs.
            const std::string file = ReadFileBytes(saved);
            outcome[whole] = EditText() + L"|" + WindowText(g_app.hwndMain) + L"|" + ClipboardText() + L"|" +
                             std::wstring(file.begin(), file.end()) + std::to_wstring(EditSelection().cpMin) + L"-" +
                             std::to_wstring(EditSelection().cpMax) + (EditModified() ? L"*" : L"") +
                             std::to_wstring(g_app.wordWrap) + std::to_wstring(g_app.saveEncoding);
            for (const SeenDialog& seen : script.seen()) outcome[whole] += L"|" + seen.title;
        }
        EXPECT_TRUE(outcome[0] == outcome[1]) << name;
    }
}

// Meanwhile what has arrived can be selected, upwards too, and copied; the menus show what they
// would for the whole document, and the id that tools find the text by is always the shown one's.
TEST_F(TextLoadTest, WhatHasArrivedCanBeSelectedAndCopiedAtOnce)
{
    StartOpen();
    EXPECT_EQ(WindowText(g_app.hwndMain), L"long.txt - Jotwell");
    EXPECT_EQ(StatusText().rfind(L"Opening... ", 0), 0u);
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 0, 9);
    SendCommand(ID_EDIT_COPY);
    EXPECT_EQ(ClipboardText(), L"line 0000");
    UpdateMenuState();
    // Nothing greyed but Undo: an opened file has nothing to undo.
    for (UINT id : {ID_FILE_SAVE, ID_FILE_PRINT, ID_EDIT_CUT, ID_EDIT_UNDO, ID_FORMAT_WORDWRAP, ID_EDIT_REPLACE})
        EXPECT_EQ((GetMenuState(GetMenu(g_app.hwndMain), id, MF_BYCOMMAND) & MF_GRAYED) != 0, id == ID_EDIT_UNDO) << id;

    SetFocus(g_app.hwndEdit);
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 40, 40);
    for (int i = 0; i < 3; ++i) PressKey(VK_LEFT, {VK_SHIFT});
    for (int piece = 0; TextLoadRunning(); ++piece) {
        ASSERT_EQ(GetDlgItem(g_app.hwndMain, IDC_EDIT), g_app.hwndEdit) << "piece " << piece;
        if (piece == 5) PressKey(VK_LEFT, {VK_SHIFT}); // the moving end is still the first
        DoIdleWork();
        Pump();
    }
    EXPECT_TRUE(EditSelection().cpMin == 36 && EditSelection().cpMax == 40);
    EXPECT_EQ(GetDlgItem(g_app.hwndMain, IDC_EDIT), g_app.hwndEdit);
    EXPECT_EQ(StatusText(), RecountedStatusText());
}

// An Open that fails meanwhile (a folder dropped, a file that cannot be read) changes nothing: the
// arriving document keeps its name, and Save writes nothing into the file of the one before.
TEST_F(TextLoadTest, AFailedOpenLeavesTheArrivingDocumentAsItWas)
{
    const std::wstring before = folder.File(L"before.txt");
    WriteFileBytes(before, "old");
    ASSERT_EQ(OpenDocumentFile(before.c_str()), 1);
    TypeText(L"discarded ");
    DialogScript script;
    script.Press(IDNO).ChooseFile(path);
    SendCommand(ID_FILE_OPEN);
    ASSERT_TRUE(TextLoadRunning());
    EXPECT_TRUE(DropFiles(g_app.hwndEdit, {folder.path()}));
    EXPECT_EQ(OpenDocumentFile(folder.File(L"missing.txt").c_str()), 0);
    EXPECT_TRUE(TextLoadRunning());
    EXPECT_EQ(WindowText(g_app.hwndMain), L"long.txt - Jotwell");
    PumpUntilLoaded();
    PressKey('S', {VK_CONTROL});
    EXPECT_TRUE(EditText() == text && !EditModified());
    EXPECT_EQ(WindowText(g_app.hwndMain), L"long.txt - Jotwell");
    EXPECT_EQ(ReadFileBytes(before), "old");
    EXPECT_EQ(StatusText(), RecountedStatusText());
}

// Word Wrap turned off, then New before the text is re-wrapped: the new document keeps the choice.
TEST_F(TextLoadTest, NewDuringARewrapKeepsTheChoiceJustMade)
{
    StartOpen();
    PumpUntilLoaded();
    SendCommand(ID_FORMAT_WORDWRAP);
    ASSERT_TRUE(TextLoadRunning());
    SendCommand(ID_FILE_NEW);
    PumpUntilLoaded();
    EXPECT_EQ(EditText(), L"");
    EXPECT_EQ(g_app.wordWrap, 0);
    EXPECT_TRUE(GetWindowLongPtrW(g_app.hwndEdit, GWL_STYLE) & ES_AUTOHSCROLL);
    UpdateMenuState();
    EXPECT_FALSE(GetMenuState(GetMenu(g_app.hwndMain), ID_FORMAT_WORDWRAP, MF_BYCOMMAND) & MF_CHECKED);
}

// Unwrapped lines wider than the view: the pieces that land in view are painted as they go in.
TEST_F(TextLoadTest, PiecesThatLandInViewArePainted)
{
    SendCommand(ID_FORMAT_WORDWRAP);
    std::wstring wide;
    for (int i = 0; i < 60; ++i) wide += std::wstring(1000, static_cast<wchar_t>(L'a' + i % 26)) + L" line\r\n";
    WriteFileBytes(path, "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2));
    StartOpen();
    // Compared while the text still arrives: the end of the load repaints the whole control.
    while (TextLoadRunning() && SendMessageW(g_app.hwndEdit, EM_GETLINECOUNT, 0, 0) < 45) {
        DoIdleWork();
        Pump();
    }
    ASSERT_TRUE(TextLoadRunning());
    const Screenshot arrived = CaptureWindow(g_app.hwndEdit);
    InvalidateRect(g_app.hwndEdit, nullptr, TRUE);
    Pump();
    EXPECT_TRUE(CaptureWindow(g_app.hwndEdit).pixels == arrived.pixels);
}

// The control a load replaced gives up the id at once and is gone within 2 s, input or not.
TEST_F(TextLoadTest, TheReplacedControlGoesSoonWhileTheUserGoesOn)
{
    const HWND replaced = g_app.hwndEdit;
    StartOpen();
    EXPECT_TRUE(!IsWindowVisible(replaced) && GetDlgCtrlID(replaced) == 0);
    PumpUntilLoaded();
    const ULONGLONG end = GetTickCount64();
    for (int i = 0; IsWindow(replaced) && GetTickCount64() - end < 2000; ++i) {
        INPUT move = {INPUT_MOUSE, {.mi = {i % 2 ? 1 : -1, 0, 0, MOUSEEVENTF_MOVE, 0, 0}}};
        SendInput(1, &move, sizeof(move));
        PostMessageW(g_app.hwndEdit, WM_KEYDOWN, VK_RIGHT, 1);
        Sleep(20);
        Pump();
    }
    EXPECT_FALSE(IsWindow(replaced));
}

// A log-off while Save As is up brings Save As to the front and asks nothing: unsaved changes keep
// the session.
TEST_F(TextLoadTest, EndingTheSessionBehindSaveAsAsksNoSecondQuestion)
{
    TypeText(L"unsaved");
    LRESULT answer = TRUE;
    DialogScript script;
    script.Then([&answer](HWND dialog) {
        answer = SendMessageW(g_app.hwndMain, WM_QUERYENDSESSION, 0, 0);
        ClickDialogButton(dialog, IDCANCEL);
    });
    PressKey('S', {VK_CONTROL, VK_SHIFT});
    EXPECT_TRUE(answer == FALSE && script.seen().size() == 1 && script.seen()[0].title == L"Save As");
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

TEST_F(TextLoadTest, APieceTheControlCannotTakeBringsBackTheDocumentFromBefore)
{
    TypeText(L"old text");
    StartOpen();
    // The new control takes no more text part-way, as it would out of memory.
    RefuseMoreText(g_app.hwndEdit);
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
