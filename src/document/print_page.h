// The printed page on a device: its font, its frame, and the text measured and drawn on it.
#pragma once

#include "document/print_layout.h"

#include <windows.h>

#include <string_view>
#include <vector>

// Where the text goes on the page, in device units.
struct PageFrame {
    int marginX = 0;
    int marginY = 0;
    int bodyWidth = 1;
    int bodyHeight = 1;
    int lineHeight = 1;
    int tabSpacing = 1;
};

// The editor's face at 11 points for the device; null when none can be made.
HFONT CreatePrintFont(HDC dc);
// The page's frame for the font selected in the DC.
PageFrame MeasurePageFrame(HDC dc);
// The text laid out in lines that fit the frame, measured with the DC's font.
std::vector<PrintLine> LayoutForDevice(HDC dc, std::wstring_view text, const PageFrame& frame);
// Draws lines [first, last) as one page, black, with the tabs at their stops.
void DrawPrintedPage(HDC dc, HFONT font, const PageFrame& frame, std::wstring_view text,
                     const std::vector<PrintLine>& lines, size_t first, size_t last);
