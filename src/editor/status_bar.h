#pragma once

#include <windows.h>

#include "editor/status_text.h"

#include <cstdint>

// Called by the message loop around each message it dispatches: notes a key that would add
// or remove one unit at the caret, so the refresh it causes need not recount the document.
void NoteKeyEdit(const MSG& msg);
void EndKeyEdit();
// Shows the caret's place and the document's counts: recounted in full, or adjusted for a
// noted key that changed exactly one unit. Nothing while the bar is hidden.
void UpdateStatusBar();
void SetStatusText(const wchar_t* text);
// The counts of the text the control holds now, known without reading it again (a load counted
// its pieces as they went in): the next UpdateStatusBar shows them instead of recounting.
void TakeCounts(const TextCounts& counts);
// Shows a progress text in the bar at once, repainting only the bar (no messages may be handled
// while the work runs). The bar keeps it, and UpdateStatusBar counts nothing, until EndProgress
// (a count of half a text would be wrong). Shown when the bar is shown.
void ShowProgress(const wchar_t* text);
// The counts again, at the next UpdateStatusBar.
void EndProgress();
void ToggleStatusBar();
void UpdateStatusBrush();
void DrawStatusPart(const DRAWITEMSTRUCT* item);
void DeleteStatusBrush();
