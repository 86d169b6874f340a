// The appearance rules that need no window: font height, theme decision, palettes.
#include "appearance/dpi.h"
#include "appearance/theme.h"

#include <gtest/gtest.h>

namespace {

TEST(FontHeight, SixteenPixelsAtNinetySixScaledAndRounded)
{
    const std::pair<UINT, int> cases[] = {{96, -16},  {100, -17}, {110, -18}, {120, -20}, {144, -24},
                                          {168, -28}, {192, -32}, {240, -40}, {288, -48}};
    for (auto [dpi, height] : cases) EXPECT_EQ(EditFontHeight(dpi), height) << dpi;
}

TEST(ThemeDecision, LightAndDarkModesIgnoreTheSystem)
{
    for (bool systemDark : {false, true}) {
        EXPECT_FALSE(DarkForMode(1, systemDark));
        EXPECT_TRUE(DarkForMode(2, systemDark));
        EXPECT_EQ(DarkForMode(0, systemDark), systemDark);
    }
}

TEST(ThemeDecision, HighContrastWinsOverEveryModeAndTheSystemSetting)
{
    using enum Palette; // [high contrast][theme mode: system, light, dark][system dark]
    const Palette table[2][3][2] = {{{Light, Dark}, {Light, Light}, {Dark, Dark}},
                                    {{System, System}, {System, System}, {System, System}}};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(PaletteFor(i >= 6, i / 2 % 3, i % 2 != 0), table[i / 6][i / 2 % 3][i % 2]) << i;
}

TEST(ThemeDecision, Palettes)
{
    EXPECT_EQ(EditPaletteFor(false).background, RGB(255, 255, 255));
    EXPECT_EQ(EditPaletteFor(false).text, RGB(0, 0, 0));
    EXPECT_EQ(EditPaletteFor(true).background, RGB(30, 30, 30));
    EXPECT_EQ(EditPaletteFor(true).text, RGB(220, 220, 220));
}

} // namespace
