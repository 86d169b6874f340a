// Documents through the real Open and Save As dialogs and message boxes, answered by the test.
#include "support/app_fixture.h"
#include "support/dialog_script.h"
#include "support/import_patch.h"

#include "document/document.h"

#include <string>
#include <vector>

namespace {

using DocumentTest = JotwellTest;

const wchar_t kPromptText[] = L"The text in the Untitled file has changed.\r\nDo you want to save the changes?";

std::wstring Caption()
{
    return WindowText(g_app.hwndMain);
}

// Opens path through the real Open dialog (no unsaved changes, so no question).
void OpenThroughDialog(const std::wstring& path)
{
    DialogScript script;
    script.ChooseFile(path);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_FILE_OPEN, 0);
    Pump();
    ASSERT_EQ(script.pending(), 0u);
}

void SaveAsThroughDialog(const std::wstring& path)
{
    DialogScript script;
    script.ChooseFile(path);
    EXPECT_EQ(DoFileSaveAs(), 1);
    Pump();
}

void ExpectPrompt(const SeenDialog& box)
{
    EXPECT_EQ(box.title, L"Jotwell");
    EXPECT_EQ(box.text, kPromptText);
    EXPECT_EQ(box.buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
    EXPECT_EQ(box.icon, LoadIconW(nullptr, IDI_QUESTION));
    EXPECT_EQ(box.owner, g_app.hwndMain);
}

struct OpenCase {
    const char* name;
    std::string bytes;
    std::wstring text;
};

TEST_F(DocumentTest, OpensEveryRowOfTheReadingTable)
{
    TempFolder folder;
    const std::vector<OpenCase> cases = {
        {"empty file", std::string(), L""},
        {"FF FE alone", std::string("\xFF\xFE", 2), L""},
        {"FF FE 00 00", std::string("\xFF\xFE\0\0A\0", 6), L""},
        {"odd UTF-16", std::string("\xFF\xFE" "A\0B", 5), L"AB"},
        {"one byte", std::string("A"), L"A"},
        {"UTF-8 without mark", std::string("plain \xC3\xA9t\xC3\xA9"), L"plain \u00E9t\u00E9"},
        {"UTF-8 with mark", std::string("\xEF\xBB\xBF\xD0\x9F\xD1\x80\xD0\xB8 \xE6\x97\xA5"), L"\u041F\u0440\u0438 \u65E5"},
        {"malformed UTF-8 with mark", std::string("\xEF\xBB\xBF" "a\xFF" "b"), L"a\uFFFD" L"b"},
        {"UTF-8 cut off at the end", std::string("ab\xE2\x82"), L"ab\uFFFD"},
        {"embedded NUL", std::string("before\0after", 12), L"before"},
        {"UTF-16 without mark", std::string("H\0i\0", 4), L"H"},
        {"the UTF-8 mark alone", std::string("\xEF\xBB\xBF"), L""},
    };
    int index = 0;
    for (const OpenCase& c : cases) {
        const std::wstring path = folder.File(L"case" + std::to_wstring(index++) + L".txt");
        WriteFileBytes(path, c.bytes);
        SetEditText(L"previous");
        SendMessageW(g_app.hwndEdit, EM_SETMODIFY, 0, 0);
        OpenThroughDialog(path);
        EXPECT_EQ(EditText(), c.text) << c.name;
        EXPECT_FALSE(EditModified()) << c.name;
        EXPECT_EQ(std::wstring(g_app.currentFilePath), path) << c.name;
        EXPECT_EQ(Caption(), path.substr(path.rfind(L'\\') + 1) + L" - Jotwell") << c.name;
    }
}

// A file in the system's code page is not UTF-8: read in that code page, every letter survives
// the round through Save As and Open.
TEST_F(DocumentTest, Windows1252FileKeepsItsLettersThroughOpenAndSave)
{
    if (GetACP() != 1252) GTEST_SKIP() << "the system code page is " << GetACP() << ", not 1252";
    TempFolder folder;
    const std::wstring legacy = folder.File(L"legacy.txt");
    const std::wstring saved = folder.File(L"saved.txt");
    WriteFileBytes(legacy, "caf\xE9 cr\xE8me \x80 \x9F");
    OpenThroughDialog(legacy);
    const std::wstring letters = L"caf\u00E9 cr\u00E8me \u20AC \u0178";
    EXPECT_EQ(EditText(), letters);
    SaveAsThroughDialog(saved);
    OpenThroughDialog(saved);
    EXPECT_EQ(EditText(), letters);
}

// A CR LF file that went through one more text-mode conversion ends its lines in CR CR LF,
// which the control would join with a space; each CR stays a line break, in either encoding.
TEST_F(DocumentTest, CrCrLfKeepsEveryLineBreakThroughOpenAndSave)
{
    TempFolder folder;
    const std::wstring lines = L"one\r\r\ntwo\r\r\r\nthree\r\r\n";
    const std::wstring shown = L"one\r\n\r\ntwo\r\n\r\n\r\nthree\r\n\r\n";
    std::string utf16 = "\xFF\xFE";
    utf16.append(reinterpret_cast<const char*>(lines.data()), lines.size() * sizeof(wchar_t));
    for (const std::string& bytes : {std::string("one\r\r\ntwo\r\r\r\nthree\r\r\n"), utf16}) {
        const std::wstring path = folder.File(L"crcrlf.txt");
        WriteFileBytes(path, bytes);
        OpenThroughDialog(path);
        EXPECT_EQ(EditText(), shown);
        EXPECT_FALSE(EditModified());
        TypeText(L"0");
        EXPECT_EQ(DoFileSave(), 1);
        std::string saved = "\xFF\xFE";
        const std::wstring text = L"0" + shown;
        saved.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
        EXPECT_EQ(ReadFileBytes(path), saved);
    }
}

TEST_F(DocumentTest, SavesExactBytes)
{
    TempFolder folder;
    const std::wstring empty = folder.File(L"empty.txt");
    SaveAsThroughDialog(empty);
    EXPECT_EQ(ReadFileBytes(empty), std::string("\xFF\xFE", 2));
    EXPECT_EQ(Caption(), L"empty.txt - Jotwell");

    TypeText(L"AB");
    EXPECT_EQ(Caption(), L"*empty.txt - Jotwell");
    EXPECT_EQ(DoFileSave(), 1);
    EXPECT_EQ(ReadFileBytes(empty), std::string("\xFF\xFE" "A\0B\0", 6));
    EXPECT_EQ(Caption(), L"empty.txt - Jotwell");
    EXPECT_FALSE(EditModified());

    // Save reuses the buffer the status counts filled with a longer text: none of it may
    // follow the shorter one into the file.
    SetEditText(std::wstring(5000, L'z'));
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 0, -1);
    TypeText(L"C");
    EXPECT_EQ(DoFileSave(), 1);
    EXPECT_EQ(ReadFileBytes(empty), std::string("\xFF\xFE" "C\0", 4));
}

TEST_F(DocumentTest, MixedScriptRoundTripGivesBackTheControlsText)
{
    TempFolder folder;
    TypeText(L"English, \u0420\u0443\u0441\u0441\u043A\u0438\u0439, \u65E5\u672C\u8A9E, \u0627\u0644\u0639\u0631\u0628\u064A\u0629 \U0001F600");
    PressKey(VK_RETURN);
    TypeText(L"tab\there");
    PressKey(VK_RETURN);
    PressKey(VK_RETURN, {VK_SHIFT});
    TypeText(L"end");
    const std::wstring typed = EditText();
    const std::wstring path = folder.File(L"mixed.txt");
    SaveAsThroughDialog(path);
    SetEditText(L"something else");
    SendMessageW(g_app.hwndEdit, EM_SETMODIFY, 0, 0);
    OpenThroughDialog(path);
    EXPECT_EQ(EditText(), typed);
    EXPECT_FALSE(EditModified());
}

TEST_F(DocumentTest, SaveOfAnUnmodifiedDocumentWritesNothing)
{
    DialogScript script; // any dialog would be cancelled and seen
    EXPECT_EQ(DoFileSave(), 1);
    EXPECT_TRUE(script.seen().empty());
}

TEST_F(DocumentTest, SecondSaveAsStartsFromTheFirstOnesPath)
{
    TempFolder folder;
    const std::wstring first = folder.File(L"first.txt");
    SaveAsThroughDialog(first);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_FILE_NEW, 0);
    std::wstring shown;
    DialogScript script;
    script.Then([&](HWND dialog) {
        HWND box = GetDlgItem(dialog, 0x47c);
        if (!box) box = GetDlgItem(dialog, 0x480);
        shown = WindowText(box);
        ClickDialogButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(DoFileSaveAs(), 0);
    EXPECT_NE(shown.find(L"first.txt"), std::wstring::npos) << "dialog showed: " << shown;
    EXPECT_EQ(Caption(), L"Untitled - Jotwell");
}

TEST_F(DocumentTest, NewAsksAndFollowsTheAnswer)
{
    TypeText(L"draft");
    EXPECT_EQ(Caption(), L"*Untitled - Jotwell");
    {
        DialogScript script;
        script.Press(IDCANCEL);
        PressKey('N', {VK_CONTROL});
        ASSERT_EQ(script.seen().size(), 1u);
        ExpectPrompt(script.seen()[0]);
    }
    EXPECT_EQ(EditText(), L"draft");
    EXPECT_EQ(Caption(), L"*Untitled - Jotwell");

    // Ctrl+Alt+N and Ctrl+Alt+O are not shortcuts: no question, no dialog.
    for (UINT key : {'N', 'O'}) {
        DialogScript script;
        PressKey(key, {VK_CONTROL, VK_MENU});
        EXPECT_TRUE(script.seen().empty()) << char(key);
    }
    {
        DialogScript script;
        script.Press(IDNO);
        PressKey('N', {VK_CONTROL});
        EXPECT_EQ(script.seen().size(), 1u);
    }
    EXPECT_EQ(EditText(), L"");
    EXPECT_FALSE(EditModified());
    EXPECT_EQ(Caption(), L"Untitled - Jotwell");
}

// The modeless Replace dialog takes no input while a file dialog or message box is up, and Save As
// writes the text as it stands when its dialog closes, whatever changed behind it.
TEST_F(DocumentTest, NothingChangedBehindAFileDialogIsLost)
{
    TempFolder folder;
    WriteFileBytes(folder.File(L"other.txt"), "other");
    TypeText(L"cat cat");
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_REPLACE, 0);
    const HWND replace = g_app.hwndFindDialog;
    std::vector<bool> replaceEnabled;
    // Notes whether Replace takes input, changes the text behind the dialog, then answers it.
    const auto answer = [&](const wchar_t* change, const std::wstring& file, int button) {
        return [&, change, file, button](HWND dialog) {
            replaceEnabled.push_back(IsWindowEnabled(replace) != FALSE);
            if (change) SendMessageW(g_app.hwndEdit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(change));
            if (!file.empty()) SetWindowTextW(GetDlgItem(dialog, 0x47c), file.c_str());
            ClickDialogButton(dialog, button);
        };
    };
    DialogScript script;
    script.Then(answer(L" dog", folder.File(L"saved.txt"), IDOK));
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_FILE_SAVEAS, 0);
    EXPECT_EQ(ReadFileBytes(folder.File(L"saved.txt")),
              std::string("\xFF\xFE" "c\0a\0t\0 \0c\0a\0t\0 \0d\0o\0g\0", 24));
    EXPECT_EQ(Caption(), L"saved.txt - Jotwell");

    TypeText(L"!");
    script.Then(answer(nullptr, L"", IDNO)).Then(answer(nullptr, folder.File(L"other.txt"), IDOK));
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_FILE_OPEN, 0);
    Pump();
    EXPECT_EQ(EditText(), L"other");
    EXPECT_EQ(replaceEnabled, (std::vector<bool>{false, false, false}));
    EXPECT_TRUE(IsWindowEnabled(replace));
}

const auto realReadFile = reinterpret_cast<decltype(&ReadFile)>(
    reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "ReadFile")));

// A file that shrinks while it is read: half of what was asked, then the end.
BOOL WINAPI ShrinkingRead(HANDLE file, LPVOID data, DWORD size, LPDWORD read, LPOVERLAPPED overlapped)
{
    static thread_local bool halfGiven = false;
    if (halfGiven) {
        *read = 0;
        return TRUE;
    }
    halfGiven = true;
    return realReadFile(file, data, size / 2, read, overlapped);
}

TEST_F(DocumentTest, AFileThatShrinksWhileItIsReadKeepsTheOldDocument)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"shrinks.txt");
    WriteFileBytes(path, "the whole of the file");
    SetEditText(L"previous");
    {
        ImportPatch read("kernel32.dll", "ReadFile", reinterpret_cast<void*>(&ShrinkingRead));
        ASSERT_TRUE(read.ok());
        EXPECT_EQ(OpenDocumentFile(path.c_str()), 0);
    }
    EXPECT_EQ(EditText(), L"previous");
    EXPECT_EQ(g_app.currentFilePath[0], L'\0');
}

TEST_F(DocumentTest, CancelledOrFailedOpenKeepsEverything)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"kept.txt");
    SaveAsThroughDialog(path);
    TypeText(L"changes");
    const std::wstring caption = Caption();
    {
        DialogScript script;
        script.Press(IDNO).Press(IDCANCEL); // discard? no; then cancel the Open dialog
        SendMessageW(g_app.hwndMain, WM_COMMAND, ID_FILE_OPEN, 0);
        Pump();
    }
    EXPECT_EQ(std::wstring(g_app.currentFilePath), path);
    EXPECT_EQ(EditText(), L"changes");
    EXPECT_EQ(Caption(), caption);

    // A file that cannot be read: the document keeps its path, so Save never writes there.
    const std::wstring locked = folder.File(L"locked.txt");
    WriteFileBytes(locked, "other");
    HANDLE holder = CreateFileW(locked.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    {
        DialogScript script;
        script.Press(IDNO).ChooseFile(locked);
        SendMessageW(g_app.hwndMain, WM_COMMAND, ID_FILE_OPEN, 0);
        Pump();
    }
    CloseHandle(holder);
    EXPECT_EQ(std::wstring(g_app.currentFilePath), path);
    EXPECT_EQ(EditText(), L"changes");
    EXPECT_TRUE(EditModified());
    EXPECT_EQ(DoFileSave(), 1);
    EXPECT_EQ(ReadFileBytes(locked), "other");
}

TEST_F(DocumentTest, CloseWithYesAndACancelledSaveAsKeepsTheWindow)
{
    TypeText(L"unsaved");
    DialogScript script;
    script.Press(IDYES).Press(IDCANCEL);
    SendMessageW(g_app.hwndMain, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(script.seen().size(), 2u);
    EXPECT_TRUE(IsWindow(g_app.hwndMain));
    EXPECT_EQ(Caption(), L"*Untitled - Jotwell");
}

TEST_F(DocumentTest, CloseWithNoLeavesTheFileAlone)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"notes.txt");
    SaveAsThroughDialog(path);
    TypeText(L"more");
    EXPECT_EQ(Caption(), L"*notes.txt - Jotwell");
    DialogScript script;
    script.Press(IDNO);
    SendMessageW(g_app.hwndMain, WM_CLOSE, 0, 0);
    int code = -1;
    EXPECT_TRUE(Pump(&code));
    EXPECT_FALSE(IsWindow(g_app.hwndMain));
    EXPECT_EQ(ReadFileBytes(path), std::string("\xFF\xFE", 2));
}

TEST_F(DocumentTest, LogOffAsksAboutUnsavedChanges)
{
    EXPECT_EQ(SendMessageW(g_app.hwndMain, WM_QUERYENDSESSION, 0, 0), TRUE); // nothing to ask
    TypeText(L"unsaved");
    {
        DialogScript script;
        script.Press(IDCANCEL);
        EXPECT_EQ(SendMessageW(g_app.hwndMain, WM_QUERYENDSESSION, 0, 0), FALSE);
        EXPECT_EQ(script.seen().size(), 1u);
    }
    {
        DialogScript script;
        script.Press(IDYES).Press(IDCANCEL); // Yes, then the Save As dialog is cancelled
        EXPECT_EQ(SendMessageW(g_app.hwndMain, WM_QUERYENDSESSION, 0, 0), FALSE);
    }
    {
        DialogScript script;
        script.Press(IDNO);
        EXPECT_EQ(SendMessageW(g_app.hwndMain, WM_QUERYENDSESSION, 0, 0), TRUE);
    }
    EXPECT_TRUE(IsWindow(g_app.hwndMain));
}

TEST_F(DocumentTest, FailedSaveToAFileHeldOpenKeepsTheOldBytes)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"held.txt");
    SaveAsThroughDialog(path);
    TypeText(L"new text");
    const std::string before = ReadFileBytes(path);
    HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    {
        DialogScript script; // no message may appear
        EXPECT_EQ(DoFileSave(), 0);
        EXPECT_TRUE(script.seen().empty());
    }
    CloseHandle(holder);
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_TRUE(EditModified());
    EXPECT_EQ(Caption(), L"*held.txt - Jotwell");
    // No temporary file is left behind.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder.path() + L"\\*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    // Closing still asks.
    DialogScript script;
    script.Press(IDCANCEL);
    SendMessageW(g_app.hwndMain, WM_CLOSE, 0, 0);
    EXPECT_EQ(script.seen().size(), 1u);
}

TEST_F(DocumentTest, FailedSaveOnAFullDiskKeepsTheOldBytes)
{
    wchar_t disk[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"JOTWELL_SMALL_DISK", disk, MAX_PATH) ||
        GetFileAttributesW((std::wstring(disk) + L"\\mounted").c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "SKIPPED: no small tmpfs mounted (tools/small-disk.sh needs root to mount one)";
    const std::wstring path = std::wstring(disk) + L"\\full.txt";
    DeleteFileW(path.c_str());
    TypeText(L"small");
    SaveAsThroughDialog(path);
    const std::string before = ReadFileBytes(path);
    ASSERT_EQ(before.size(), 12u);
    // More than the 64 KiB the disk holds, in lines, so the control lays it out quickly.
    std::wstring big;
    for (int i = 0; i < 600; ++i) big += std::wstring(78, L'x') + L"\r\n";
    SetEditText(big);
    TypeText(L"!");
    EXPECT_TRUE(EditModified());
    EXPECT_EQ(DoFileSave(), 0);
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(Caption(), L"*full.txt - Jotwell");
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((std::wstring(disk) + L"\\*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    // Closing still asks.
    {
        DialogScript script;
        script.Press(IDCANCEL);
        SendMessageW(g_app.hwndMain, WM_CLOSE, 0, 0);
        EXPECT_EQ(script.seen().size(), 1u);
        EXPECT_TRUE(IsWindow(g_app.hwndMain));
    }
    DeleteFileW(path.c_str());
    SendMessageW(g_app.hwndEdit, EM_SETMODIFY, 0, 0);
}

} // namespace
