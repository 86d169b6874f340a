// Word wrap: the control's wrapping is fixed by its styles, so the toggle re-creates it.
#include "editor/word_wrap.h"

#include "base/app_state.h"
#include "base/handles.h"
#include "base/messages.h"
#include "editor/edit_control.h"
#include "editor/status_bar.h"
#include "editor/text_load.h"

#include <richedit.h>

#include <utility>

void ToggleWordWrap()
{
    // The text is still arriving: there is no whole text to re-wrap yet.
    if (TextLoadRunning()) return;
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
    const LRESULT got =
        SendMessageW(old, WM_GETTEXT, static_cast<WPARAM>(length + 1), reinterpret_cast<LPARAM>(text.get()));

    // The new control shows its first screen at once and takes the rest in pieces; the old one
    // stays, hidden, until then: if the new one cannot be made or cannot take the text, nothing
    // changes.
    const int wrap = g_app.wordWrap ^ 1;
    HWND edit = CreateDocumentControl(wrap, &format);
    if (!edit) return;
    const wchar_t* units = text.as<wchar_t>();
    if (!StartTextLoad(edit, std::move(text), units, static_cast<size_t>(got < 0 ? 0 : got), modified != 0,
                       L"Wrapping...")) {
        ShowOutOfMemoryMessage();
        return;
    }
    g_app.wordWrap = wrap;

    g_app.hMenuBar = GetMenu(g_app.hwndMain);
    CheckMenuItem(g_app.hMenuBar, ID_FORMAT_WORDWRAP, MF_BYCOMMAND | (wrap ? MF_CHECKED : MF_UNCHECKED));
    DrawMenuBar(g_app.hwndMain);

    // Ln, Col and the line count follow the new control's wrapping.
    UpdateStatusBar();
    SetFocus(g_app.hwndEdit);
}
