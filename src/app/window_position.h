#pragma once

inline constexpr int kMainWindowWidth = 800;
inline constexpr int kMainWindowHeight = 600;

struct WindowOrigin {
    int x;
    int y;
};

// Top-left corner that centres the 800 x 600 window on a screen of the given size.
// The halving keeps the sign (an arithmetic shift), so an odd remainder rounds down and a
// screen smaller than the window gives a negative origin; nothing is clamped.
WindowOrigin CenteredWindowOrigin(int screenWidth, int screenHeight);
