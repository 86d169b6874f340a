// Files dropped on the window open; Save changes the file a link names and keeps the link.
#include "support/app_fixture.h"
#include "support/dialog_script.h"
#include "support/import_patch.h"
#include "support/process.h"

#include "document/document.h"

#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using DropAndLinkTest = JotwellTest;

std::string Utf16File(const std::wstring& text)
{
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

size_t FilesIn(const std::wstring& folder)
{
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) count += entry.is_regular_file() ? 1 : 0;
    return count;
}

TEST_F(DropAndLinkTest, TheFirstFileDroppedOnTheWindowOrTheTextOpensAfterTheQuestion)
{
    TempFolder folder;
    WriteFileBytes(folder.File(L"one.txt"), "first");
    WriteFileBytes(folder.File(L"two.txt"), "second");
    DialogScript script;
    EXPECT_TRUE(GetWindowLongW(g_app.hwndMain, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(DropFiles(g_app.hwndMain, {folder.File(L"one.txt")}));
    EXPECT_EQ(EditText(), L"first");
    EXPECT_EQ(WindowText(g_app.hwndMain), L"one.txt - Jotwell");
    // The control the drop made accepts files too; of two files the first opens.
    EXPECT_TRUE(DropFiles(g_app.hwndEdit, {folder.File(L"two.txt"), folder.File(L"one.txt")}));
    EXPECT_EQ(EditText(), L"second");
    EXPECT_TRUE(GetWindowLongW(g_app.hwndEdit, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_FALSE(SendMessageW(g_app.hwndEdit, EM_CANUNDO, 0, 0));
    EXPECT_TRUE(script.seen().empty());

    // A changed document asks first, and Cancel keeps it; a folder cannot be opened.
    TypeText(L"mine ");
    script.Press(IDCANCEL).Press(IDNO);
    EXPECT_TRUE(DropFiles(g_app.hwndEdit, {folder.File(L"one.txt")}));
    EXPECT_TRUE(DropFiles(g_app.hwndMain, {folder.path()}));
    EXPECT_EQ(script.seen().size(), 2u);
    EXPECT_EQ(EditText(), L"mine second");
    EXPECT_EQ(WindowText(g_app.hwndMain), L"*two.txt - Jotwell");
}

std::wstring FinalPath(const std::wstring& name)
{
    HANDLE file = CreateFileW(name.c_str(), 0, 7, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    wchar_t path[MAX_PATH] = {};
    if (file != INVALID_HANDLE_VALUE) GetFinalPathNameByHandleW(file, path, MAX_PATH, FILE_NAME_NORMALIZED);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return path;
}

// tools/links.sh makes the links on the Unix side before the run; elsewhere there are none.
TEST_F(DropAndLinkTest, SaveThroughASymbolicLinkWritesItsTargetAndKeepsTheLink)
{
    const std::wstring folder = BesideTestProgram(L"links");
    const std::wstring link = folder + L"\\link.txt", target = folder + L"\\target.txt";
    if (FinalPath(link).find(L"target.txt") == std::wstring::npos) GTEST_SKIP() << "no links (tools/links.sh)";
    WriteFileBytes(target, "old");
    ASSERT_EQ(OpenDocumentFile(link.c_str()), 1);
    TypeText(L"new ");
    ASSERT_EQ(DoFileSave(), 1);
    EXPECT_EQ(ReadFileBytes(target), Utf16File(L"new old"));
    EXPECT_EQ(FinalPath(link), FinalPath(target));
    EXPECT_EQ(WindowText(g_app.hwndMain), L"link.txt - Jotwell");
    EXPECT_EQ(FilesIn(folder), 2u); // target and link: no temporary file, and the broken link stays unseen

    // A link that leads nowhere fails as a file that cannot be created.
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

TEST_F(DropAndLinkTest, SaveOfOneHardLinkChangesBothNamesOrNeither)
{
    TempFolder folder;
    const std::wstring one = folder.File(L"one.txt"), two = folder.File(L"two.txt");
    WriteFileBytes(one, "old");
    ASSERT_TRUE(CreateHardLinkW(two.c_str(), one.c_str(), nullptr));
    ASSERT_EQ(OpenDocumentFile(one.c_str()), 1);
    for (const bool fails : {false, true}) {
        ImportPatch write("kernel32.dll", "WriteFile", reinterpret_cast<void*>(&HalfWrite));
        t_failNextWrite = fails;
        TypeText(L"new ");
        EXPECT_EQ(DoFileSave(), fails ? 0 : 1);
        EXPECT_FALSE(t_failNextWrite);
        // The failed write leaves the bytes of the first save under both names, and no backup.
        EXPECT_EQ(ReadFileBytes(one), Utf16File(L"new old"));
        EXPECT_EQ(ReadFileBytes(two), Utf16File(L"new old"));
        EXPECT_EQ(FilesIn(folder.path()), 2u);
        EXPECT_EQ(EditModified(), fails);
    }
}

} // namespace
