#include "editor/plain_paste.h"

#include "editor/control_text.h"

#include <cwchar>

HeapBuffer ClipboardText(HWND owner, size_t& length)
{
    length = 0;
    HeapBuffer text(0);
    if (!OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
            const size_t n = wcsnlen(units, GlobalSize(data) / sizeof(wchar_t));
            text = HeapBuffer((n + 1) * sizeof(wchar_t));
            if (text) {
                wmemcpy(text.as<wchar_t>(), units, n);
                length = n;
            }
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool PutOnClipboard(HWND owner, const wchar_t* text, size_t length)
{
    size_t breaks = 0;
    for (size_t i = 0; i < length; ++i) breaks += text[i] == L'\r';
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (length + breaks + 1) * sizeof(wchar_t));
    if (!data) return false;
    auto* out = static_cast<wchar_t*>(GlobalLock(data));
    for (size_t i = 0; i < length; ++i) {
        *out++ = text[i];
        if (text[i] == L'\r') *out++ = L'\n';
    }
    *out = L'\0';
    GlobalUnlock(data);
    if (!OpenClipboard(owner)) {
        GlobalFree(data);
        return false;
    }
    EmptyClipboard();
    const bool put = SetClipboardData(CF_UNICODETEXT, data) != nullptr;
    if (!put) GlobalFree(data);
    CloseClipboard();
    return put;
}

void ReplaceSelectionWith(HWND edit, const wchar_t* text, size_t length)
{
    // A lone CR doubles (CR CR LF would be the control's soft break, a space).
    HeapBuffer units((2 * length + 1) * sizeof(wchar_t));
    if (!units) return;
    size_t pos = 0;
    NextControlChunk(text, length, pos, units.as<wchar_t>(), 2 * length);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(units.get()));
}

// The control's own Paste would bring other programs' formatting along, and under Wine, in
// plain-text mode, it replaces the whole text instead of the selection.
void PastePlainText(HWND edit)
{
    // EM_REPLACESEL inserts into a read-only control too; typing does not.
    if (GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY) return;
    size_t length = 0;
    const HeapBuffer text = ClipboardText(edit, length);
    if (text) ReplaceSelectionWith(edit, text.as<wchar_t>(), length);
}
