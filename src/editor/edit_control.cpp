#include "editor/edit_control.h"

#include "app/app_state.h"
#include "appearance/theme.h"
#include "editor/status_bar.h"
#include "editor/text_stream.h"

HWND CreateEditControl(HWND parent, int wordWrap, int x, int y, int width, int height)
{
    const DWORD style = wordWrap ? kEditStyleWrapped : kEditStyleUnwrapped;
    HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", nullptr, style, x, y, width, height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_EDIT)), g_app.hInstance, nullptr);
    // The default limit of 32,767 characters would refuse typing and pasting into
    // any longer document that Open put in.
    if (edit) SendMessageW(edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
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
