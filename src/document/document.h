#pragma once

// Sets the main window's caption from the document's path and modify flag.
void UpdateTitle();
// Asks about unsaved changes; 1 = the caller may go on, 0 = it must stop.
int PromptSaveChanges();
void DoFileNew();
void DoFileOpen();
// 1 when the document is on disk (written now or not modified), 0 otherwise.
int DoFileSave();
int DoFileSaveAs();
