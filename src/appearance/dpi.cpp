// The text font follows the DPI of the monitor the window is on.
#include "appearance/dpi.h"

#include "base/app_state.h"
#include "base/handles.h"

int EditFontHeight(UINT dpi)
{
    return -MulDiv(16, static_cast<int>(dpi), 96);
}

UINT QueryWindowDpi()
{
    // Looked up at every call: systems before Windows 10 1607 lack it.
    if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
        using GetDpi = UINT(WINAPI*)(HWND);
        const auto getDpi =
            reinterpret_cast<GetDpi>(reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
        if (getDpi) {
            const UINT dpi = getDpi(g_app.hwndMain);
            if (dpi != 0) return dpi;
        }
    }
    WindowDC dc(g_app.hwndMain);
    if (dc.get()) {
        const int dpi = GetDeviceCaps(dc.get(), LOGPIXELSX);
        if (dpi > 0) return static_cast<UINT>(dpi);
    }
    return 96;
}

static HFONT CreateFaceFont(int height, const wchar_t* face)
{
    LOGFONTW description = {};
    description.lfHeight = height;
    description.lfWeight = FW_NORMAL;
    description.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(description.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirectW(&description);
}

void CreateEditFont(UINT dpi)
{
    const HFONT old = g_app.hEditFont;
    const int height = EditFontHeight(dpi);
    g_app.hEditFont = CreateFaceFont(height, L"Segoe UI");
    if (g_app.hEditFont) {
        LOGFONTW created = {};
        GetObjectW(g_app.hEditFont, sizeof(created), &created);
        if (lstrcmpW(created.lfFaceName, L"Segoe UI") != 0) {
            DeleteObject(g_app.hEditFont);
            g_app.hEditFont = nullptr;
        }
    }
    if (!g_app.hEditFont) g_app.hEditFont = CreateFaceFont(height, L"Tahoma");
    if (old) DeleteObject(old);
}

void InitDpi()
{
    const UINT dpi = QueryWindowDpi();
    CreateEditFont(dpi);
    g_app.currentDpi = dpi;
}

void RefreshDpi()
{
    const UINT dpi = QueryWindowDpi();
    if (dpi == g_app.currentDpi) return;
    CreateEditFont(dpi);
    g_app.currentDpi = dpi;
}
