// File > Print: the system's Print dialog, its choices, and the text as it is at OK, handed
// to a print job.
#include "document/print.h"

#include "base/app_state.h"
#include "base/handles.h"
#include "base/messages.h"
#include "document/print_job.h"
#include "document/print_layout.h"

#include <algorithm>
#include <new>
#include <string>

namespace {

// The copies the dialog asked for, wherever it put them: the DEVMODE when the driver makes
// them, nCopies and PD_COLLATE otherwise. Whatever the driver cannot make, the program makes;
// the DEVMODE then asks for one.
CopyPlan PlanDialogCopies(const PRINTDLGW& dialog, DEVMODEW* mode, const DEVNAMES* names)
{
    int copies = std::max<int>(1, dialog.nCopies);
    bool collate = (dialog.Flags & PD_COLLATE) != 0;
    if (!mode || !names) return PlanCopies(copies, collate, 1, false);
    if (mode->dmFields & DM_COPIES) copies = std::max<int>(copies, mode->dmCopies);
    if ((mode->dmFields & DM_COLLATE) && mode->dmCollate == DMCOLLATE_TRUE) collate = true;
    const auto* base = reinterpret_cast<const wchar_t*>(names);
    const wchar_t* device = base + names->wDeviceOffset;
    const wchar_t* port = base + names->wOutputOffset;
    const int most = DeviceCapabilitiesW(device, port, DC_COPIES, nullptr, mode);
    const bool collates = DeviceCapabilitiesW(device, port, DC_COLLATE, nullptr, mode) == 1;
    const CopyPlan plan = PlanCopies(copies, collate, most, collates);
    mode->dmCopies = static_cast<short>(plan.deviceCopies);
    mode->dmFields |= DM_COPIES;
    if (mode->dmFields & DM_COLLATE) mode->dmCollate = plan.deviceCollate ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
    return plan;
}

} // namespace

void DoFilePrint()
{
    // One job at a time.
    if (PrintJobRunning()) return;
    PRINTDLGW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = g_app.hwndMain;
    // The driver makes the copies where it can; the rest are made here.
    dialog.Flags = PD_NOSELECTION | PD_NOPAGENUMS | PD_RETURNDC | PD_USEDEVMODECOPIESANDCOLLATE;
    dialog.nCopies = 1;
    if (!ShowPrintDialog(dialog)) return;
    UniqueDC printer(dialog.hDC);
    UniqueGlobal devMode(dialog.hDevMode);
    UniqueGlobal devNames(dialog.hDevNames);
    if (!printer.get()) return;

    CopyPlan copies;
    {
        LockedGlobal<DEVMODEW> mode(devMode.get());
        LockedGlobal<DEVNAMES> names(devNames.get());
        copies = PlanDialogCopies(dialog, mode.get(), names.get());
        // The DC is given the copies the driver makes, and no more.
        if (mode.get() && (copies.deviceCopies > 1 || copies.programCopies > 1) &&
            !ResetDCW(printer.get(), mode.get())) {
            ShowMessageBox(L"Cannot print the document.", L"Jotwell", MB_ICONWARNING);
            return;
        }
    }

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
    StartPrintJob(printer.release(), std::move(text), copies, (dialog.Flags & PD_PRINTTOFILE) != 0);
}
