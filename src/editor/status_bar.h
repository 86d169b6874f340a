#pragma once

#include <windows.h>

#include <cstdint>

// Writes the decimal digits of value and a NUL into out (at least 11 units); returns out.
wchar_t* FormatDecimal(uint32_t value, wchar_t* out);

// Recounts the document and shows the status text (nothing while the bar is hidden).
void UpdateStatusBar();
void SetStatusText(const wchar_t* text);
void ToggleStatusBar();
void UpdateStatusBrush();
void DrawStatusPart(const DRAWITEMSTRUCT* item);
void DeleteStatusBrush();
// Frees the buffer the refresh keeps between calls.
void FreeStatusBuffer();
