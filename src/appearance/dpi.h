#pragma once

#include <windows.h>

// The text font's lfHeight at a DPI: 16 pixels at 96 DPI, rounded, negative (em height).
int EditFontHeight(UINT dpi);

UINT QueryWindowDpi();
void CreateEditFont(UINT dpi);
void InitDpi();
void RefreshDpi();
