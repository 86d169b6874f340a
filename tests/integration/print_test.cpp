// Printing through the real Print dialog. The job reaches the local CUPS queue "PDF";
// tools/check-printed-pdf.sh checks what came out of it.
#include "support/app_fixture.h"
#include "support/dialog_script.h"
#include "support/import_patch.h"

#include "app/window_theme.h"
#include "document/print.h"
#include "document/print_job.h"

#include <string>

namespace {

using PrintTest = JotwellTest;

template <typename F> F Real(F, const wchar_t* dll, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(dll), name)));
}

// Taken before any patch: inside one, the test program's own calls reach the fakes too.
const auto realStartDoc = Real(&StartDocW, L"gdi32.dll", "StartDocW");
const auto realStartPage = Real(&StartPage, L"gdi32.dll", "StartPage");
const auto realAbortDoc = Real(&AbortDoc, L"gdi32.dll", "AbortDoc");
const auto realResetDC = Real(&ResetDCW, L"gdi32.dll", "ResetDCW");

// What the job asked of the printer. The driver's answer for copies (it collates none) and a
// failing StartPage are the test's to choose; the output goes to its file, not to the queue.
struct PrinterLog {
    int startPages = 0, aborts = 0, resetCopies = 0, driverCopies = 9999;
    bool failStartPage = false;
    std::wstring output;
};
thread_local PrinterLog t_log;

int WINAPI LoggedStartDoc(HDC dc, const DOCINFOW* info)
{
    DOCINFOW redirected = *info;
    redirected.lpszOutput = t_log.output.c_str();
    return realStartDoc(dc, &redirected);
}
int WINAPI LoggedStartPage(HDC dc) { ++t_log.startPages; return t_log.failStartPage ? SP_ERROR : realStartPage(dc); }
int WINAPI LoggedAbortDoc(HDC dc) { ++t_log.aborts; return realAbortDoc(dc); }
HDC WINAPI LoggedResetDC(HDC dc, const DEVMODEW* dm) { t_log.resetCopies = dm->dmCopies; return realResetDC(dc, dm); }
int WINAPI DriverCopies(LPCWSTR, LPCWSTR, WORD what, LPWSTR, const DEVMODEW*)
{
    return what == DC_COPIES ? t_log.driverCopies : 0;
}

struct PrinterSeam {
    explicit PrinterSeam(const std::wstring& output) { t_log = PrinterLog{0, 0, 0, 9999, false, output}; }
    ImportPatch startDoc{"gdi32.dll", "StartDocW", reinterpret_cast<void*>(&LoggedStartDoc)};
    ImportPatch startPage{"gdi32.dll", "StartPage", reinterpret_cast<void*>(&LoggedStartPage)};
    ImportPatch abortDoc{"gdi32.dll", "AbortDoc", reinterpret_cast<void*>(&LoggedAbortDoc)};
    ImportPatch resetDC{"gdi32.dll", "ResetDCW", reinterpret_cast<void*>(&LoggedResetDC)};
    ImportPatch caps{"winspool.drv", "DeviceCapabilitiesW", reinterpret_cast<void*>(&DriverCopies)};
};

// Turns the message loop until the job has ended, for at most a minute.
void WaitForPrintJob()
{
    const ULONGLONG start = GetTickCount64();
    while (!Pump() && PrintJobRunning() && GetTickCount64() - start < 60000)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
}

// The document the PDF check expects: 150 numbered lines, a line much wider than the page
// and a line with a TAB, with every kind of line break.
std::wstring PrintedDocument()
{
    std::wstring text;
    for (int i = 1; i <= 150; ++i) {
        wchar_t line[32];
        wsprintfW(line, L"Line %03d of the printed text", i);
        text += line;
        text += (i % 3 == 0) ? L"\r" : (i % 3 == 1) ? L"\r\n" : L"\n";
        if (i == 10) {
            for (int w = 1; w <= 300; ++w) {
                wsprintfW(line, L"w%03d ", w);
                text += line;
            }
            text += L"\r\n";
        }
        if (i == 20) text += L"before\tafter\r\n";
    }
    return text;
}

bool PrinterPresent()
{
    wchar_t name[256] = {};
    DWORD size = 256;
    return GetDefaultPrinterW(name, &size) != FALSE;
}

TEST_F(PrintTest, CancelledDialogPrintsNothingAndChangesNothing)
{
    TypeText(L"draft");
    const std::wstring caption = WindowText(g_app.hwndMain);
    DialogScript script;
    script.Press(IDCANCEL);
    DoFilePrint();
    EXPECT_EQ(script.pending(), 0u);
    EXPECT_EQ(WindowText(g_app.hwndMain), caption);
    EXPECT_TRUE(EditModified());
}

// Run by tools/check-printed-pdf.sh with JOTWELL_PRINT_E2E set; it then checks the PDF.
TEST_F(PrintTest, PrintsTheDocumentToTheDefaultQueue)
{
    if (!GetEnvironmentVariableW(L"JOTWELL_PRINT_E2E", nullptr, 0))
        GTEST_SKIP() << "run by tools/check-printed-pdf.sh, which checks the PDF";
    if (!PrinterPresent()) GTEST_SKIP() << "no printer: the CUPS queue is not running";
    SetEditText(PrintedDocument());
    TypeText(L" ");
    // Under the dark palette the printout must still be black on white.
    SetThemeMode(2);
    const std::wstring caption = WindowText(g_app.hwndMain);

    DialogScript script;
    script.Press(IDOK).Then([](HWND) {});
    DoFilePrint();
    WaitForPrintJob();
    ASSERT_EQ(script.seen().size(), 2u);
    EXPECT_EQ(script.seen()[0].title, L"Print");
    EXPECT_EQ(script.seen()[1].title, L"Printing");
    EXPECT_EQ(WindowText(g_app.hwndMain), caption);
    EXPECT_TRUE(EditModified());
    EXPECT_EQ(g_app.currentFilePath[0], L'\0');
}

TEST_F(PrintTest, CtrlPAndCtrlAltPOpenThePrintDialog)
{
    if (!PrinterPresent()) GTEST_SKIP() << "no printer: the Print dialog would not open";
    for (auto modifiers : {std::initializer_list<int>{VK_CONTROL}, std::initializer_list<int>{VK_CONTROL, VK_MENU}}) {
        DialogScript script;
        script.Press(IDCANCEL);
        PressKey('P', modifiers);
        ASSERT_EQ(script.seen().size(), 1u);
        EXPECT_EQ(script.seen()[0].title, L"Print");
    }
    EXPECT_EQ(EditText(), L"");
}

// A document of several pages, printed through the seam into a file of the test's own.
class PrintJobTest : public JotwellTest {
protected:
    void SetUp() override
    {
        JotwellTest::SetUp();
        if (!PrinterPresent()) GTEST_SKIP() << "no printer: the CUPS queue is not running";
        SetEditText(PrintedDocument());
    }
    void Print(DialogScript& script)
    {
        DoFilePrint();
        WaitForPrintJob();
        ASSERT_GE(script.seen().size(), 2u);
        EXPECT_EQ(script.seen()[1].title, L"Printing");
    }
    TempFolder folder_;
    PrinterSeam seam_{folder_.File(L"out.ps")};
};

TEST_F(PrintJobTest, CancelInThePrintingDialogAbortsTheJob)
{
    DialogScript script;
    script.Press(IDOK).Then([](HWND printing) {
        EXPECT_TRUE(!IsWindowEnabled(g_app.hwndMain) && g_app.modalDepth == 1);
        ClickDialogButton(printing, IDCANCEL);
    });
    Print(script);
    EXPECT_EQ(t_log.aborts, 1);
    EXPECT_EQ(ReadFileBytes(t_log.output), "");
    EXPECT_TRUE(IsWindowEnabled(g_app.hwndMain) && g_app.modalDepth == 0);
}

TEST_F(PrintJobTest, TwoCopiesFromTheDriverOrFromTheProgram)
{
    int pages = 0;
    for (int driverCopies : {9999, 1}) {
        t_log.driverCopies = driverCopies;
        t_log.startPages = 0;
        DialogScript script;
        script.Then([](HWND print) { SetDlgItemTextW(print, 0x482 /* edt3, copies */, L"2"); ClickDialogButton(print, IDOK); });
        script.Then([](HWND) {});
        Print(script);
        EXPECT_NE(ReadFileBytes(t_log.output), ""); // ended with EndDoc
        EXPECT_EQ(t_log.resetCopies, driverCopies > 1 ? 2 : 1);
        if (driverCopies > 1) pages = t_log.startPages;
        EXPECT_EQ(t_log.startPages, driverCopies > 1 ? pages : 2 * pages);
        EXPECT_EQ(script.seen()[1].text, L"Page 1 of " + std::to_wstring(t_log.startPages));
    }
    EXPECT_GE(pages, 3);
}

TEST_F(PrintJobTest, AFailedPageStopsTheJobWithAMessage)
{
    t_log.failStartPage = true;
    DialogScript script;
    script.Press(IDOK).Then([](HWND) {}).Press(IDOK);
    Print(script);
    ASSERT_EQ(script.seen().size(), 3u);
    EXPECT_EQ(script.seen()[2].text, L"Cannot print the document.");
    EXPECT_EQ(script.seen()[2].icon, LoadIconW(nullptr, IDI_WARNING));
    EXPECT_EQ(t_log.startPages, 1);
    EXPECT_EQ(t_log.aborts, 1);
}

// The close waits for the job's end, then asks about the unsaved text as usual.
TEST_F(PrintJobTest, ClosingWhilePrintingCancelsFirst)
{
    TypeText(L"x");
    DialogScript script;
    script.Press(IDOK).Then([](HWND) { PostMessageW(g_app.hwndMain, WM_CLOSE, 0, 0); }).Press(IDCANCEL);
    Print(script);
    ASSERT_EQ(script.seen().size(), 3u);
    EXPECT_EQ(script.seen()[2].icon, LoadIconW(nullptr, IDI_QUESTION));
    EXPECT_EQ(t_log.aborts, 1);
}

} // namespace
