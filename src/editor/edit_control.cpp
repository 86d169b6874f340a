#include "editor/edit_control.h"

#include "appearance/theme.h"
#include "base/app_state.h"
#include "base/handles.h"
#include "editor/status_bar.h"
#include "editor/text_stream.h"

#include <richole.h>
#include <shellapi.h>
#include <tom.h>

#include <cstring>
#include <cwchar>

namespace {

// The control's text object model, reached without initialising OLE.
constexpr GUID kTextDocumentId = {0x8CC497C0, 0xA1DF, 0x11CE, {0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D}};

// Keeps the control's undo history as it is while the text is recoloured: a colour is not an
// edit, and Undo after a theme change must take back the typing, not the colour. Only a control
// with a history needs it (asking for the text object model costs tens of milliseconds under
// Wine); where the control has no such model, there is nothing better to do than colour it.
class UndoSuspended {
public:
    explicit UndoSuspended(HWND edit)
    {
        if (!SendMessageW(edit, EM_CANUNDO, 0, 0) && !SendMessageW(edit, EM_CANREDO, 0, 0)) return;
        IRichEditOle* ole = nullptr;
        if (SendMessageW(edit, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole)) && ole) {
            if (FAILED(ole->QueryInterface(kTextDocumentId, reinterpret_cast<void**>(&document_)))) document_ = nullptr;
            ole->Release();
        }
        if (document_) document_->Undo(tomSuspend, nullptr);
    }
    ~UndoSuspended()
    {
        if (!document_) return;
        document_->Undo(tomResume, nullptr);
        document_->Release();
    }
    UndoSuspended(const UndoSuspended&) = delete;
    UndoSuspended& operator=(const UndoSuspended&) = delete;

private:
    ITextDocument* document_ = nullptr;
};

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
// WM_DROPFILES on Windows too. The window procedure is replaced directly: the common
// controls' subclassing looks up a window property for every message, which under Wine cost
// a fifth of a millisecond per typed key.
LRESULT CALLBACK EditSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
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
    default: break;
    }
    return CallWindowProcW(g_app.editClassProc, hwnd, msg, wParam, lParam);
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
    // Every control of the class has the same procedure to hand the other messages to.
    const auto original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditSubclassProc)));
    if (original) {
        g_app.editClassProc = original;
        DragAcceptFiles(edit, TRUE);
    }
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

void ApplyEditColors()
{
    // Windows broadcasts settings changes of every kind, and each recolouring walks the whole
    // text: the document's text is coloured again only when its colours or font change, or when
    // another control has taken its place since.
    const EditPalette palette = EditPaletteInForce();
    if (g_app.hwndEdit == g_app.textControl && palette.background == g_app.textBackground &&
        palette.text == g_app.textColour && g_app.hEditFont == g_app.textFont)
        return;
    ApplyEditColorsTo(g_app.hwndEdit);
}

void ApplyEditColorsTo(HWND edit)
{
    if (!edit) return;
    const LRESULT mask = SendMessageW(edit, EM_SETEVENTMASK, 0, 0);
    const LRESULT modified = SendMessageW(edit, EM_GETMODIFY, 0, 0);
    const EditPalette palette = EditPaletteInForce();
    UndoSuspended keepHistory(edit);
    SendMessageW(edit, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(palette.background));

    CHARFORMAT2W format = {};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_COLOR;
    format.crTextColor = palette.text;
    SendMessageW(edit, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    // Text that WM_SETTEXT puts in later (Open, New, word wrap) takes the default format,
    // not the one just given to the existing text.
    SendMessageW(edit, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));

    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(g_app.hEditFont), 1);
    SendMessageW(edit, EM_SETMODIFY, static_cast<WPARAM>(modified), 0);
    SendMessageW(edit, EM_SETEVENTMASK, 0, mask);
    g_app.textControl = edit;
    g_app.textBackground = palette.background;
    g_app.textColour = palette.text;
    g_app.textFont = g_app.hEditFont;
}
