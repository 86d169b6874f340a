// The document's caption, the unsaved-changes question and New.
#include "document/document.h"

#include "app/menu.h"
#include "base/app_state.h"
#include "base/messages.h"
#include "document/caption.h"
#include "editor/edit_control.h"
#include "editor/status_bar.h"

#include <richedit.h>

void UpdateTitle()
{
    const bool modified = SendMessageW(g_app.hwndEdit, EM_GETMODIFY, 0, 0) != 0;
    wchar_t caption[kCaptionChars];
    FormatCaption(g_app.currentFilePath, modified, caption);
    // Called on every keystroke: setting an unchanged caption would still repaint the title bar.
    wchar_t shown[kCaptionChars];
    if (GetWindowTextW(g_app.hwndMain, shown, kCaptionChars) > 0 && lstrcmpW(shown, caption) == 0) return;
    SetWindowTextW(g_app.hwndMain, caption);
}

int PromptSaveChanges()
{
    if (!SendMessageW(g_app.hwndEdit, EM_GETMODIFY, 0, 0)) return 1;
    const wchar_t question[] = L"The text in the Untitled file has changed.\r\nDo you want to save the changes?";
    switch (ShowMessageBox(question, L"Jotwell", MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: return DoFileSave();
    case IDNO: return 1;
    default: return 0;
    }
}

void DoFileNew()
{
    if (!PromptSaveChanges()) return;
    // A new control: emptying a long document in place takes minutes under Wine. Should none be
    // had, the old one is emptied after all.
    HWND edit = CreateDocumentControl(g_app.wordWrap, nullptr);
    if (!edit || !TakeOverEditControl(edit, L"", 0, nullptr)) {
        SendMessageW(g_app.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        SendMessageW(g_app.hwndEdit, EM_EMPTYUNDOBUFFER, 0, 0); // as after Open
    }
    SendMessageW(g_app.hwndEdit, EM_SETMODIFY, 0, 0);
    g_app.currentFilePath[0] = L'\0';
    g_app.saveEncoding = 0;
    UpdateStatusBar();
    UpdateTitle();
    UpdateMenuState();
}
