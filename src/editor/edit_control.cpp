#include "editor/edit_control.h"

#include "appearance/theme.h"
#include "base/app_state.h"
#include "editor/control_keys.h"
#include "editor/plain_paste.h"

#include <richole.h>
#include <shellapi.h>
#include <tom.h>

#include <cstring>

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

bool Held(int key)
{
    return GetKeyState(key) < 0;
}

// Hands a message to the control as if Shift were up: Shift+Enter then types the line break
// Enter types, with the same undo step, modify flag and refresh, instead of the control's soft
// break (a space in plain text).
LRESULT WithoutShift(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    BYTE held[256];
    if (!GetKeyboardState(held)) return CallWindowProcW(g_app.editClassProc, hwnd, msg, wParam, lParam);
    BYTE plain[256];
    std::memcpy(plain, held, sizeof plain);
    plain[VK_SHIFT] = plain[VK_LSHIFT] = plain[VK_RSHIFT] = 0;
    const bool hidden = SetKeyboardState(plain) != FALSE;
    const LRESULT result = CallWindowProcW(g_app.editClassProc, hwnd, msg, wParam, lParam);
    if (hidden) SetKeyboardState(held);
    return result;
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
        switch (ControlKeyFor(wParam, Held(VK_CONTROL), Held(VK_MENU), Held(VK_SHIFT))) {
        case ControlKey::Pass: break;
        case ControlKey::Drop: return 0;
        case ControlKey::Paste: PastePlainText(hwnd); return 0;
        case ControlKey::Enter: return WithoutShift(hwnd, msg, wParam, lParam);
        }
        break;
    case WM_CHAR:
        // Windows' control may break the line on Enter's character rather than on its key-down.
        if (wParam == L'\r' && Held(VK_SHIFT)) return WithoutShift(hwnd, msg, wParam, lParam);
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
    // Hidden until it holds the text, so that the old document stays on screen meanwhile, and
    // without the document's id until it takes the old one's place.
    HWND edit = CreateEditControl(g_app.hwndMain, wordWrap, 0, 0, g_app.clientWidth, g_app.clientHeight);
    if (!edit) return nullptr;
    ShowWindow(edit, SW_HIDE);
    SetWindowLongPtrW(edit, GWLP_ID, 0);
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(g_app.hEditFont), 0);
    if (format) SendMessageW(edit, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(format));
    // Coloured while empty, the text that goes in takes the palette as its default format.
    ApplyEditColorsTo(edit);
    return edit;
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

// EM_SCROLLCARET as winuser.h numbers it. richedit.h falls back to WM_USER + 49 when it is
// included first, and Wine's control ignores that one.
void ScrollCaretIntoView(HWND edit)
{
    SendMessageW(edit, 0x00B7, 0, 0);
}

void SelectFromAnchor(HWND edit, LONG anchor, LONG to)
{
    CHARRANGE range = {anchor, to};
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    if (to >= anchor || GetFocus() != edit) return;
    CHARRANGE now = {};
    POINTL at = {};
    SendMessageW(edit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), to);
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(anchor), anchor);
    BYTE held[256];
    if (GetKeyboardState(held)) {
        BYTE shifted[256];
        std::memcpy(shifted, held, sizeof shifted);
        shifted[VK_SHIFT] = 0x80;
        if (SetKeyboardState(shifted)) {
            // Wine's control counts clicks at one point in quick succession as a double click,
            // which selects words: each click is a few pixels below the last, in the same row.
            static bool lower = false;
            lower = !lower;
            const LPARAM point = MAKELPARAM(at.x + 1, at.y + (lower ? 5 : 1));
            SendMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, point);
            SendMessageW(edit, WM_LBUTTONUP, MK_SHIFT, point);
            SetKeyboardState(held);
        }
    }

    // Should the click have missed (a point the control measures otherwise), the range stays.
    SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&now));
    if (now.cpMin != to || now.cpMax != anchor) {
        range = {to, anchor};
        SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
}
