// When a path needs the \\?\ form, and what that form is.
#include "document/save_path.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

// `head` followed by a file name that makes the whole path `length` characters long.
std::wstring PathOf(const std::wstring& head, size_t length)
{
    return head + std::wstring(length - head.size() - 4, L'n') + L".txt";
}

TEST(LongPath, PathsThePlainFunctionsTakeOrNoPrefixCouldMendStayAsGiven)
{
    // 259 characters and the terminating zero fill MAX_PATH exactly.
    for (const wchar_t* head : {L"C:\\notes\\", L"C:/notes/", L"\\\\server\\share\\notes\\"})
        EXPECT_EQ(LongPath(PathOf(head, 259)), PathOf(head, 259)) << head;
    // Already device paths, or not full paths, which the prefix would turn into wrong ones.
    for (const wchar_t* head :
         {L"\\\\?\\C:\\notes\\", L"\\\\?\\UNC\\server\\share\\", L"\\\\.\\C:\\notes\\", L"notes\\", L"\\notes\\",
          L"C:notes\\"})
        EXPECT_EQ(LongPath(PathOf(head, 300)), PathOf(head, 300)) << head;
}

TEST(LongPath, LongerFullPathsTakeTheExtendedFormWithBackslashes)
{
    const struct {
        const wchar_t* head;
        const wchar_t* extended;
    } cases[] = {
        {L"C:\\notes\\", L"\\\\?\\C:\\notes\\"},
        {L"C:/notes/", L"\\\\?\\C:\\notes\\"},
        {L"\\\\server\\share\\notes\\", L"\\\\?\\UNC\\server\\share\\notes\\"},
        {L"//server/share/notes/", L"\\\\?\\UNC\\server\\share\\notes\\"},
    };
    for (const auto& c : cases) {
        const std::wstring path = PathOf(c.head, 260);
        EXPECT_EQ(LongPath(path), c.extended + path.substr(std::wcslen(c.head))) << c.head;
    }
}

} // namespace
