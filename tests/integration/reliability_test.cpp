// Faults around files and log-off: large and odd files through the real Open path, files
// that are locked, vanish or are folders, the longest path, and a save that fails while
// Windows asks to end the session.
#include "support/app_fixture.h"
#include "support/dialog_script.h"
#include "support/fake_file_dialogs.h"

#include "document/document.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

void Command(UINT id)
{
    SendMessageW(g_app.hwndMain, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    Pump();
}

// A modified document named after `path`, saved once so that the path is the document's.
void StartNamedModified(FakeFileDialogs& dialogs, const std::wstring& path, const std::wstring& text)
{
    SetEditText(text);
    dialogs.Answer(path);
    Command(ID_FILE_SAVEAS);
    dialogs.Answer(L"");
    TypeText(L"!");
}

std::string SavedBytes(const std::wstring& text)
{
    std::string bytes = "\xFF\xFE";
    for (wchar_t ch : text) {
        bytes += static_cast<char>(ch & 0xFF);
        bytes += static_cast<char>(ch >> 8);
    }
    return bytes;
}

struct Snapshot {
    std::wstring text, caption, path;
    bool modified;
};

Snapshot Take()
{
    return {EditText(), WindowText(g_app.hwndMain), g_app.currentFilePath, EditModified()};
}

void ExpectUnchanged(const Snapshot& before)
{
    const Snapshot now = Take();
    EXPECT_EQ(now.text, before.text);
    EXPECT_EQ(now.caption, before.caption);
    EXPECT_EQ(now.path, before.path);
    EXPECT_EQ(now.modified, before.modified);
}

// Writes `head` and then `size - head.size()` bytes of 'x', in large chunks.
bool WriteLargeFile(const std::wstring& path, const std::string& head, ULONGLONG size)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    DWORD written = 0;
    ok = WriteFile(file, head.data(), static_cast<DWORD>(head.size()), &written, nullptr) && written == head.size();
    std::string chunk(8 << 20, 'x');
    for (ULONGLONG left = size - head.size(); ok && left > 0;) {
        const DWORD now = static_cast<DWORD>(left < chunk.size() ? left : chunk.size());
        ok = WriteFile(file, chunk.data(), now, &written, nullptr) && written == now;
        left -= now;
    }
    CloseHandle(file);
    return ok;
}

thread_local std::wstring t_vanishing;

// Deletes the chosen file as the Open dialog is taken down: after the dialog has checked
// that the file exists, before the program opens it.
LRESULT CALLBACK VanishHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_DESTROYWND && !t_vanishing.empty()) {
        const HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t cls[16] = {};
        GetClassNameW(window, cls, static_cast<int>(std::size(cls)));
        if (lstrcmpW(cls, L"#32770") == 0 && !(GetWindowLongW(window, GWL_STYLE) & WS_CHILD)) {
            wchar_t title[64] = {};
            GetWindowTextW(window, title, static_cast<int>(std::size(title)));
            if (lstrcmpW(title, L"Open") == 0) {
                DeleteFileW(t_vanishing.c_str());
                t_vanishing.clear();
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

class ReliabilityTest : public JotwellTest {};

// Log-off: answering Yes must not let the session end when the save does not happen.
TEST_F(ReliabilityTest, EndSessionIsRefusedWhenTheSaveFails)
{
    TempFolder folder;
    FakeFileDialogs dialogs;
    ASSERT_TRUE(dialogs.ok());

    // A read-only file cannot be written.
    const std::wstring readOnly = folder.File(L"readonly.txt");
    StartNamedModified(dialogs, readOnly, L"kept");
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    {
        DialogScript script;
        script.Press(IDYES);
        EXPECT_EQ(SendMessageW(g_app.hwndMain, WM_QUERYENDSESSION, 0, 0), FALSE);
        EXPECT_EQ(script.seen().size(), 1u);
    }
    EXPECT_TRUE(EditModified());
    EXPECT_EQ(WindowText(g_app.hwndMain), L"*readonly.txt - Jotwell");
    EXPECT_EQ(ReadFileBytes(readOnly), std::string("\xFF\xFEk\0e\0p\0t\0", 10));
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A file another program holds open without sharing cannot be created either.
    const std::wstring held = folder.File(L"held.txt");
    StartNamedModified(dialogs, held, L"held");
    HANDLE other = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    {
        DialogScript script;
        script.Press(IDYES);
        EXPECT_EQ(SendMessageW(g_app.hwndMain, WM_QUERYENDSESSION, 0, 0), FALSE);
    }
    CloseHandle(other);
    EXPECT_TRUE(EditModified());

    // Once the save can happen, Yes lets the session end and the file holds the text.
    {
        DialogScript script;
        script.Press(IDYES);
        EXPECT_EQ(SendMessageW(g_app.hwndMain, WM_QUERYENDSESSION, 0, 0), TRUE);
    }
    EXPECT_FALSE(EditModified());
    EXPECT_EQ(ReadFileBytes(held), std::string("\xFF\xFE!\0h\0e\0l\0d\0", 12));
}

// 300 MB of UTF-8 whose fourth byte is a NUL: the read and both decoding calls handle all
// of it, while the control gets only "abc" (RichEdit under Wine slows down far more than
// linearly past a million characters, which would make the test about the control).
TEST_F(ReliabilityTest, A300MegabyteFileOpensOrIsRefusedCleanly)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"big.txt");
    constexpr ULONGLONG kSize = 300ull << 20;
    ASSERT_TRUE(WriteLargeFile(path, std::string("abc\0", 4), kSize));
    SetEditText(L"before");
    const Snapshot before = Take();

    DialogScript script;
    script.ChooseFile(path);
    const auto started = std::chrono::steady_clock::now();
    Command(ID_FILE_OPEN);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("300 MB open took %.1f s\n", seconds);
    ASSERT_EQ(script.pending(), 0u);
    if (script.seen().size() == 2) {
        // Refused for want of memory: the one message, and nothing else changed.
        EXPECT_EQ(script.seen()[1].text, L"Cannot open file. Not enough memory.");
        EXPECT_EQ(EditText(), before.text);
        EXPECT_EQ(WindowText(g_app.hwndMain), before.caption);
    } else {
        ASSERT_EQ(script.seen().size(), 1u);
        EXPECT_EQ(EditText(), L"abc");
        EXPECT_FALSE(EditModified());
        EXPECT_EQ(WindowText(g_app.hwndMain), L"big.txt - Jotwell");
    }
}

// A file larger than 4 GB (sparse, so it costs no disk): its size does not fit in 32 bits.
// Whatever the program decides, it must neither crash nor read past its buffer.
TEST_F(ReliabilityTest, AFileBeyondFourGigabytesDoesNotCrash)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"huge.txt");
    {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, "head\0", 5, &written, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = 0x100000010ll;   // low 32 bits: 16
        ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(file));
        CloseHandle(file);
    }
    SetEditText(L"before");
    FakeFileDialogs dialogs;
    ASSERT_TRUE(dialogs.ok());
    dialogs.Answer(path);
    DialogScript script;   // cancels anything unexpected; an out-of-memory message is allowed
    Command(ID_FILE_OPEN);
    const std::wstring text = EditText();
    std::printf("4 GB + 16 bytes: %zu characters, %zu messages\n", text.size(), script.seen().size());
    EXPECT_TRUE(text == L"before" || text == L"head") << "got " << text.size() << " characters";
}

// Held by another program without sharing, a file is refused in silence; held open for writing
// as a running program holds its log, it opens with the text it has.
TEST_F(ReliabilityTest, AFileAnotherProgramHoldsOpensOnlyWhenShared)
{
    TempFolder folder;
    const std::wstring mine = folder.File(L"mine.txt");
    {
        FakeFileDialogs dialogs;
        ASSERT_TRUE(dialogs.ok());
        StartNamedModified(dialogs, mine, L"mine");
    }
    const std::wstring locked = folder.File(L"locked.txt");
    WriteFileBytes(locked, "other program's text");
    HANDLE writer = CreateFileW(locked.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    const Snapshot before = Take();
    {
        DialogScript script;
        script.Press(IDNO).ChooseFile(locked);   // discard the changes, then pick the locked file
        SendMessageW(g_app.hwndMain, WM_COMMAND, ID_FILE_OPEN, 0);
        Pump();
        EXPECT_EQ(script.pending(), 0u);
        EXPECT_EQ(script.seen().size(), 2u);   // the prompt and the dialog, no message
    }
    CloseHandle(writer);
    ExpectUnchanged(before);

    // A later Save must not put this document's text into the file that failed to open.
    Command(ID_FILE_SAVE);
    EXPECT_EQ(ReadFileBytes(locked), "other program's text");

    writer = CreateFileW(locked.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenDocumentFile(locked.c_str()), 1);
    Pump();
    EXPECT_EQ(EditText(), L"other program's text");
    CloseHandle(writer);
}

TEST_F(ReliabilityTest, APathOfExactly259CharactersOpensSavesAndShowsItsCaption)
{
    TempFolder folder;
    // Folders of up to 100 characters each (a folder path may not pass 247 characters).
    std::wstring dir = folder.path();
    while (dir.size() < 200) {
        const size_t part = std::min<size_t>(100, 200 - dir.size() - 1);
        dir += L"\\" + std::wstring(part, L'd');
        ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr)) << dir.size();
    }
    const std::wstring name = std::wstring(259 - dir.size() - 1 - 4, L'n') + L".txt";
    const std::wstring path = dir + L"\\" + name;
    ASSERT_EQ(path.size(), 259u);
    WriteFileBytes(path, std::string("\xFF\xFE" "a\0b\0", 6));

    DialogScript script;
    script.ChooseFile(path);
    Command(ID_FILE_OPEN);
    ASSERT_EQ(script.pending(), 0u);
    EXPECT_EQ(EditText(), L"ab");
    EXPECT_EQ(std::wstring(g_app.currentFilePath), path);
    EXPECT_EQ(WindowText(g_app.hwndMain), name + L" - Jotwell");

    TypeText(L"c");
    EXPECT_EQ(WindowText(g_app.hwndMain), L"*" + name + L" - Jotwell");
    Command(ID_FILE_SAVE);
    EXPECT_EQ(ReadFileBytes(path), std::string("\xFF\xFE" "c\0a\0b\0", 8));
    EXPECT_EQ(WindowText(g_app.hwndMain), name + L" - Jotwell");
    EXPECT_EQ(script.seen().size(), 1u);
}

TEST_F(ReliabilityTest, AFolderNameGivenAsTheFileFailsSilently)
{
    TempFolder folder;
    const std::wstring sub = folder.File(L"afolder");
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    SetEditText(L"before");
    const Snapshot before = Take();

    // Typed into the real dialog: it may step into the folder (then the Cancel behind it
    // ends the dialog) or hand the folder back; either way nothing may happen.
    {
        DialogScript script;
        script.Then([sub](HWND dialog) {
            HWND box = GetDlgItem(dialog, 0x47c);
            if (!box) box = GetDlgItem(dialog, 0x480);
            SetWindowTextW(box, sub.c_str());
            ClickDialogButton(dialog, IDOK);
            ClickDialogButton(dialog, IDCANCEL);
        });
        Command(ID_FILE_OPEN);
        EXPECT_EQ(script.pending(), 0u);
        EXPECT_EQ(script.seen().size(), 1u);
    }
    ExpectUnchanged(before);

    // Handed back as the chosen file.
    FakeFileDialogs dialogs;
    ASSERT_TRUE(dialogs.ok());
    dialogs.Answer(sub);
    DialogScript none;
    Command(ID_FILE_OPEN);
    EXPECT_EQ(dialogs.openCalls(), 1);
    EXPECT_TRUE(none.seen().empty());
    EXPECT_EQ(EditText(), before.text);
    EXPECT_EQ(WindowText(g_app.hwndMain), before.caption);
    EXPECT_FALSE(EditModified());
}

TEST_F(ReliabilityTest, AFileThatVanishesAfterTheDialogFailsSilently)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"vanishing.txt");
    WriteFileBytes(path, "gone soon");
    SetEditText(L"before");
    const Snapshot before = Take();

    HHOOK hook = SetWindowsHookExW(WH_CBT, VanishHook, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    t_vanishing = path;
    {
        DialogScript script;
        script.ChooseFile(path);
        Command(ID_FILE_OPEN);
        EXPECT_EQ(script.pending(), 0u);
        EXPECT_EQ(script.seen().size(), 1u);
    }
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(t_vanishing.empty()) << "the dialog was never taken down";
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(EditText(), before.text);
    EXPECT_EQ(WindowText(g_app.hwndMain), before.caption);
    EXPECT_EQ(EditModified(), before.modified);

    // Nor may a later Save bring the vanished file back with this text in it.
    TypeText(L"x");
    FakeFileDialogs dialogs;
    ASSERT_TRUE(dialogs.ok());
    Command(ID_FILE_SAVE);   // untitled: the stand-in Save As dialog cancels
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Under Wine's RichEdit, Cut (menu or Ctrl+X), Delete and Undo change the text without
// setting the control's modify flag; the program marks every reported change itself, so the
// caption shows it, Save writes it and closing asks about it.
TEST_F(ReliabilityTest, CutDeleteAndUndoMarkTheDocumentModified)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"cut.txt");
    WriteFileBytes(path, std::string("\xFF\xFE" "a\0b\0c\0d\0", 10));
    {
        FakeFileDialogs dialogs;
        ASSERT_TRUE(dialogs.ok());
        dialogs.Answer(path);
        Command(ID_FILE_OPEN);
    }
    ASSERT_EQ(EditText(), L"abcd");
    for (UINT id : {ID_EDIT_CUT, ID_EDIT_DELETE}) {
        CHARRANGE first = {0, 1};
        SendMessageW(g_app.hwndEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&first));
        Command(id);
        EXPECT_TRUE(EditModified()) << "command " << id;
        EXPECT_EQ(WindowText(g_app.hwndMain), L"*cut.txt - Jotwell") << "command " << id;
        Command(ID_FILE_SAVE);
        EXPECT_EQ(ReadFileBytes(path), SavedBytes(EditText())) << "command " << id;
    }
    Command(ID_EDIT_UNDO);
    EXPECT_TRUE(EditModified());
    Command(ID_FILE_SAVE);
    EXPECT_EQ(ReadFileBytes(path), SavedBytes(EditText()));
}
