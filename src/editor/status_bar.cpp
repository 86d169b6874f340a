#include "editor/status_bar.h"

#include "app/app_state.h"

wchar_t* FormatDecimal(uint32_t value, wchar_t* out)
{
    wchar_t digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
    out[n] = L'\0';
    return out;
}

void UpdateStatusBar() {}
void SetStatusText(const wchar_t*) {}
void ToggleStatusBar() {}
void UpdateStatusBrush() {}
void DrawStatusPart(const DRAWITEMSTRUCT*) {}
void DeleteStatusBrush() {}
