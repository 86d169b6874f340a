// Whole texts into a new document control in pieces, from the message loop, so that the window
// shows the first screen at once and keeps answering while a long text arrives (Open, a dropped
// file, the word-wrap toggle). One load at a time; its state lives in text_load.cpp only.
#pragma once

#include "base/handles.h"

#include <windows.h>

#include <cstddef>

enum class LoadStep {
    Idle,   // no load is running
    More,   // a piece went in; more is to come
    Done,   // the last piece is in: the document is complete
    Failed, // the control could not take a piece: the document from before is back
};

// Starts putting text[0, length) into `edit`, a control from CreateDocumentControl; `owner` keeps
// the text alive until the load ends. The first piece (at least the first screen) goes in now and
// `edit` takes the old control's place at once; the old control is kept, hidden, until the last
// piece is in, together with the document's path, save encoding and word wrap as they are now. A
// short text goes in whole. `modified` is the modify flag the document has meanwhile and at the
// end; `label` names the progress in the status bar. A running load is cancelled first. False
// when the control could not take the first piece: then `edit` is destroyed and nothing changed.
bool StartTextLoad(HWND edit, HeapBuffer owner, const wchar_t* text, size_t length, bool modified,
                   const wchar_t* label);

bool TextLoadRunning();
// Whether the arriving text holds changes that are not on disk (a re-wrapped modified document):
// such a load is finished, never dropped, before anything asks about the document.
bool TextLoadModified();

// The next piece, sized to take about a fifth of the loop's 50 ms turn.
LoadStep StepTextLoad();
// The rest at once, with the progress in the bar: Done, Failed, or Idle when none was running.
LoadStep FinishTextLoad();
// Stops the load and brings back the document from before it, without a word.
void CancelTextLoad();
// The control the last load replaced goes at once (it waits, hidden, for a quiet moment: under
// Wine destroying a control of 2 M characters takes a tenth of a second).
void DropReplacedControl();

// Tests: the units that go in at once, the first piece at most, and the bounds of the later
// pieces; zeros put back the defaults. Small pieces make every text go in many of them.
void SetTextLoadPieces(size_t atOnce, size_t first, size_t smallest, size_t largest);
