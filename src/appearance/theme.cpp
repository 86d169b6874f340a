// Theme modes and the palettes that follow from them: title bar, text area, status bar.
#include "appearance/theme.h"

#include "app/app_state.h"
#include "app/handles.h"
#include "appearance/dpi.h"
#include "editor/status_bar.h"

#include <richedit.h>
#include <richole.h>
#include <tom.h>

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

} // namespace

EditPalette EditPaletteFor(bool dark)
{
    return dark ? EditPalette{RGB(30, 30, 30), RGB(220, 220, 220)} : EditPalette{RGB(255, 255, 255), RGB(0, 0, 0)};
}

bool DarkForMode(int themeMode, bool systemDark)
{
    if (themeMode == 1) return false;
    if (themeMode == 2) return true;
    return systemDark;
}

int QuerySystemDarkMode()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD value = 0;
    DWORD type = 0;
    DWORD cb = sizeof(value);
    const LSTATUS status =
        RegQueryValueExW(key, L"AppsUseLightTheme", nullptr, &type, reinterpret_cast<BYTE*>(&value), &cb);
    RegCloseKey(key);
    // Missing, unreadable or oversized counts as light.
    if (status != ERROR_SUCCESS) return 0;
    return value == 0 ? 1 : 0;
}

void ResolveDarkMode()
{
    const bool systemDark = g_app.themeMode != 1 && g_app.themeMode != 2 && QuerySystemDarkMode() != 0;
    g_app.darkActive = DarkForMode(g_app.themeMode, systemDark) ? 1 : 0;
}

void ApplyTitleBarTheme()
{
    // Looked up at each use: older systems have no such function.
    UniqueModule dwm(LoadLibraryW(L"dwmapi.dll"));
    if (!dwm.get()) return;
    using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    const auto set = reinterpret_cast<SetAttribute>(
        reinterpret_cast<void*>(GetProcAddress(dwm.get(), "DwmSetWindowAttribute")));
    if (!set) return;
    const int dark = g_app.darkActive;
    const int mainWindowBackdrop = 2;
    const int one = 1;
    // Each result is ignored: an attribute the running system rejects must not stop the others.
    set(g_app.hwndMain, 20, &dark, sizeof(dark));                            // immersive dark mode
    set(g_app.hwndMain, 19, &dark, sizeof(dark));                            // the same, earlier Windows 10
    set(g_app.hwndMain, 38, &mainWindowBackdrop, sizeof(mainWindowBackdrop)); // system backdrop
    set(g_app.hwndMain, 1029, &one, sizeof(one));
}

void ApplyEditColors()
{
    ApplyEditColorsTo(g_app.hwndEdit);
}

void ApplyEditColorsTo(HWND edit)
{
    if (!edit) return;
    const LRESULT mask = SendMessageW(edit, EM_SETEVENTMASK, 0, 0);
    const LRESULT modified = SendMessageW(edit, EM_GETMODIFY, 0, 0);
    const EditPalette palette = EditPaletteFor(g_app.darkActive != 0);
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
}

void ApplyTheme()
{
    ResolveDarkMode();
    ApplyTitleBarTheme();
    RefreshDpi();
    ApplyEditColors();
    UpdateStatusBrush();
    if (g_app.hwndStatus) UpdateStatusBar();
    InvalidateRect(g_app.hwndMain, nullptr, TRUE);
}

void SetThemeMode(int mode)
{
    g_app.themeMode = mode;
    ApplyTheme();
}

void OnSettingChange()
{
    if (g_app.themeMode == 0) ApplyTheme();
}

void CheckThemeMenuItem()
{
    HMENU menu = GetMenu(g_app.hwndMain);
    if (!menu) return;
    CheckMenuRadioItem(menu, ID_THEME_SYSTEM, ID_THEME_DARK, ID_THEME_SYSTEM + static_cast<UINT>(g_app.themeMode),
                       MF_BYCOMMAND);
}
