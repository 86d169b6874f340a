// The clipboard's plain text, in and out of the text control.
#pragma once

#include "base/handles.h"

#include <windows.h>

#include <cstddef>

// The clipboard's Unicode text, copied out so that the clipboard is not held while it goes in;
// empty (and length 0) when there is none.
HeapBuffer ClipboardText(HWND owner, size_t& length);
// Puts text[0, length), one unit a position (each line break a CR), on the clipboard as CR LF
// text; false when it cannot be had.
bool PutOnClipboard(HWND owner, const wchar_t* text, size_t length);
// Puts text[0, length), as the clipboard gives it, in place of the control's selection, one step
// for Undo, with its line breaks read as Open reads them.
void ReplaceSelectionWith(HWND edit, const wchar_t* text, size_t length);
// The clipboard's text in place of the control's selection. Nothing while the control is
// read-only.
void PastePlainText(HWND edit);
