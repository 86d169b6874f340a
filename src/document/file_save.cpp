// Save and Save As: the text in the document's save encoding, written so that a failure
// never destroys what was on disk.
#include "app/menu.h"
#include "base/app_state.h"
#include "base/handles.h"
#include "base/messages.h"
#include "document/document.h"
#include "document/file_dialogs.h"
#include "document/safe_write.h"
#include "editor/text_copy.h"

#include <richedit.h>

#include <algorithm>

namespace {

// The control's text length in units, as WM_GETTEXTLENGTH reports it.
size_t TextUnits()
{
    const LRESULT n = SendMessageW(g_app.hwndEdit, WM_GETTEXTLENGTH, 0, 0);
    return static_cast<size_t>(n < 0 ? 0 : n);
}

// Fills `text` (room for units + 2) with the mark and the control's text; returns the number
// of units the control delivered: only those are written, never a tail of zeros.
size_t FillFileText(wchar_t* text, size_t units)
{
    text[0] = 0xFEFF;
    const LRESULT got =
        SendMessageW(g_app.hwndEdit, WM_GETTEXT, static_cast<WPARAM>(units + 1), reinterpret_cast<LPARAM>(text + 1));
    return got < 0 ? 0 : std::min(static_cast<size_t>(got), units);
}

void MarkSaved()
{
    SendMessageW(g_app.hwndEdit, EM_SETMODIFY, 0, 0);
    UpdateTitle();
    UpdateMenuState();
}

} // namespace

int WriteDocumentFile(const wchar_t* path)
{
    WaitCursor wait;
    // The run's text buffer: nothing can refill it before the write, since no message is
    // handled in between.
    const size_t units = TextUnits();
    wchar_t* text = TextCopyBuffer(units + 2);
    if (!text) {
        ShowOutOfMemoryMessage();
        return 0;
    }
    const FileText file = {text, FillFileText(text, units), static_cast<SaveEncoding>(g_app.saveEncoding)};
    // UTF-8 has no form for a lone surrogate; writing U+FFFD instead would lose it unasked.
    if (file.encoding != SaveEncoding::Utf16Le && !FitsUtf8(text + 1, file.units)) {
        ShowMessageBox(L"This text has characters that UTF-8 cannot store.\r\n"
                       L"Save it as UTF-16 LE (Format > Encoding) to keep them.",
                       L"Jotwell", MB_ICONWARNING);
        return 0;
    }
    return WriteFileSafely(path, file) ? 1 : 0;
}

// Clearing the modify flag right after the write is right only because no message is handled
// between taking the text and clearing it: nothing can change the text in between.
int DoFileSave()
{
    if (!SendMessageW(g_app.hwndEdit, EM_GETMODIFY, 0, 0)) return 1;
    if (!g_app.currentFilePath[0]) return DoFileSaveAs();
    if (!WriteDocumentFile(g_app.currentFilePath)) return 0;
    MarkSaved();
    return 1;
}

int DoFileSaveAs()
{
    OPENFILENAMEW dialog =
        FileDialogRecord(g_app.saveFilePath, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST);
    if (!ShowSaveDialog(dialog)) return 0;
    // The text is taken now, not before the dialog: whatever changed while it was up is saved.
    if (!WriteDocumentFile(g_app.saveFilePath)) return 0;
    lstrcpyW(g_app.currentFilePath, g_app.saveFilePath);
    MarkSaved();
    return 1;
}

void SetSaveEncoding(int encoding)
{
    if (encoding == g_app.saveEncoding) return;
    g_app.saveEncoding = encoding;
    // The file on disk no longer matches what Save would write: Save must write it, and
    // closing must ask. Not an edit, so Undo does not take it back.
    SendMessageW(g_app.hwndEdit, EM_SETMODIFY, 1, 0);
    UpdateTitle();
    UpdateMenuState();
}
