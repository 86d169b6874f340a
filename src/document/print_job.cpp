#include "document/print_job.h"

#include "base/app_state.h"
#include "base/handles.h"
#include "base/messages.h"
#include "document/print_page.h"

#include <initializer_list>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr int kPageText = 100;
constexpr UINT_PTR kStepTimer = 1;
constexpr UINT kNextPage = WM_APP + 2;

enum class JobEnd { Printed, Cancelled, Failed };

// The job from OK to its end. The font is declared before the DC, so that the DC goes first
// and the font is no longer selected anywhere when it is deleted.
struct PrintJob {
    explicit PrintJob(HDC printer) : font(CreatePrintFont(printer)), dc(printer) {}
    UniqueGdiObject<HFONT> font;
    UniqueDC dc;
    HWND dialog = nullptr; // null once the dialog is gone
    std::wstring text;
    std::vector<PrintLine> lines;
    PageFrame frame;
    size_t linesPerPage = 1;
    size_t pages = 1; // of one copy
    CopyPlan copies;
    size_t step = 0; // pages printed, of pages * programCopies
    bool docStarted = false;
    bool busy = false; // inside a call to the printer, which may run a loop of its own
    bool cancelled = false;
    bool closeAfter = false;
};

std::unique_ptr<PrintJob> s_job;

size_t JobPages(const PrintJob& job)
{
    return job.pages * static_cast<size_t>(job.copies.programCopies);
}

void ShowPageNumber(const PrintJob& job)
{
    wchar_t text[64];
    wsprintfW(text, L"Page %lu of %lu", static_cast<unsigned long>(job.step + 1),
              static_cast<unsigned long>(JobPages(job)));
    SetDlgItemTextW(job.dialog, kPageText, text);
}

// Ends the job: EndDoc after the last page, AbortDoc otherwise, then the dialog goes and the
// main window takes input again. Only a failure has a message; a user's Cancel needs none.
void FinishPrintJob(JobEnd end)
{
    std::unique_ptr<PrintJob> job = std::move(s_job);
    if (job->docStarted) {
        if (end != JobEnd::Printed)
            AbortDoc(job->dc.get());
        else if (EndDoc(job->dc.get()) <= 0)
            end = JobEnd::Failed;
    }
    // Enabled before the dialog goes, so that the main window becomes the active one again.
    EnableWindow(g_app.hwndMain, TRUE);
    if (job->dialog) DestroyWindow(job->dialog);
    EndModalDialog();
    const bool closeAfter = job->closeAfter;
    job.reset();
    if (end == JobEnd::Failed) ShowMessageBox(L"Cannot print the document.", L"Jotwell", MB_ICONWARNING);
    if (closeAfter) PostMessageW(g_app.hwndMain, WM_CLOSE, 0, 0);
}

// One page per turn of the loop, which paints and takes Cancel between pages: the next page
// comes at once when nothing waits, otherwise with the timer, whose message comes only after
// input and painting.
void StepPrintJob()
{
    PrintJob& job = *s_job;
    if (job.busy) return;
    if (job.cancelled || !job.dialog) return FinishPrintJob(JobEnd::Cancelled);
    ShowPageNumber(job);
    const size_t page = PageAtStep(job.step, job.pages, job.copies.programCopies, job.copies.programCollate);
    job.busy = true;
    bool made = StartPage(job.dc.get()) > 0;
    if (made) {
        const size_t first = page * job.linesPerPage;
        DrawPrintedPage(job.dc.get(), job.font.get(), job.frame, job.text, job.lines, first, first + job.linesPerPage);
        made = EndPage(job.dc.get()) > 0;
    }
    job.busy = false;
    if (!made) return FinishPrintJob(JobEnd::Failed);
    if (++job.step == JobPages(job)) return FinishPrintJob(JobEnd::Printed);
    if (!job.dialog) return FinishPrintJob(JobEnd::Cancelled);
    if (HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0) PostMessageW(job.dialog, kNextPage, 0, 0);
}

INT_PTR CALLBACK PrintingDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        s_job->dialog = dialog;
        ShowPageNumber(*s_job);
        return TRUE;
    case WM_TIMER:
    case kNextPage:
        if ((msg == kNextPage || wParam == kStepTimer) && s_job) StepPrintJob();
        return TRUE;
    // Cancel, Esc and the close box all arrive as IDCANCEL.
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) CancelPrintJob();
        return TRUE;
    case WM_DESTROY:
        // Gone under a running job (its owner was destroyed): the job ends with it.
        if (s_job && s_job->dialog == dialog) {
            s_job->dialog = nullptr;
            if (!s_job->busy) FinishPrintJob(JobEnd::Cancelled);
        }
        return FALSE;
    default: return FALSE;
    }
}

void PutDword(std::vector<WORD>& t, DWORD value)
{
    t.push_back(LOWORD(value));
    t.push_back(HIWORD(value));
}

void PutText(std::vector<WORD>& t, const wchar_t* text)
{
    do t.push_back(*text);
    while (*text++);
}

void PutItem(std::vector<WORD>& t, DWORD style, std::initializer_list<int> box, WORD id, WORD classAtom,
             const wchar_t* text)
{
    if (t.size() % 2) t.push_back(0); // items start on a DWORD
    PutDword(t, style | WS_CHILD | WS_VISIBLE);
    PutDword(t, 0);
    for (int v : box) t.push_back(static_cast<WORD>(v));
    t.push_back(id);
    t.push_back(0xFFFF);
    t.push_back(classAtom);
    PutText(t, text);
    t.push_back(0); // no creation data
}

// The Printing dialog's template, built here: the program has no dialog resources.
std::vector<WORD> PrintingDialogTemplate()
{
    std::vector<WORD> t;
    PutDword(t, DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
    PutDword(t, 0);
    t.push_back(2); // items
    for (int v : {0, 0, 160, 56}) t.push_back(static_cast<WORD>(v));
    t.push_back(0); // no menu
    t.push_back(0); // the dialog class
    PutText(t, L"Printing");
    t.push_back(8);
    PutText(t, L"MS Shell Dlg");
    PutItem(t, SS_CENTER, {8, 10, 144, 10}, kPageText, 0x0082, L"");
    PutItem(t, BS_DEFPUSHBUTTON | WS_TABSTOP, {55, 30, 50, 14}, IDCANCEL, 0x0080, L"Cancel");
    return t;
}

} // namespace

void StartPrintJob(HDC printer, std::wstring text, const CopyPlan& copies, bool toFile)
{
    std::unique_ptr<PrintJob> job;
    try {
        WaitCursor wait;
        job = std::make_unique<PrintJob>(printer);
        job->text = std::move(text);
        if (job->font.get()) SelectObject(printer, job->font.get());
        job->frame = MeasurePageFrame(printer);
        job->lines = LayoutForDevice(printer, job->text, job->frame);
    } catch (const std::bad_alloc&) {
        if (!job) DeleteDC(printer);
        ShowOutOfMemoryMessage();
        return;
    }
    job->linesPerPage = LinesPerPage(job->frame.bodyHeight, job->frame.lineHeight);
    job->pages = PageCount(job->lines.size(), job->linesPerPage);
    job->copies = copies;
    s_job = std::move(job);

    BeginModalDialog();
    EnableWindow(g_app.hwndMain, FALSE);
    const std::vector<WORD> dialogTemplate = PrintingDialogTemplate();
    if (!CreateDialogIndirectParamW(g_app.hInstance, reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()),
                                    g_app.hwndMain, PrintingDialogProc, 0))
        return FinishPrintJob(JobEnd::Failed);

    DOCINFOW doc = {};
    doc.cbSize = sizeof(doc);
    doc.lpszDocName = L"Untitled - Jotwell"; // the same job name for every document
    // "FILE:" makes Windows ask for the file's name.
    doc.lpszOutput = toFile ? L"FILE:" : nullptr;
    s_job->busy = true;
    const int started = StartDocW(s_job->dc.get(), &doc);
    const DWORD error = started > 0 ? 0 : GetLastError();
    s_job->busy = false;
    s_job->docStarted = started > 0;
    if (started <= 0)
        return FinishPrintJob(error == ERROR_CANCELLED || error == ERROR_PRINT_CANCELLED ? JobEnd::Cancelled
                                                                                        : JobEnd::Failed);
    if (!s_job->dialog) return FinishPrintJob(JobEnd::Cancelled);
    if (!SetTimer(s_job->dialog, kStepTimer, USER_TIMER_MINIMUM, nullptr)) FinishPrintJob(JobEnd::Failed);
}

bool PrintJobRunning()
{
    return s_job != nullptr;
}

void CancelPrintJob()
{
    if (s_job) s_job->cancelled = true;
}

void CancelPrintJobThenClose()
{
    if (!s_job) return;
    s_job->cancelled = true;
    s_job->closeAfter = true;
}

bool IsPrintDialogMessage(MSG& msg)
{
    return s_job && s_job->dialog && IsDialogMessageW(s_job->dialog, &msg);
}
