// Printing through the real Print dialog. The job reaches the local CUPS queue "PDF";
// tools/check-printed-pdf.sh checks what came out of it.
#include "support/app_fixture.h"
#include "support/dialog_script.h"

#include "app/window_theme.h"
#include "document/print.h"

#include <string>

namespace {

using PrintTest = JotwellTest;

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
    script.Press(IDOK);
    DoFilePrint();
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].title, L"Print");
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

} // namespace
