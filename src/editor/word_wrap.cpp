// Word wrap: the control's wrapping is fixed by its styles, so the toggle re-creates it.
#include "editor/word_wrap.h"

#include "app/app_state.h"
#include "app/handles.h"
#include "app/messages.h"
#include "appearance/theme.h"
#include "document/document.h"
#include "editor/edit_control.h"

#include <richedit.h>

void ToggleWordWrap()
{
    WaitCursor wait;
    HWND old = g_app.hwndEdit;
    const LRESULT modified = SendMessageW(old, EM_GETMODIFY, 0, 0);
    const LRESULT length = SendMessageW(old, WM_GETTEXTLENGTH, 0, 0);
    HeapBuffer text((static_cast<size_t>(length < 0 ? 0 : length) + 1) * sizeof(wchar_t));
    if (!text) {
        ShowOutOfMemoryMessage();
        return;
    }
    CHARFORMAT2W format = {};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_SIZE | CFM_FACE | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    SendMessageW(old, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageW(old, WM_GETTEXT, static_cast<WPARAM>(length + 1), reinterpret_cast<LPARAM>(text.get()));

    // The new control exists before the old one goes: if it cannot be made, nothing changes.
    const int wrap = g_app.wordWrap ^ 1;
    HWND edit = CreateEditControl(g_app.hwndMain, wrap, 0, 0, g_app.clientWidth, g_app.clientHeight);
    if (!edit) return;
    DestroyWindow(old);
    g_app.hwndEdit = edit;
    g_app.wordWrap = wrap;

    g_app.hMenuBar = GetMenu(g_app.hwndMain);
    CheckMenuItem(g_app.hMenuBar, ID_FORMAT_WORDWRAP, MF_BYCOMMAND | (wrap ? MF_CHECKED : MF_UNCHECKED));
    DrawMenuBar(g_app.hwndMain);

    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(g_app.hEditFont), 1);
    SendMessageW(edit, EM_SETEVENTMASK, 0, ENM_CHANGE);
    SendMessageW(edit, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.get()));
    ApplyEditColors();
    // Wine's control records WM_SETTEXT and the colouring as undo steps; undoing them would
    // empty the document.
    SendMessageW(edit, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageW(edit, EM_SETMODIFY, static_cast<WPARAM>(modified), 0);
    // WM_SETTEXT's change notification refreshed the caption with the flag cleared; put the
    // caption back in step with the flag just restored.
    UpdateTitle();
    SetFocus(edit);
}
