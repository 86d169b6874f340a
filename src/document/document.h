#pragma once

#include "editor/text_load.h"

#include <windows.h>
#include <shellapi.h>

// Sets the main window's caption from the document's path and modify flag: the arriving file's
// name while its text arrives.
void UpdateTitle();
// Asks about unsaved changes; 1 = the caller may go on, 0 = it must stop. A modified text still
// arriving is put in whole first.
int PromptSaveChanges();
// Whether PromptSaveChanges would ask.
bool WouldAskToSave();
// Puts the rest of an arriving text in now (the window paints meanwhile; input waits), then
// brings the caption, the menus and the bar up to date, for a command that needs all of it.
void FinishArrivingText();
// Brings the caption, the menus and the bar up to date once a load has ended (Done or Failed):
// a document that arrived whole takes the name and save form it was opened with; after a
// failure the document from before is back, and a message says why.
void AfterTextLoad(LoadStep step);
void DoFileNew();
void DoFileOpen();
// Files dropped on the window or the text: the first one opens as File > Open would open it.
void OnDropFiles(HDROP drop);
// 1 when the document is on disk (written now or not modified), 0 otherwise.
int DoFileSave();
int DoFileSaveAs();
// Format > Encoding: the form Save writes (a SaveEncoding: 0 UTF-16 LE, 1 UTF-8, 2 UTF-8 with
// its mark). Another one than the document's marks the document modified.
void SetSaveEncoding(int encoding);

// Reads a text file and makes it the document, in place of any text still arriving; 1 on
// success. A file that cannot be read or decoded changes nothing: silent on file errors, the
// out-of-memory message when a buffer cannot be had or the file is too big.
int OpenDocumentFile(const wchar_t* path);
// Makes text[0, length), which `owner` keeps, the document named `path` (empty: untitled), in a
// new control that shows its first screen now and takes the rest from the message loop. Until
// the text is all in, the name and the UTF-16 LE save form are the arriving document's only.
// False after the out-of-memory message when the control could not take the first piece: then
// the document is as it was.
bool LoadDocument(const wchar_t* path, HeapBuffer owner, const wchar_t* text, size_t length);
// Writes the control's text to path in the save encoding, safely: the old file stays whole
// unless the new one is complete. 1 on success; does not touch the modify flag or the caption.
int WriteDocumentFile(const wchar_t* path);
