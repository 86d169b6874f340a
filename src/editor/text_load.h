// Whole texts into a new document control in pieces, from the message loop, so that the window
// shows the first screen at once and keeps answering while a long text arrives (Open, a dropped
// file, New, the word-wrap toggle). One load at a time; its state lives in text_load.cpp only.
// It deals with controls only: the document's name and save form are its caller's to commit.
#pragma once

#include "base/handles.h"

#include <windows.h>
#include <richedit.h>

#include <cstddef>

enum class LoadStep {
    Idle,   // no load is running
    More,   // a piece went in; more is to come
    Done,   // the last piece is in: the document is complete
    Failed, // the control could not take a piece: the control from before is back
};

// Starts putting text[0, length) into `edit`, a control from CreateDocumentControl; `owner` keeps
// the text alive until the load ends. The first piece (at least the first screen) goes in now and
// `edit` takes the document control's place and id at once. The control it replaces is kept,
// hidden and without the id, until the last piece is in, so that a piece the control cannot
// take brings it back. A running load is replaced: its control goes, and the control before it
// stays the one a failure brings back. `modified` is the modify flag the document has meanwhile
// and at the end; `label` names the progress in the status bar.
// Done when the text went in whole, More while pieces are to come, Failed when `edit` could not
// take the first piece: then `edit` is destroyed and all else, a running load too, is as it was.
LoadStep StartTextLoad(HWND edit, HeapBuffer owner, const wchar_t* text, size_t length, bool modified,
                       const wchar_t* label);
// The same into a new control from CreateDocumentControl, with the wrapping of the one that shows
// the document; Failed also when no control can be had.
LoadStep StartTextLoadInNewControl(HeapBuffer owner, const wchar_t* text, size_t length, bool modified,
                                   const wchar_t* label);
// The same with the text of the document's control, which `edit` replaces (the word-wrap
// toggle): it is read from that control in pieces too, so that no turn copies all of it.
LoadStep StartTextLoadFromDocument(HWND edit, bool modified, const wchar_t* label);
// Where the selection goes, and is brought into view, once the text is all in.
void LandTextLoad(CHARRANGE selection);
// The control the running load replaces goes at the next turn instead of at the end, so that the
// two never hold a long text at once; should a piece fail, `before` (the text it held,
// one unit a position) goes in again, in a new control, with the modify flag `modified`.
void LetPreviousControlGo(HeapBuffer before, size_t length, bool modified);

bool TextLoadRunning();
// Whether the arriving text holds changes that are not on disk (a re-wrapped modified document):
// such a load is finished, never dropped, before anything asks about the document.
bool TextLoadModified();
// Whether FinishTextLoad is putting the rest in (messages sent meanwhile must not stop it).
bool TextLoadFinishing();
// 1 when the control that shows the document wraps its lines: the arriving one's while a text
// arrives, so that what replaces it keeps the choice just made.
int DocumentWordWrap();

// The next piece, sized to take about a third of the loop's 50 ms turn.
LoadStep StepTextLoad();
// The rest now, piece by piece, with the progress in the bar. Between pieces the window paints
// and answers messages sent to it; input stays in the queue, in order, until the text is whole.
// Done, Failed, or Idle when none was running.
LoadStep FinishTextLoad();
// Stops the load for a window that goes: the control from before goes at once, the arriving
// control stays the document's.
void CancelTextLoad();
// Destroys at once the controls that loads replaced. They wait, hidden, until the loop has had
// a quiet turn: under Wine destroying a control of 2 M characters takes a tenth of a second.
void DropReplacedControl();
// Called by the control's procedure after each key or mouse message: follows which end of the
// selection the user moves, so that the pieces leave a selection made upwards as it was.
void NoteLoadSelection(HWND edit);

// Tests: the units that go in at once, the first piece at most, and the bounds of the later
// pieces; zeros put back the defaults. Small pieces make every text go in many of them.
void SetTextLoadPieces(size_t atOnce, size_t first, size_t smallest, size_t largest);
