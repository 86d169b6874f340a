// The shell's handle-free rules: the shortcut table and the window's starting position.
#include "app/shortcuts.h"
#include "app/window_position.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

struct Mods {
    bool ctrl, alt, shift;
};

TEST(ShortcutTable, CtrlLettersWithoutAlt)
{
    EXPECT_EQ(MatchShortcut('A', true, false, false), Shortcut::SelectAll);
    EXPECT_EQ(MatchShortcut('N', true, false, false), Shortcut::New);
    EXPECT_EQ(MatchShortcut('O', true, false, false), Shortcut::Open);
    EXPECT_EQ(MatchShortcut('S', true, false, false), Shortcut::Save);
    EXPECT_EQ(MatchShortcut('S', true, false, true), Shortcut::SaveAs);
    EXPECT_EQ(MatchShortcut('P', true, false, false), Shortcut::Print);
    EXPECT_EQ(MatchShortcut('F', true, false, false), Shortcut::Find);
    EXPECT_EQ(MatchShortcut('H', true, false, false), Shortcut::Replace);
    // Shift does not matter except for S.
    EXPECT_EQ(MatchShortcut('N', true, false, true), Shortcut::New);
    EXPECT_EQ(MatchShortcut('A', true, false, true), Shortcut::SelectAll);
}

TEST(ShortcutTable, CtrlAltIsNotAShortcutExceptForPrint)
{
    for (uintptr_t key : {'A', 'N', 'O', 'S', 'F', 'H'}) {
        EXPECT_EQ(MatchShortcut(key, true, true, false), Shortcut::None) << char(key);
        EXPECT_EQ(MatchShortcut(key, true, true, true), Shortcut::None) << char(key);
    }
    EXPECT_EQ(MatchShortcut('P', true, true, false), Shortcut::Print);
    EXPECT_EQ(MatchShortcut('P', true, true, true), Shortcut::Print);
}

TEST(ShortcutTable, LettersWithoutCtrlAreTyped)
{
    for (uintptr_t key : {'A', 'N', 'O', 'S', 'P', 'F', 'H', 'Z', 'X'}) {
        for (Mods m : {Mods{false, false, false}, Mods{false, false, true}, Mods{false, true, false}})
            EXPECT_EQ(MatchShortcut(key, m.ctrl, m.alt, m.shift), Shortcut::None) << char(key);
    }
    // The Edit keys belong to the control, not to the table.
    for (uintptr_t key : {'Z', 'X', 'C', 'V', 'B'}) EXPECT_EQ(MatchShortcut(key, true, false, false), Shortcut::None);
    EXPECT_EQ(MatchShortcut(VK_DELETE, false, false, false), Shortcut::None);
}

TEST(ShortcutTable, F3IgnoresCtrlAndAlt)
{
    for (bool ctrl : {false, true}) {
        for (bool alt : {false, true}) {
            EXPECT_EQ(MatchShortcut(VK_F3, ctrl, alt, false), Shortcut::FindNext);
            EXPECT_EQ(MatchShortcut(VK_F3, ctrl, alt, true), Shortcut::FindPrevious);
        }
    }
    EXPECT_EQ(MatchShortcut(VK_F4, false, false, false), Shortcut::None);
}

TEST(WindowPosition, CentresOnCommonScreens)
{
    auto at = [](int w, int h) {
        const WindowOrigin o = CenteredWindowOrigin(w, h);
        return std::pair{o.x, o.y};
    };
    EXPECT_EQ(at(1920, 1080), std::pair(560, 240));
    EXPECT_EQ(at(1366, 768), std::pair(283, 84)); // an odd remainder rounds down
    EXPECT_EQ(at(800, 600), std::pair(0, 0));
    EXPECT_EQ(at(640, 480), std::pair(-80, -60)); // not clamped to the screen
    EXPECT_EQ(at(799, 599), std::pair(-1, -1));   // the halving keeps the sign
}

} // namespace
