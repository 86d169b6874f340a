#include "editor/edit_control.h"

#include "app/app_state.h"

#include <richedit.h>

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
