#include "base/messages.h"

#include "base/app_state.h"

// A modal dialog disables its owner, the main window, but not the modeless Find and Replace
// dialog that the main window also owns: Replace All could change the text behind Save As or
// Open. So that dialog takes no input either while one of ours is up. Nested ones (the
// prompt's Save As) count, so that only the last to close enables it again.
void BeginModalDialog()
{
    if (g_app.modalDepth++ == 0 && g_app.hwndFindDialog) EnableWindow(g_app.hwndFindDialog, FALSE);
}

void EndModalDialog()
{
    if (--g_app.modalDepth == 0 && g_app.hwndFindDialog) EnableWindow(g_app.hwndFindDialog, TRUE);
}

namespace {

class ModalScope {
public:
    ModalScope() { BeginModalDialog(); }
    ~ModalScope() { EndModalDialog(); }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
};

} // namespace

bool ModalDialogUp()
{
    return g_app.modalDepth > 0;
}

void BringModalToFront()
{
    // The owned popup that was last active: the modal, or the last of nested ones.
    HWND popup = GetLastActivePopup(g_app.hwndMain);
    if (popup && popup != g_app.hwndMain) SetForegroundWindow(popup);
}

void ShowOutOfMemoryMessage()
{
    ShowMessageBox(L"Cannot open file. Not enough memory.", L"Jotwell", MB_ICONERROR);
}

int ShowMessageBox(const wchar_t* text, const wchar_t* caption, UINT type)
{
    ModalScope modal;
    return MessageBoxW(g_app.hwndMain, text, caption, type);
}

BOOL ShowOpenDialog(OPENFILENAMEW& dialog)
{
    ModalScope modal;
    return GetOpenFileNameW(&dialog);
}

BOOL ShowSaveDialog(OPENFILENAMEW& dialog)
{
    ModalScope modal;
    return GetSaveFileNameW(&dialog);
}

BOOL ShowPrintDialog(PRINTDLGW& dialog)
{
    ModalScope modal;
    return PrintDlgW(&dialog);
}
