// Printing through the system's Print dialog: the text laid out in lines and pages,
// black on white, in the editor's face at 11 points.
#include "document/print.h"

#include "base/app_state.h"
#include "base/handles.h"
#include "base/messages.h"
#include "document/print_layout.h"
#include "editor/text_load.h"

#include <algorithm>
#include <new>
#include <string>
#include <string_view>

namespace {

constexpr int kMinimumMargin = 100; // device units from the edge of the printable area
constexpr int kPrintPoints = 11;

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

void PrintPages(HDC dc, std::wstring_view text)
{
    const int width = GetDeviceCaps(dc, HORZRES);
    const int height = GetDeviceCaps(dc, VERTRES);
    const int marginX = std::max(kMinimumMargin, GetDeviceCaps(dc, LOGPIXELSX) / 2);
    const int marginY = std::max(kMinimumMargin, GetDeviceCaps(dc, LOGPIXELSY) / 2);
    const int bodyWidth = std::max(1, width - 2 * marginX);
    const int bodyHeight = std::max(1, height - 2 * marginY);

    UniqueGdiObject<HFONT> font(CreatePrintFont(dc));
    const HGDIOBJ oldFont = font.get() ? SelectObject(dc, font.get()) : nullptr;
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    const int lineHeight = std::max(1, static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading));

    const auto fit = [dc, bodyWidth](const wchar_t* s, size_t count) -> size_t {
        INT fitted = 0;
        SIZE extent = {};
        const int chunk = static_cast<int>(std::min<size_t>(count, 32767));
        if (!GetTextExtentExPointW(dc, s, chunk, bodyWidth, &fitted, nullptr, &extent)) return 1;
        return static_cast<size_t>(std::max(0, fitted));
    };
    const std::vector<std::wstring> lines = LayoutPrintText(text, fit);
    const size_t perPage = LinesPerPage(bodyHeight, lineHeight);
    const size_t pages = PageCount(lines.size(), perPage);

    for (size_t page = 0; page < pages; ++page) {
        StartPage(dc);
        // Some drivers reset the DC at every page: set it up each time.
        if (font.get()) SelectObject(dc, font.get());
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
        const size_t first = page * perPage;
        const size_t last = std::min(lines.size(), first + perPage);
        for (size_t i = first; i < last; ++i) {
            const std::wstring& line = lines[i];
            if (line.empty()) continue;
            const int y = marginY + static_cast<int>(i - first) * lineHeight;
            TextOutW(dc, marginX, y, line.c_str(), static_cast<int>(line.size()));
        }
        EndPage(dc);
    }
    if (oldFont) SelectObject(dc, oldFont);
}

} // namespace

void DoFilePrint()
{
    // Never part of a text.
    if (TextLoadRunning()) return;
    PRINTDLGW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = g_app.hwndMain;
    dialog.Flags = PD_NOSELECTION | PD_NOPAGENUMS | PD_RETURNDC;
    if (!ShowPrintDialog(dialog)) return;
    UniqueDC printer(dialog.hDC);
    UniqueGlobal devMode(dialog.hDevMode);
    UniqueGlobal devNames(dialog.hDevNames);
    if (!printer.get()) return;

    const LRESULT n = SendMessageW(g_app.hwndEdit, WM_GETTEXTLENGTH, 0, 0);
    HeapBuffer buffer((static_cast<size_t>(n) + 1) * sizeof(wchar_t));
    if (!buffer) {
        ShowOutOfMemoryMessage();
        return;
    }
    const LRESULT got = SendMessageW(g_app.hwndEdit, WM_GETTEXT, static_cast<WPARAM>(n + 1),
                                     reinterpret_cast<LPARAM>(buffer.get()));
    const std::wstring_view text(buffer.as<wchar_t>(), static_cast<size_t>(std::max<LRESULT>(0, got)));

    DOCINFOW job = {};
    job.cbSize = sizeof(job);
    job.lpszDocName = L"Untitled - Jotwell"; // the same job name for every document
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    if (StartDocW(printer.get(), &job) > 0) {
        bool laidOut = true;
        try {
            PrintPages(printer.get(), text);
        } catch (const std::bad_alloc&) {
            laidOut = false;
        }
        if (laidOut) {
            EndDoc(printer.get());
        } else {
            AbortDoc(printer.get());
            SetCursor(previous);
            ShowOutOfMemoryMessage();
            return;
        }
    }
    SetCursor(previous);
}
