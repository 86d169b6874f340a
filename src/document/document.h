#pragma once

#include "editor/text_load.h"

#include <windows.h>
#include <shellapi.h>

// Sets the main window's caption from the document's path and modify flag.
void UpdateTitle();
// Asks about unsaved changes; 1 = the caller may go on, 0 = it must stop. A modified text still
// arriving is put in whole first.
int PromptSaveChanges();
// Whether PromptSaveChanges would ask.
bool WouldAskToSave();
// Brings the caption, the menus and the bar up to date once a load has ended (Done or Failed),
// and after a failure says why.
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

// Reads a text file into the control and makes it the document; 1 on success. Silent on
// file errors; the out-of-memory message when a buffer cannot be had or the file is too big.
int OpenDocumentFile(const wchar_t* path);
// Writes the control's text to path in the save encoding, safely: the old file stays whole
// unless the new one is complete. 1 on success; does not touch the modify flag or the caption.
int WriteDocumentFile(const wchar_t* path);
