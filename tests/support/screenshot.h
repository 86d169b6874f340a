// Captures what the screen shows and saves it as a PNG a person can look at.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, top row first

    COLORREF At(int x, int y) const; // as a COLORREF (0x00BBGGRR)
    // How many pixels inside the rectangle have exactly this colour.
    int Count(const RECT& area, COLORREF colour) const;
};

// The screen area a window covers, as it is on the screen now (after painting).
Screenshot CaptureWindow(HWND hwnd);
// Writes the capture as <build>/screenshots/<name>.png (next to the test program's bin folder).
std::wstring SaveScreenshot(const Screenshot& shot, const std::wstring& name);
