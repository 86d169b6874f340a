// Printed layout: line breaks, tabs, wrapping at the width, pages.
#include "document/print_layout.h"

#include <gtest/gtest.h>

namespace {

// A page ten characters wide in a fixed-pitch world.
const FitFunction kTenWide = [](const wchar_t*, size_t count) { return std::min<size_t>(count, 10); };

TEST(PrintLayout, EachLineBreakKindEndsOneLine)
{
    EXPECT_EQ(SplitPrintLines(L"a\r\nb\rc\nd"), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(SplitPrintLines(L"a\n\r\nb"), (std::vector<std::wstring>{L"a", L"", L"b"}));
    EXPECT_EQ(SplitPrintLines(L"\r\r"), (std::vector<std::wstring>{L"", L"", L""}));
    EXPECT_EQ(SplitPrintLines(L""), (std::vector<std::wstring>{L""}));
}

TEST(PrintLayout, TabsGoToTheNextStop)
{
    EXPECT_EQ(ExpandTabs(L"\tx"), L"        x");
    EXPECT_EQ(ExpandTabs(L"abc\tx"), L"abc     x");
    EXPECT_EQ(ExpandTabs(L"abcdefgh\tx"), L"abcdefgh        x");
    EXPECT_EQ(ExpandTabs(L"a\tb\tc", 4), L"a   b   c");
}

TEST(PrintLayout, LongLinesWrapAtSpacesOrMidWord)
{
    EXPECT_EQ(WrapPrintLine(L"short", kTenWide), (std::vector<std::wstring>{L"short"}));
    EXPECT_EQ(WrapPrintLine(L"one two three four", kTenWide),
              (std::vector<std::wstring>{L"one two", L"three four"}));
    EXPECT_EQ(WrapPrintLine(L"abcdefghijklmnopqrstuvwxy", kTenWide),
              (std::vector<std::wstring>{L"abcdefghij", L"klmnopqrst", L"uvwxy"}));
    EXPECT_EQ(WrapPrintLine(L"", kTenWide), (std::vector<std::wstring>{L""}));
    // Nothing fits at all: one character a line, and the loop still ends.
    const FitFunction none = [](const wchar_t*, size_t) { return size_t{0}; };
    EXPECT_EQ(WrapPrintLine(L"abc", none), (std::vector<std::wstring>{L"a", L"b", L"c"}));
}

TEST(PrintLayout, NoCharacterIsLostOrRepeated)
{
    std::wstring text;
    for (int i = 0; i < 200; ++i) text += L"w" + std::to_wstring(i) + (i % 7 ? L" " : L"\t");
    text += L"\r\nend";
    std::wstring joined;
    for (const std::wstring& line : LayoutPrintText(text, kTenWide)) {
        EXPECT_LE(line.size(), 10u);
        joined += line;
    }
    std::wstring expected;
    for (const std::wstring& line : SplitPrintLines(text)) expected += ExpandTabs(line);
    // Only the spaces at the wrapping points are dropped.
    auto strip = [](std::wstring s) {
        std::erase(s, L' ');
        return s;
    };
    EXPECT_EQ(strip(joined), strip(expected));
}

TEST(PrintLayout, Pages)
{
    EXPECT_EQ(LinesPerPage(3000, 50), 60u);
    EXPECT_EQ(LinesPerPage(10, 50), 1u);
    EXPECT_EQ(PageCount(0, 60), 1u); // an empty document still gives one page
    EXPECT_EQ(PageCount(1, 60), 1u);
    EXPECT_EQ(PageCount(60, 60), 1u);
    EXPECT_EQ(PageCount(61, 60), 2u);
    EXPECT_EQ(PageCount(150, 60), 3u);
}

} // namespace
