#include "editor/edit_control.h"

#include "app/app_state.h"
#include "app/handles.h"
#include "appearance/theme.h"
#include "editor/status_bar.h"
#include "editor/text_stream.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>
#include <cwchar>

namespace {

// Puts the clipboard's text in place of the selection, one step for Undo. The control's own
// Paste would bring other programs' formatting along, and under Wine, in plain-text mode, it
// replaces the whole text instead of the selection.
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

bool Held(int key)
{
    return GetKeyState(key) < 0;
}

// Files dropped on the text go to the main window, which opens them. Wine's control swallows
// WM_DROPFILES without a notification (no EN_DROPFILES, whatever the event mask), and this
// way Windows and Wine take the same road. The program never initialises OLE, so the control
// registers no drop target of its own, and a drop from the file manager arrives as
// WM_DROPFILES on Windows too.
LRESULT CALLBACK EditSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    switch (msg) {
    case WM_DROPFILES: return SendMessageW(GetParent(hwnd), WM_DROPFILES, wParam, lParam);
    case WM_PASTE: PastePlainText(hwnd); return 0;
    case WM_KEYDOWN:
        // The control's own paste keys.
        if ((wParam == 'V' && Held(VK_CONTROL) && !Held(VK_MENU)) ||
            (wParam == VK_INSERT && Held(VK_SHIFT) && !Held(VK_CONTROL) && !Held(VK_MENU))) {
            PastePlainText(hwnd);
            return 0;
        }
        break;
    case WM_NCDESTROY: RemoveWindowSubclass(hwnd, EditSubclassProc, 0); break;
    default: break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

} // namespace

HWND CreateEditControl(HWND parent, int wordWrap, int x, int y, int width, int height)
{
    const DWORD style = wordWrap ? kEditStyleWrapped : kEditStyleUnwrapped;
    HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", nullptr, style, x, y, width, height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_EDIT)), g_app.hInstance, nullptr);
    // The default limit of 32,767 characters would refuse typing and pasting into
    // any longer document that Open put in.
    if (!edit) return nullptr;
    SendMessageW(edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    // Plain text: one format for the whole text, so that no text the undo history brings back
    // keeps the colour of a palette no longer in force, and Paste takes no formatting along.
    SendMessageW(edit, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
    if (SetWindowSubclass(edit, EditSubclassProc, 0, 0)) DragAcceptFiles(edit, TRUE);
    return edit;
}

HWND CreateDocumentControl(int wordWrap, const CHARFORMAT2W* format)
{
    // Hidden until it holds the text, so that the old document stays on screen meanwhile.
    HWND edit = CreateEditControl(g_app.hwndMain, wordWrap, 0, 0, g_app.clientWidth, g_app.clientHeight);
    if (!edit) return nullptr;
    ShowWindow(edit, SW_HIDE);
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(g_app.hEditFont), 0);
    if (format) SendMessageW(edit, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(format));
    // Coloured while empty, the text that goes in takes the palette as its default format.
    ApplyEditColorsTo(edit);
    return edit;
}

bool TakeOverEditControl(HWND edit, const wchar_t* text, size_t length, const wchar_t* label)
{
    // The event mask stays off until the text is in, so nothing refreshes halfway.
    if (length > 0 && !StreamTextIn(edit, text, length, label)) {
        DestroyWindow(edit);
        // The bar may show the progress of what failed.
        UpdateStatusBar();
        return false;
    }
    SendMessageW(edit, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageW(edit, EM_SETEVENTMASK, 0, ENM_CHANGE);
    HWND old = g_app.hwndEdit;
    const bool focused = old && GetFocus() == old;
    g_app.hwndEdit = edit;
    ShowWindow(edit, SW_SHOW);
    if (old) DestroyWindow(old);
    if (focused) SetFocus(edit);
    return true;
}

wchar_t* TextCopyBuffer(size_t units)
{
    if (units <= g_app.textCopyUnits) return g_app.textCopy;
    // The old contents are not needed: freed first, they leave the most room for the new.
    FreeTextCopyBuffer();
    // Room to grow, so that a document getting longer does not reallocate at every copy;
    // short of memory, the room is the first thing to give up.
    size_t room = units + units / 8 + 64;
    void* grown = HeapAlloc(GetProcessHeap(), 0, room * sizeof(wchar_t));
    if (!grown) {
        room = units;
        grown = HeapAlloc(GetProcessHeap(), 0, room * sizeof(wchar_t));
        if (!grown) return nullptr;
    }
    g_app.textCopy = static_cast<wchar_t*>(grown);
    g_app.textCopyUnits = room;
    return g_app.textCopy;
}

void FreeTextCopyBuffer()
{
    if (g_app.textCopy) HeapFree(GetProcessHeap(), 0, g_app.textCopy);
    g_app.textCopy = nullptr;
    g_app.textCopyUnits = 0;
}
