// Every modal dialog and message box of Jotwell goes through here.
#pragma once

#include <windows.h>
#include <commdlg.h>

// Whether one of the program's modal dialogs or message boxes is up: then drops, the tray icon
// and closes from outside wait, bringing it to the front.
bool ModalDialogUp();
// Brings the program's modal dialog or message box that is up to the front.
void BringModalToFront();

// The one out-of-memory message, shared by Open, Save, Save As, Print and word wrap.
void ShowOutOfMemoryMessage();

// A message box owned by the main window; returns the button pressed.
int ShowMessageBox(const wchar_t* text, const wchar_t* caption, UINT type);
// The system's Open, Save As and Print dialogs, as GetOpenFileNameW, GetSaveFileNameW and PrintDlgW.
BOOL ShowOpenDialog(OPENFILENAMEW& dialog);
BOOL ShowSaveDialog(OPENFILENAMEW& dialog);
BOOL ShowPrintDialog(PRINTDLGW& dialog);
// A dialog of the program's own that stays up across messages (Printing) counts as modal from
// Begin to End, as the message boxes and common dialogs above do while they run.
void BeginModalDialog();
void EndModalDialog();
