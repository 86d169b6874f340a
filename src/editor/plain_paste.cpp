#include "editor/plain_paste.h"

#include "base/handles.h"

#include <cstring>
#include <cwchar>

// The control's own Paste would bring other programs' formatting along, and under Wine, in
// plain-text mode, it replaces the whole text instead of the selection.
void PastePlainText(HWND edit)
{
    if (!OpenClipboard(edit)) return;
    HeapBuffer text(0);
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
            // Copied out, ended for sure, so that the clipboard is not held during a long insert.
            const size_t length = wcsnlen(units, GlobalSize(data) / sizeof(wchar_t));
            text = HeapBuffer((length + 1) * sizeof(wchar_t));
            if (text) std::memcpy(text.get(), units, length * sizeof(wchar_t));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    if (text) SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.get()));
}
