#include "document/file_dialogs.h"

#include "base/app_state.h"

const wchar_t kTextFileFilter[] = L"Text Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";

OPENFILENAMEW FileDialogRecord(wchar_t* path, DWORD flags)
{
    OPENFILENAMEW record = {};
    record.lStructSize = sizeof(record);
    record.hwndOwner = g_app.hwndMain;
    record.hInstance = g_app.hInstance;
    record.lpstrFilter = kTextFileFilter;
    record.nFilterIndex = 1;
    record.lpstrFile = path;
    record.nMaxFile = kPathChars;
    record.Flags = flags;
    record.lpstrDefExt = L"txt";
    return record;
}
