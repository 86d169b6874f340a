// Word wrap: the control's wrapping is fixed by its styles, so the toggle re-creates it.
#include "editor/word_wrap.h"

#include "base/app_state.h"
#include "base/handles.h"
#include "base/messages.h"
#include "editor/edit_control.h"
#include "editor/status_bar.h"
#include "editor/text_load.h"

#include <richedit.h>

void ToggleWordWrap()
{
    // The shell puts an arriving text in whole before it runs this (app/load_rules): the text is
    // read from the document's control, which must hold all of it.
    if (TextLoadRunning()) return;
    WaitCursor wait;
    HWND old = g_app.hwndEdit;
    const bool modified = SendMessageW(old, EM_GETMODIFY, 0, 0) != 0;
    CHARFORMAT2W format = {};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_SIZE | CFM_FACE | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    SendMessageW(old, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));

    // The new control shows its first screen at once and reads the rest from the old one in
    // pieces; the old one stays, hidden, until then: if the new one cannot be made or cannot
    // take the text, nothing changes.
    const int wrap = DocumentWordWrap() ^ 1;
    HWND edit = CreateDocumentControl(wrap, &format);
    if (!edit) return;
    if (StartTextLoadFromDocument(edit, modified, L"Wrapping...") == LoadStep::Failed) {
        ShowOutOfMemoryMessage();
        return;
    }
    g_app.hMenuBar = GetMenu(g_app.hwndMain);
    CheckMenuItem(g_app.hMenuBar, ID_FORMAT_WORDWRAP, MF_BYCOMMAND | (wrap ? MF_CHECKED : MF_UNCHECKED));
    DrawMenuBar(g_app.hwndMain);

    // Ln, Col and the line count follow the new control's wrapping.
    UpdateStatusBar();
    SetFocus(g_app.hwndEdit);
}
