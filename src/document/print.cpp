// Printing through the system's Print dialog: the text laid out in lines and pages,
// black on white, in the editor's face at 11 points.
#include "document/print.h"

#include "base/app_state.h"
#include "base/handles.h"
#include "base/messages.h"
#include "document/print_page.h"

#include <algorithm>
#include <new>
#include <string_view>

namespace {

void PrintPages(HDC dc, std::wstring_view text)
{
    UniqueGdiObject<HFONT> font(CreatePrintFont(dc));
    const HGDIOBJ oldFont = font.get() ? SelectObject(dc, font.get()) : nullptr;
    const PageFrame frame = MeasurePageFrame(dc);
    const std::vector<PrintLine> lines = LayoutForDevice(dc, text, frame);
    const size_t perPage = LinesPerPage(frame.bodyHeight, frame.lineHeight);
    const size_t pages = PageCount(lines.size(), perPage);
    for (size_t page = 0; page < pages; ++page) {
        StartPage(dc);
        DrawPrintedPage(dc, font.get(), frame, text, lines, page * perPage, (page + 1) * perPage);
        EndPage(dc);
    }
    if (oldFont) SelectObject(dc, oldFont);
}

} // namespace

void DoFilePrint()
{
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
