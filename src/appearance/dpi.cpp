#include "appearance/dpi.h"

#include "app/app_state.h"

int EditFontHeight(UINT dpi)
{
    return -MulDiv(16, static_cast<int>(dpi), 96);
}

UINT QueryWindowDpi() { return 96; }
void CreateEditFont(UINT) {}
void InitDpi() {}
void RefreshDpi() {}
void OnDpiChanged(WPARAM, LPARAM) {}
