#pragma once

#include <windows.h>
#include <commdlg.h>

// "Text Files (*.txt)", "*.txt", "All Files (*.*)", "*.*": shared by Open and Save As.
extern const wchar_t kTextFileFilter[];

// The dialog record both file dialogs start from, with their own buffer and flags.
OPENFILENAMEW FileDialogRecord(wchar_t* path, DWORD flags);
