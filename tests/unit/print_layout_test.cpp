// Printed layout: line breaks, tab stops, wrapping between whole characters, pages, copies.
#include "document/print_layout.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// A fake device: every unit 10 wide, 'W' 20, 'i' 5. It counts the units it has measured.
size_t g_measured = 0;
int Width(wchar_t ch) { return ch == L'W' ? 20 : ch == L'i' ? 5 : 10; }
void FakeMeasure(std::wstring_view run, std::vector<int>& extents)
{
    g_measured += run.size();
    int x = 0;
    for (wchar_t ch : run) extents.push_back(x += Width(ch));
}

// The printed lines of text on a page `chars` units of 10 wide, tab stops every 4 of them.
std::vector<std::wstring> Printed(std::wstring_view text, int chars)
{
    std::vector<std::wstring> out;
    for (const PrintLine& line : LayoutPrintText(text, chars * 10, 40, FakeMeasure))
        out.emplace_back(text.substr(line.begin, line.end - line.begin));
    return out;
}

using Lines = std::vector<std::wstring>;

TEST(PrintLayout, EachLineBreakKindEndsOneLine)
{
    EXPECT_EQ(Printed(L"a\r\nb\rc\nd", 40), (Lines{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(Printed(L"a\n\r\nb", 40), (Lines{L"a", L"", L"b"}));
    EXPECT_EQ(Printed(L"\r\r", 40), (Lines{L"", L""}));
    // A final break ends the last line: 60 lines and a break fill one page of 60, not two.
    EXPECT_EQ(Printed(L"a\r\n", 40), (Lines{L"a"}));
    EXPECT_EQ(Printed(L"", 40), (Lines{L""}));
}

TEST(PrintLayout, TabsGoToTheNextStop)
{
    // Narrow or wide letters before a tab: what follows starts at the same stop.
    EXPECT_EQ(Printed(L"ii\tabcd\nW\tabcd", 8), (Lines{L"ii\tabcd", L"W\tabcd"}));
    EXPECT_EQ(Printed(L"abcd\tef\tx", 8), (Lines{L"abcd\t", L"ef\tx"})); // from a stop to the next
    // Tabs past the edge hang there: a line of only tabs is one line.
    EXPECT_EQ(Printed(std::wstring(40, L'\t'), 10), (Lines{std::wstring(40, L'\t')}));
}

TEST(PrintLayout, LongLinesWrapAtBlanksOrBetweenWholeCharacters)
{
    EXPECT_EQ(Printed(L"short", 10), (Lines{L"short"}));
    EXPECT_EQ(Printed(L"one two three four", 10), (Lines{L"one two ", L"three four"}));
    EXPECT_EQ(Printed(L"abcdefghijklmnopqrstuvwxy", 10), (Lines{L"abcdefghij", L"klmnopqrst", L"uvwxy"}));
    EXPECT_EQ(Printed(L"abc\U0001F600d", 4), (Lines{L"abc", L"\U0001F600d"}));
    EXPECT_EQ(Printed(L"abe\u0301f", 3), (Lines{L"ab", L"e\u0301f"}));
    EXPECT_EQ(Printed(L"a\u0915\u093Fb", 2), (Lines{L"a", L"\u0915\u093F", L"b"}));
    // Nothing fits at all: one character a line, and the loop still ends.
    EXPECT_EQ(Printed(L"a\U0001F600\u2764\uFE0F", 0), (Lines{L"a", L"\U0001F600", L"\u2764\uFE0F"}));
}

// Random lines of whole characters, at random widths: every unit comes out once, in order, no
// character is split, no wrapped line starts with a blank, a line of more than one character
// fits the page, and the layout measures about what it prints, not the rest of each line.
TEST(PrintLayout, GeneratedLinesComeOutWholeOnceAndInOrder)
{
    const std::wstring pieces[] = {L"a", L"W", L"i", L" ", L"\U0001F600", L"e\u0301", L"\u0915\u093F", L"\u2764\uFE0F",
                                   L"\U0001F44D\U0001F3FD", L"x\u200Dy", L"\t", L"\r\n", L"\n", L"\r"};
    std::mt19937 random(28);
    for (int round = 0; round < 400; ++round) {
        std::wstring text;
        std::vector<bool> starts(1, true); // starts[i]: a character starts at unit i
        const size_t kinds = round % 5 ? std::size(pieces) : 10; // some rounds one long run each
        for (int n = static_cast<int>(random() % 150); n > 0; --n) {
            const std::wstring& piece = pieces[random() % kinds];
            starts.resize(text.size() + piece.size() + 1, false);
            starts[text.size()] = starts[text.size() + piece.size()] = true;
            text += piece;
        }
        const int width = static_cast<int>(random() % 140);
        g_measured = 0;
        const std::vector<PrintLine> lines = LayoutPrintText(text, width, 40, FakeMeasure);
        EXPECT_LE(g_measured, 2 * text.size() + 40 * lines.size() + 64) << "round " << round;
        std::wstring joined, unbroken = text;
        std::erase_if(unbroken, [](wchar_t ch) { return ch == L'\r' || ch == L'\n'; });
        for (size_t i = 0; i < lines.size(); ++i) {
            const PrintLine& line = lines[i];
            ASSERT_TRUE(starts[line.begin] && starts[line.end]) << "round " << round << ", line " << i;
            joined.append(text, line.begin, line.end - line.begin);
            const bool wrapped = i > 0 && lines[i - 1].end == line.begin;
            EXPECT_FALSE(wrapped && (text[line.begin] == L' ' || text[line.begin] == L'\t')) << "round " << round;
            size_t end = line.end;
            while (end > line.begin && (text[end - 1] == L' ' || text[end - 1] == L'\t')) --end;
            int x = 0, characters = 0;
            for (size_t at = line.begin; at < end; ++at) {
                characters += starts[at];
                x = text[at] == L'\t' ? NextTabStop(x, 40) : x + Width(text[at]);
            }
            EXPECT_TRUE(characters < 2 || x <= width) << "round " << round << ", line " << i;
        }
        EXPECT_EQ(joined, unbroken) << "round " << round;
    }
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

TEST(PrintLayout, CopiesFromTheDriverOrTheProgram)
{
    EXPECT_EQ(PlanCopies(2, false, 99, false).deviceCopies, 2);
    EXPECT_TRUE(PlanCopies(2, true, 99, true).deviceCollate);
    EXPECT_TRUE(PlanCopies(2, true, 99, false).programCollate); // the driver cannot collate
    EXPECT_EQ(PlanCopies(3, false, 2, true).programCopies, 3);  // nor make three
    std::wstring order;
    for (size_t step = 0; step < 6; ++step) order += static_cast<wchar_t>(L'1' + PageAtStep(step, 3, 2, true));
    for (size_t step = 0; step < 6; ++step) order += static_cast<wchar_t>(L'1' + PageAtStep(step, 3, 2, false));
    EXPECT_EQ(order, L"123123112233");
}

} // namespace
