// The document's name and caption, the unsaved-changes question and New.
#include "document/document.h"

#include "app/menu.h"
#include "base/app_state.h"
#include "base/handles.h"
#include "base/messages.h"
#include "document/caption.h"
#include "document/document_name.h"
#include "editor/status_bar.h"
#include "editor/text_load.h"

#include <richedit.h>

#include <utility>

namespace {

void RefreshDocumentViews()
{
    UpdateStatusBar();
    UpdateTitle();
    UpdateMenuState();
}

} // namespace

void UpdateTitle()
{
    const bool modified = SendMessageW(g_app.hwndEdit, EM_GETMODIFY, 0, 0) != 0;
    wchar_t caption[kCaptionChars];
    FormatCaption(ShownFilePath(), modified, caption);
    // Called on every keystroke: setting an unchanged caption would still repaint the title bar.
    wchar_t shown[kCaptionChars];
    if (GetWindowTextW(g_app.hwndMain, shown, kCaptionChars) > 0 && lstrcmpW(shown, caption) == 0) return;
    SetWindowTextW(g_app.hwndMain, caption);
}

bool WouldAskToSave()
{
    return TextLoadModified() || (!TextLoadRunning() && SendMessageW(g_app.hwndEdit, EM_GETMODIFY, 0, 0));
}

int PromptSaveChanges()
{
    // A file still arriving holds nothing to save. A modified text being re-wrapped is put in
    // whole first, so that a Yes never saves part of it.
    if (TextLoadModified()) FinishArrivingText();
    if (!WouldAskToSave()) return 1;
    const wchar_t question[] = L"The text in the Untitled file has changed.\r\nDo you want to save the changes?";
    switch (ShowMessageBox(question, L"Jotwell", MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: return DoFileSave();
    case IDNO: return 1;
    default: return 0;
    }
}

void FinishArrivingText()
{
    if (!TextLoadRunning()) return;
    WaitCursor wait;
    AfterTextLoad(FinishTextLoad());
}

void AfterTextLoad(LoadStep step)
{
    if (step == LoadStep::Idle || step == LoadStep::More) return;
    if (step == LoadStep::Done) CommitArrivingDocument();
    DropArrivingDocument();
    RefreshDocumentViews();
    // The document from before is back; say why.
    if (step == LoadStep::Failed) ShowOutOfMemoryMessage();
}

bool LoadDocument(const wchar_t* path, HeapBuffer owner, const wchar_t* text, size_t length)
{
    const LoadStep step = StartTextLoadInNewControl(std::move(owner), text, length, false, L"Opening...");
    if (step == LoadStep::Failed) {
        ShowOutOfMemoryMessage();
        return false;
    }
    ExpectDocument(path, 0);
    if (step == LoadStep::Done) CommitArrivingDocument();
    RefreshDocumentViews();
    return true;
}

void DoFileNew()
{
    if (!PromptSaveChanges()) return;
    // A new control: emptying a long document in place takes minutes under Wine. Should none be
    // had, the document's control is emptied after all.
    if (StartTextLoadInNewControl(HeapBuffer(0), L"", 0, false, nullptr) == LoadStep::Failed) {
        CancelTextLoad();
        SendMessageW(g_app.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        SendMessageW(g_app.hwndEdit, EM_EMPTYUNDOBUFFER, 0, 0); // as after Open
        SendMessageW(g_app.hwndEdit, EM_SETREADONLY, FALSE, 0);
    }
    SendMessageW(g_app.hwndEdit, EM_SETMODIFY, 0, 0);
    DropArrivingDocument();
    g_app.currentFilePath[0] = L'\0';
    g_app.saveEncoding = 0;
    RefreshDocumentViews();
}
