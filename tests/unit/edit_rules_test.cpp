// What waits for an arriving text, and which edits are big: the two rules against each other
// and against what was measured.
#include "app/load_rules.h"
#include "base/command_ids.h"
#include "editor/edit_rules.h"
#include "editor/replace_text.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

// Every key and character that changes the text, by the edit rule, waits for the whole text by
// the load rule: none acts on part of it.
TEST(EditRules, EveryKeyThatEditsWaitsForTheWholeText)
{
    for (unsigned message : {WM_KEYDOWN, WM_CHAR}) {
        for (uintptr_t key = 1; key < 256; ++key) {
            for (int m = 0; m < 8; ++m) {
                const bool ctrl = m & 1, alt = m & 2, shift = m & 4;
                if (EditKeyFor(message, key, ctrl, alt, shift).kind == EditKind::None) continue;
                EXPECT_EQ(InputWhileLoading(message, key, ctrl, alt, shift), WhileLoading::FinishFirst)
                    << message << " " << key << " with " << m;
            }
        }
    }
    EXPECT_EQ(InputWhileLoading(WM_KEYDOWN, VK_END, false, false, true), WhileLoading::RunNow);
    EXPECT_EQ(InputWhileLoading(WM_KEYDOWN, 'C', true, false, false), WhileLoading::RunNow);
    EXPECT_EQ(CommandWhileLoading(ID_FILE_NEW, false), WhileLoading::RunNow);
    EXPECT_EQ(CommandWhileLoading(ID_FILE_NEW, true), WhileLoading::FinishFirst);
}

// The estimate puts what was measured under Wine on the right side of 0.2 s.
TEST(EditRules, TheEstimateSortsWhatWasMeasured)
{
    EXPECT_TRUE(EditIsBig(14000, 0, 0, 14000));      // Select All, Delete at 1 M characters: 22 s
    EXPECT_TRUE(EditIsBig(5000, 5000, 200000, 5000)); // Replace All across 200 k characters: 3.6-6.2 s
    EXPECT_TRUE(EditIsBig(55, 0, 0, 114000));         // 4,000 characters deleted at 8 M: 0.75 s
    EXPECT_TRUE(EditIsBig(0, 110000, 8000000, 1));    // 8 M characters pasted: 7.9 s
    EXPECT_FALSE(EditIsBig(13, 0, 0, 14000));         // 1,000 characters deleted at 1 M: 0.03 s
    EXPECT_FALSE(EditIsBig(0, 1, 1, 114000));         // Enter at 8 M characters
    EXPECT_FALSE(EditIsBig(1, 0, 1, 114000));         // a line typed over at 8 M characters
}

// Without Match case, letters compare by the system's upper case, beyond ASCII too.
TEST(EditRules, ReplaceAllComparesBeyondAscii)
{
    const std::wstring text = L"CAF\u00c9 caf\u00e9 cafe";
    EXPECT_EQ(FindMatches(text.data(), text.size(), L"caf\u00e9", 4, false, false).size(), 2u);
    EXPECT_EQ(FindMatches(text.data(), text.size(), L"caf\u00e9", 4, true, false).size(), 1u);
}

} // namespace
