// Edits the text control would take too long over: a big selection deleted, cut or typed over, a
// long text pasted, Replace All across much of the text, and their Undo and Redo. Under Wine the
// control's own deletion costs about the number of rows removed times the rows of the document
// (a Select All then Delete of 1 M characters froze the window for 22 s). Such an edit makes the
// new text in memory and puts it into a new control as a load puts a file in: the first screen at
// once, the rest in pieces, the window answering. The program keeps the one step that takes it
// back; smaller edits keep the control's own path and history. Its state lives in big_edit.cpp.
#pragma once

#include "base/handles.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>

// A key-down or character the loop is about to hand to the text control: true when it was a big
// edit, made here (the key goes no further), or an Undo or Redo of one.
bool TakeEditKey(UINT message, uintptr_t key, bool ctrl, bool alt, bool shift);

// The Edit menu's commands: the control's own for small edits, the program's for big ones.
void CutSelection();
void DeleteSelection();
// The clipboard's Unicode text in place of the selection, with its line breaks read as Open reads
// them, one step for Undo. Nothing while the control is read-only.
void PasteClipboard();
void UndoEdit();
void RedoEdit();
// Whether Undo has something to take back: the control's history, or the program's step for the
// control that shows the document (also while that edit's text arrives).
bool CanUndoEdit();

// Replace All's new text for positions [start, end) of the document, whose whole text (one unit
// a position) is text[0, length): true when it was big and went in as a load does, the caret
// landing after it; false leaves it to the caller.
bool ReplaceRangeIfBig(LONG start, LONG end, const wchar_t* with, size_t withLength, const wchar_t* text,
                       size_t length);

// The document's whole text, one unit a position (each line break one CR), read from its control
// with the number of units in `length`; empty when it cannot be had.
HeapBuffer ReadPositionText(size_t& length);

// Tests: which path edits take, whatever their size.
enum class EditPath { Measured, Control, Pieces };
void SetEditPath(EditPath path);
