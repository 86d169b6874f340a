// The handle-free rules behind streaming a text into the control and Replace All.
#include "editor/control_text.h"
#include "editor/replace_text.h"
#include "editor/status_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>
#include <vector>

namespace {

// The whole text as the control is given it, in pieces of `room` units.
std::vector<std::wstring> Chunks(const std::wstring& text, size_t room)
{
    std::vector<std::wstring> chunks;
    size_t pos = 0;
    std::wstring out(room, L'\0');
    while (pos < text.size()) {
        const size_t n = NextControlChunk(text.data(), text.size(), pos, out.data(), room);
        if (n == 0) break;
        chunks.emplace_back(out.data(), n);
    }
    return chunks;
}

// An independent reading: every CR LF, lone CR and lone LF is one line break.
std::wstring Breaks(const std::wstring& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        out += text[i] == L'\r' || text[i] == L'\n' ? L'|' : text[i];
    }
    return out;
}

TEST(ControlChunks, EveryLineBreakStaysOneAndNoPieceSplitsAPair)
{
    EXPECT_EQ(Chunks(L"i\r\r\nj", 64).at(0), L"i\r\n\r\nj");
    EXPECT_EQ(Chunks(L"\r\r\r\n\n", 64).at(0), L"\r\n\r\n\r\n\n");
    EXPECT_TRUE(Chunks(L"", 64).empty());

    // Random texts of the units that matter, in pieces of every small size.
    const wchar_t alphabet[] = {L'a', L' ', L'\r', L'\n', L'\xD83D', L'\xDE00', L'\0'};
    std::mt19937 rng(20261209);
    for (int round = 0; round < 500; ++round) {
        std::wstring text(rng() % 40, L'a');
        for (wchar_t& unit : text) unit = alphabet[rng() % std::size(alphabet)];
        const std::wstring whole = Chunks(text, 1u << 20).empty() ? L"" : Chunks(text, 1u << 20)[0];
        for (size_t room = 2; room <= 7; ++room) {
            std::wstring joined;
            for (const std::wstring& chunk : Chunks(text, room)) {
                ASSERT_LE(chunk.size(), room);
                joined += chunk;
                // Where this piece ends, the next must not start with the rest of a pair.
                if (joined.size() < whole.size()) {
                    const wchar_t last = joined.back(), next = whole[joined.size()];
                    ASSERT_FALSE(last == L'\r' && next == L'\n') << "round " << round << " room " << room;
                    ASSERT_FALSE(IS_HIGH_SURROGATE(last) && IS_LOW_SURROGATE(next)) << "round " << round;
                }
            }
            ASSERT_EQ(joined, whole) << "round " << round << " room " << room;
        }
        // No CR without its LF, so no CR CR LF for the control to join, and as many breaks.
        for (size_t i = 0; i < whole.size(); ++i)
            ASSERT_TRUE(whole[i] != L'\r' || (i + 1 < whole.size() && whole[i + 1] == L'\n')) << "round " << round;
        ASSERT_EQ(Breaks(whole), Breaks(text)) << "round " << round;
    }
}

TEST(Progress, ShownAfterHalfASecondThenEveryTenthOfASecond)
{
    EXPECT_FALSE(ProgressDue(1000, 0, 1499));
    EXPECT_TRUE(ProgressDue(1000, 0, 1500));
    EXPECT_FALSE(ProgressDue(1000, 1500, 1599));
    EXPECT_TRUE(ProgressDue(1000, 1500, 1600));

    wchar_t out[512];
    BuildProgressText(L"Opening...", 2, 5, out);
    EXPECT_STREQ(out, L"Opening... 40%");
    BuildProgressText(L"Wrapping...", 7, 7, out);
    EXPECT_STREQ(out, L"Wrapping... 100%");
    BuildProgressText(L"Opening...", 1999999999, 2000000000, out); // no overflow
    EXPECT_STREQ(out, L"Opening... 99%");
}

TEST(ReplaceAllText, EachMatchReplacedAndTheRestKept)
{
    const std::wstring span = L"xab ab\rab";   // positions 10 to 19
    const MatchSpan matches[] = {{11, 13}, {14, 16}, {17, 19}};
    const std::wstring with = L"QRS";
    std::wstring out(ReplacedLength(span.size(), matches, 3, with.size()), L'?');
    BuildReplaced(span.data(), span.size(), 10, matches, 3, with.data(), with.size(), out.data());
    EXPECT_EQ(out, L"xQRS QRS\rQRS");
    std::wstring removed(ReplacedLength(span.size(), matches, 3, 0), L'?');
    BuildReplaced(span.data(), span.size(), 10, matches, 3, L"", 0, removed.data());
    EXPECT_EQ(removed, L"x \r");
}

} // namespace
