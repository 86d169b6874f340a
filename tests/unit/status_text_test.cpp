// The status bar's counting rules and its text.
#include "editor/status_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TextCounts Count(const std::wstring& text)
{
    return CountText(text.data(), text.size());
}

TEST(StatusCounts, WordsAndCharacters)
{
    TextCounts c = Count(L"one two\tthree");
    EXPECT_EQ(c.words, 3u);
    EXPECT_EQ(c.chars, 13u);
    c = Count(L"");
    EXPECT_EQ(c.words, 0u);
    EXPECT_EQ(c.chars, 0u);
    // CR LF is one character (the LF) and separates words; a CR alone counts nothing.
    c = Count(L"a\r\nb");
    EXPECT_EQ(c.words, 2u);
    EXPECT_EQ(c.chars, 3u);
    c = Count(L"a\rb");
    EXPECT_EQ(c.words, 2u);
    EXPECT_EQ(c.chars, 2u);
    // Punctuation is part of words; a run of it between spaces is a word.
    c = Count(L"a,b ... !");
    EXPECT_EQ(c.words, 3u);
    c = Count(std::wstring(L"x\0y", 3));
    EXPECT_EQ(c.words, 1u);
    EXPECT_EQ(c.chars, 3u);
    c = Count(L"  \t\r\n  ");
    EXPECT_EQ(c.words, 0u);
    EXPECT_EQ(c.chars, 6u);
}

TEST(StatusText, ExactFormat)
{
    wchar_t text[512];
    BuildStatusText(1, 1, 0, 0, 1, text);
    EXPECT_STREQ(text, L"Ln 1, Col 1  |  0 words  |  0 chars  |  1 lines");
    BuildStatusText(12, 5, 230, 1402, 57, text);
    EXPECT_STREQ(text, L"Ln 12, Col 5  |  230 words  |  1402 chars  |  57 lines");
    BuildStatusText(4294967295u, 4294967295u, 4294967295u, 4294967295u, 4294967295u, text);
    EXPECT_EQ(std::wstring(text).size(), 92u);
}

TEST(StatusText, FormatDecimal)
{
    wchar_t out[11];
    EXPECT_STREQ(FormatDecimal(0, out), L"0");
    EXPECT_STREQ(FormatDecimal(7, out), L"7");
    EXPECT_STREQ(FormatDecimal(10, out), L"10");
    EXPECT_STREQ(FormatDecimal(1000000, out), L"1000000");
    EXPECT_STREQ(FormatDecimal(4294967295u, out), L"4294967295");
}

// One unit put between two others changes the word count exactly as recounting does.
TEST(StatusText, WordsAddedByOneUnitMatchARecount)
{
    const wchar_t units[] = {L'a', L' ', L'\t', L'\r', L'\n', L'.', L'\0', L'\x00E9'};
    for (wchar_t before : units) {
        for (wchar_t unit : units) {
            for (wchar_t after : units) {
                const wchar_t without[] = {before, after};
                const wchar_t with[] = {before, unit, after};
                const uint32_t added = CountText(with, 3).words - CountText(without, 2).words;
                EXPECT_EQ(WordsAddedByUnit(before, unit, after), added)
                    << int(before) << " " << int(unit) << " " << int(after);
            }
        }
    }
}

TEST(StatusText, SimpleKeyUnits)
{
    for (wchar_t unit : {L'a', L' ', L'\t', L'~', L'\x00A0', L'\x3000', L'\xFFFD'}) EXPECT_TRUE(IsSimpleKeyUnit(unit));
    for (wchar_t unit : {L'\r', L'\n', L'\b', L'\0', L'\x0B', L'\x7F', L'\xD83D', L'\xDE00'})
        EXPECT_FALSE(IsSimpleKeyUnit(unit)) << int(unit);
}

// A caret reported past the end of "aba" shows at its end; a line or column past what the
// control says of the text is taken back into it.
TEST(StatusText, CaretPlaceStaysInsideTheText)
{
    EXPECT_EQ(ClampPosition(4, 3), 3);
    EXPECT_EQ(ClampPosition(-1, 3), 0);
    const CaretPlace places[] = {PlaceCaret(3, 0, 1, 0, 3), PlaceCaret(9, 3, 3, -1, 0), PlaceCaret(9, 1, 3, 5, 2)};
    const CaretPlace expected[] = {{1, 4}, {3, 1}, {2, 3}};
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(places[i].line == expected[i].line && places[i].column == expected[i].column) << i;
}

} // namespace
