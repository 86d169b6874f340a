#include "document/print_page.h"

#include <algorithm>
#include <tuple>

namespace {

constexpr int kMinimumMargin = 100; // device units from the edge of the printable area
constexpr int kPrintPoints = 11;

} // namespace

HFONT CreatePrintFont(HDC dc)
{
    const int height = -MulDiv(kPrintPoints, GetDeviceCaps(dc, LOGPIXELSY), 72);
    for (const wchar_t* face : {L"Segoe UI", L"Tahoma"}) {
        LOGFONTW description = {};
        description.lfHeight = height;
        description.lfWeight = FW_NORMAL;
        description.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(description.lfFaceName, face, LF_FACESIZE);
        HFONT font = CreateFontIndirectW(&description);
        if (!font) continue;
        LOGFONTW created = {};
        GetObjectW(font, sizeof(created), &created);
        if (lstrcmpW(created.lfFaceName, face) == 0 || lstrcmpW(face, L"Tahoma") == 0) return font;
        DeleteObject(font);
    }
    return nullptr;
}

PageFrame MeasurePageFrame(HDC dc)
{
    PageFrame frame;
    frame.marginX = std::max(kMinimumMargin, GetDeviceCaps(dc, LOGPIXELSX) / 2);
    frame.marginY = std::max(kMinimumMargin, GetDeviceCaps(dc, LOGPIXELSY) / 2);
    frame.bodyWidth = std::max(1, GetDeviceCaps(dc, HORZRES) - 2 * frame.marginX);
    frame.bodyHeight = std::max(1, GetDeviceCaps(dc, VERTRES) - 2 * frame.marginY);
    TEXTMETRICW metrics = {};
    if (GetTextMetricsW(dc, &metrics))
        frame.lineHeight = std::max(1, static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading));
    // The text control's default stops: 720 twips, half an inch.
    frame.tabSpacing = std::max(1, GetDeviceCaps(dc, LOGPIXELSX) / 2);
    return frame;
}

std::vector<PrintLine> LayoutForDevice(HDC dc, std::wstring_view text, const PageFrame& frame)
{
    const auto measure = [dc](std::wstring_view run, std::vector<int>& extents) {
        extents.assign(run.size(), 0);
        SIZE size = {};
        // Failed, the run counts as fitting: better a line that runs off the page than none.
        if (!run.empty())
            std::ignore = GetTextExtentExPointW(dc, run.data(), static_cast<int>(run.size()), 0, nullptr,
                                                extents.data(), &size);
    };
    return LayoutPrintText(text, frame.bodyWidth, frame.tabSpacing, measure);
}

void DrawPrintedPage(HDC dc, HFONT font, const PageFrame& frame, std::wstring_view text,
                     const std::vector<PrintLine>& lines, size_t first, size_t last)
{
    // Some drivers reset the DC at every page: set it up each time.
    if (font) SelectObject(dc, font);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    for (size_t i = first; i < last && i < lines.size(); ++i) {
        std::wstring_view line = text.substr(lines[i].begin, lines[i].end - lines[i].begin);
        while (!line.empty() && (line.back() == L' ' || line.back() == L'\t')) line.remove_suffix(1);
        const int y = frame.marginY + static_cast<int>(i - first) * frame.lineHeight;
        int x = 0;
        for (size_t at = 0; at < line.size();) {
            if (line[at] == L'\t') {
                x = NextTabStop(x, frame.tabSpacing);
                ++at;
                continue;
            }
            const size_t runEnd = std::min(line.size(), line.find(L'\t', at));
            const int count = static_cast<int>(runEnd - at);
            TextOutW(dc, frame.marginX + x, y, line.data() + at, count);
            SIZE size = {};
            if (runEnd < line.size() && GetTextExtentPoint32W(dc, line.data() + at, count, &size)) x += size.cx;
            at = runEnd;
        }
    }
}
