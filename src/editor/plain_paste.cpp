#include "editor/plain_paste.h"

#include "base/handles.h"
#include "editor/control_text.h"

#include <cwchar>

// The control's own Paste would bring other programs' formatting along, and under Wine, in
// plain-text mode, it replaces the whole text instead of the selection.
void PastePlainText(HWND edit)
{
    // EM_REPLACESEL inserts into a read-only control too; typing does not.
    if (GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY) return;
    if (!OpenClipboard(edit)) return;
    HeapBuffer text(0);
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
            // Copied out, ended for sure, so that the clipboard is not held during a long insert.
            // A lone CR doubles (CR CR LF would be the control's soft break, a space).
            const size_t length = wcsnlen(units, GlobalSize(data) / sizeof(wchar_t));
            text = HeapBuffer((2 * length + 1) * sizeof(wchar_t));
            size_t pos = 0;
            if (text) NextControlChunk(units, length, pos, text.as<wchar_t>(), 2 * length);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    if (text) SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.get()));
}
