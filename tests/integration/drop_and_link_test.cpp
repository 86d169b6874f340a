// Files dropped on the window open; Save changes the file a link names and keeps the link.
#include "support/app_fixture.h"
#include "support/dialog_script.h"
#include "support/import_patch.h"
#include "support/process.h"

#include "document/document.h"

#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using DropTest = JotwellTest;
using LinkSaveTest = JotwellTest;

// An HDROP as the shell hands it over: DROPFILES, then the NUL-separated names and one more NUL.
HDROP MakeDrop(const std::vector<std::wstring>& paths)
{
    std::wstring names;
    for (const std::wstring& path : paths) names += path + L'\0';
    names += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(files + 1, names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// Drops the files on target; true when the program let the drop go (DragFinish).
bool Drop(HWND target, const std::vector<std::wstring>& paths)
{
    const HDROP drop = MakeDrop(paths);
    PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    Pump();
    return GlobalSize(drop) == 0;
}

std::string Utf16File(const std::wstring& text)
{
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

TEST_F(DropTest, TheFirstFileDroppedOnTheWindowOrTheTextOpens)
{
    EXPECT_TRUE(GetWindowLongW(g_app.hwndMain, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(GetWindowLongW(g_app.hwndEdit, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    TempFolder folder;
    WriteFileBytes(folder.File(L"one.txt"), "first");
    WriteFileBytes(folder.File(L"two.txt"), "second");
    DialogScript unexpected;

    EXPECT_TRUE(Drop(g_app.hwndMain, {folder.File(L"one.txt")}));
    EXPECT_EQ(EditText(), L"first");
    EXPECT_EQ(WindowText(g_app.hwndMain), L"one.txt - Jotwell");
    // A new control from the drop accepts files too, and of two files the first opens.
    EXPECT_TRUE(Drop(g_app.hwndEdit, {folder.File(L"two.txt"), folder.File(L"one.txt")}));
    EXPECT_EQ(EditText(), L"second");
    EXPECT_EQ(std::wstring(g_app.currentFilePath), folder.File(L"two.txt"));
    EXPECT_FALSE(EditModified());
    EXPECT_FALSE(SendMessageW(g_app.hwndEdit, EM_CANUNDO, 0, 0));
    // A folder cannot be opened: the document stays.
    EXPECT_TRUE(Drop(g_app.hwndEdit, {folder.path()}));
    EXPECT_EQ(EditText(), L"second");
    EXPECT_TRUE(unexpected.seen().empty());
}

TEST_F(DropTest, CancelInThePromptKeepsTheChangedDocument)
{
    TempFolder folder;
    WriteFileBytes(folder.File(L"one.txt"), "first");
    TypeText(L"mine");
    DialogScript script;
    script.Press(IDCANCEL);
    EXPECT_TRUE(Drop(g_app.hwndEdit, {folder.File(L"one.txt")}));
    EXPECT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(EditText(), L"mine");
    EXPECT_EQ(WindowText(g_app.hwndMain), L"*Untitled - Jotwell");
}

std::wstring FinalPath(const std::wstring& name)
{
    HANDLE file = CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    wchar_t path[MAX_PATH] = {};
    if (file != INVALID_HANDLE_VALUE) {
        GetFinalPathNameByHandleW(file, path, MAX_PATH, FILE_NAME_NORMALIZED);
        CloseHandle(file);
    }
    return path;
}

size_t FilesIn(const std::wstring& folder)
{
    size_t count = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found) != FALSE)
        count += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return count;
}

// tools/links.sh makes the links on the Unix side before the run; elsewhere there are none.
TEST_F(LinkSaveTest, SaveThroughASymbolicLinkWritesItsTargetAndKeepsTheLink)
{
    const std::wstring folder = BesideTestProgram(L"links");
    const std::wstring link = folder + L"\\link.txt", target = folder + L"\\target.txt";
    if (FinalPath(link).find(L"target.txt") == std::wstring::npos)
        GTEST_SKIP() << "no symbolic links beside the test program (tools/links.sh makes them)";
    WriteFileBytes(target, "old");
    ASSERT_EQ(OpenDocumentFile(link.c_str()), 1);
    TypeText(L"new ");
    ASSERT_EQ(DoFileSave(), 1);
    EXPECT_EQ(ReadFileBytes(target), Utf16File(L"new old"));
    EXPECT_EQ(FinalPath(link), FinalPath(target));
    EXPECT_EQ(WindowText(g_app.hwndMain), L"link.txt - Jotwell");
    EXPECT_EQ(FilesIn(folder), 2u);   // target and link; the broken link is seen by nothing

    // A link that leads nowhere fails as a file that cannot be created would.
    lstrcpyW(g_app.currentFilePath, (folder + L"\\broken.txt").c_str());
    TypeText(L"x");
    EXPECT_EQ(DoFileSave(), 0);
    EXPECT_TRUE(EditModified());
    EXPECT_EQ(FilesIn(folder), 2u);
}

const auto realWriteFile = reinterpret_cast<decltype(&WriteFile)>(
    reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "WriteFile")));
thread_local bool t_failNextWrite = false;

// Writes half of what it is given and fails, once.
BOOL WINAPI HalfWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    if (!t_failNextWrite || size < 2) return realWriteFile(file, data, size, written, overlapped);
    t_failNextWrite = false;
    realWriteFile(file, data, size / 2, written, overlapped);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

TEST_F(LinkSaveTest, SaveOfOneHardLinkChangesBothNamesOrNeither)
{
    TempFolder folder;
    const std::wstring one = folder.File(L"one.txt"), two = folder.File(L"two.txt");
    WriteFileBytes(one, "old");
    ASSERT_TRUE(CreateHardLinkW(two.c_str(), one.c_str(), nullptr));
    ASSERT_EQ(OpenDocumentFile(one.c_str()), 1);
    TypeText(L"new ");
    ASSERT_EQ(DoFileSave(), 1);
    EXPECT_EQ(ReadFileBytes(one), Utf16File(L"new old"));
    EXPECT_EQ(ReadFileBytes(two), Utf16File(L"new old"));
    EXPECT_EQ(FilesIn(folder.path()), 2u);

    ImportPatch write("kernel32.dll", "WriteFile", reinterpret_cast<void*>(&HalfWrite));
    ASSERT_TRUE(write.ok());
    TypeText(L"more ");
    t_failNextWrite = true;
    EXPECT_EQ(DoFileSave(), 0);
    EXPECT_FALSE(t_failNextWrite);
    EXPECT_EQ(ReadFileBytes(one), Utf16File(L"new old"));
    EXPECT_EQ(ReadFileBytes(two), Utf16File(L"new old"));
    EXPECT_EQ(FilesIn(folder.path()), 2u);   // no backup left behind
    EXPECT_TRUE(EditModified());
}

} // namespace
