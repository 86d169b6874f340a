// File > Print: the system's Print dialog, and the text as it is at OK, handed to a print job.
#include "document/print.h"

#include "base/app_state.h"
#include "base/handles.h"
#include "base/messages.h"
#include "document/print_job.h"

#include <algorithm>
#include <new>
#include <string>

void DoFilePrint()
{
    if (PrintJobRunning()) return;
    PRINTDLGW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = g_app.hwndMain;
    dialog.Flags = PD_NOSELECTION | PD_NOPAGENUMS | PD_RETURNDC;
    if (!ShowPrintDialog(dialog)) return;
    UniqueDC printer(dialog.hDC);
    UniqueGlobal devMode(dialog.hDevMode);
    UniqueGlobal devNames(dialog.hDevNames);
    if (!printer.get()) return;

    std::wstring text;
    try {
        const LRESULT n = SendMessageW(g_app.hwndEdit, WM_GETTEXTLENGTH, 0, 0);
        text.resize(static_cast<size_t>(n) + 1);
        const LRESULT got = SendMessageW(g_app.hwndEdit, WM_GETTEXT, static_cast<WPARAM>(n + 1),
                                         reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, n)));
    } catch (const std::bad_alloc&) {
        ShowOutOfMemoryMessage();
        return;
    }
    StartPrintJob(printer.release(), std::move(text));
}
