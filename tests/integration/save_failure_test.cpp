// Saves over a file whose replace step fails part-way, leaving the disk as ReplaceFileW
// documents for each failure: afterwards the target holds the old or the new bytes.
#include "support/app_fixture.h"
#include "support/import_patch.h"

#include "document/document.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

template <typename F> F Kernel32(F, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

// Taken before any patch: inside one, the test program's own calls reach the fakes too.
const auto realReplace = Kernel32(&ReplaceFileW, "ReplaceFileW");
const auto realMove = Kernel32(&MoveFileExW, "MoveFileExW");

// Where the failing replace leaves the file it was to replace.
enum class Old { Kept, CopiedToBackup, Gone, MovedAway };

struct FailedReplace {
    DWORD code; // 0: the real ReplaceFileW
    Old old;
    int refusedMoves; // the program's moves after the replace that fail
    const char* folder; // see Listing
};

thread_local FailedReplace t_case;
thread_local int t_refusals = 0;

BOOL WINAPI FakeReplace(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID exclude,
                        LPVOID reserved)
{
    if (!t_case.code) return realReplace(replaced, replacement, backup, flags, exclude, reserved);
    // Without a backup name the old file goes where its caller cannot find it.
    const std::wstring away = backup ? backup : std::wstring(replaced) + L".unknown";
    if (t_case.old == Old::CopiedToBackup && backup) CopyFileW(replaced, backup, FALSE);
    if (t_case.old == Old::Gone) DeleteFileW(replaced);
    if (t_case.old == Old::MovedAway) realMove(replaced, away.c_str(), 0);
    t_refusals = t_case.refusedMoves;
    SetLastError(t_case.code);
    return FALSE;
}

BOOL WINAPI FakeMove(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    if (t_refusals-- <= 0) return realMove(from, to, flags);
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

// "old", "new" or "missing" for doc.txt, then what every other file in the folder holds.
std::string Listing(const TempFolder& folder)
{
    const auto label = [](const std::string& bytes) {
        return bytes == "old" ? "old" : bytes == std::string("\xFF\xFEn\0e\0w\0", 8) ? "new" : "other";
    };
    const std::wstring target = folder.File(L"doc.txt");
    std::string listing =
        GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES ? "missing" : label(ReadFileBytes(target));
    std::vector<std::string> others;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(folder.File(L"*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found) != FALSE) {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && lstrcmpW(found.cFileName, L"doc.txt") != 0)
            others.push_back(label(ReadFileBytes(folder.File(found.cFileName))));
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    std::sort(others.begin(), others.end());
    for (const std::string& other : others) listing += " " + other;
    return listing;
}

using SaveFailureTest = JotwellTest;

TEST_F(SaveFailureTest, FailedReplaceLeavesTheOldOrTheNewBytesUnderTheName)
{
    ImportPatch replace("kernel32.dll", "ReplaceFileW", reinterpret_cast<void*>(&FakeReplace));
    ImportPatch move("kernel32.dll", "MoveFileExW", reinterpret_cast<void*>(&FakeMove));
    ASSERT_TRUE(replace.ok() && move.ok());
    const FailedReplace cases[] = {
        {0, Old::Kept, 0, "new"},
        {ERROR_UNABLE_TO_REMOVE_REPLACED, Old::Kept, 0, "old"},
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT, Old::CopiedToBackup, 0, "old"}, // as with a backup name
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT, Old::Gone, 0, "new"},           // as without one
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, Old::MovedAway, 0, "new"},
        // The new text cannot take the name, and then the old cannot take it back either.
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, Old::MovedAway, 1, "old"},
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, Old::MovedAway, 2, "missing new old"},
    };
    for (const FailedReplace& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " " << c.folder);
        TempFolder folder;
        WriteFileBytes(folder.File(L"doc.txt"), "old");
        lstrcpyW(g_app.currentFilePath, folder.File(L"doc.txt").c_str());
        SetEditText(L"");
        TypeText(L"new");
        t_case = c;
        const bool saved = std::string(c.folder) == "new";
        EXPECT_EQ(DoFileSave(), saved ? 1 : 0);
        t_refusals = 0;
        EXPECT_EQ(Listing(folder), c.folder);
        EXPECT_EQ(WindowText(g_app.hwndMain), saved ? L"doc.txt - Jotwell" : L"*doc.txt - Jotwell");
    }
}

} // namespace
