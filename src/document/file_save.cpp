// Save and Save As: the text as UTF-16LE after an FF FE mark, written so that a failure
// never destroys what was on disk.
#include "app/app_state.h"
#include "app/handles.h"
#include "app/menu.h"
#include "app/messages.h"
#include "document/document.h"
#include "document/file_dialogs.h"
#include "document/save_path.h"
#include "editor/edit_control.h"

#include <richedit.h>

#include <algorithm>
#include <string>

namespace {

// The control's text length in units, as WM_GETTEXTLENGTH reports it.
size_t TextUnits()
{
    const LRESULT n = SendMessageW(g_app.hwndEdit, WM_GETTEXTLENGTH, 0, 0);
    return static_cast<size_t>(n < 0 ? 0 : n);
}

// Fills `text` (room for units + 2) with the mark and the control's text; returns the number
// of bytes to write: only what the control delivered, never a tail of zeros.
size_t FillFileBytes(wchar_t* text, size_t units)
{
    text[0] = 0xFEFF;
    const LRESULT got =
        SendMessageW(g_app.hwndEdit, WM_GETTEXT, static_cast<WPARAM>(units + 1), reinterpret_cast<LPARAM>(text + 1));
    const size_t delivered = got < 0 ? 0 : std::min(static_cast<size_t>(got), units);
    return (delivered + 1) * sizeof(wchar_t);
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Puts the complete file temp in the place of the existing destination. Afterwards the
// destination holds the old bytes or the new ones, and neither temp nor the backup is left,
// unless the file system refuses every step: then temp stays, the only copy of the new text.
bool ReplaceExisting(const std::wstring& destination, const std::wstring& temp, DWORD attributes)
{
    // A backup name of our own (the temporary name ending in .bak): no failure can leave the
    // old file under a name we do not know.
    const std::wstring backup = temp.substr(0, temp.size() - 4) + L".bak";
    // ReplaceFileW keeps the old file's attributes and security.
    if (ReplaceFileW(destination.c_str(), temp.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                     nullptr)) {
        DeleteFileW(backup.c_str());
        return true;
    }
    // Its error codes do not all say where the files are; the disk does.
    if (Exists(destination)) {
        DeleteFileW(temp.c_str());
        DeleteFileW(backup.c_str());
        return false;
    }
    // The old file has moved away: finish the save by hand.
    if (MoveFileExW(temp.c_str(), destination.c_str(), MOVEFILE_WRITE_THROUGH)) {
        // As ReplaceFileW would have kept them; failing costs only the attributes.
        SetFileAttributesW(destination.c_str(), attributes);
        DeleteFileW(backup.c_str());
        return true;
    }
    if (MoveFileExW(backup.c_str(), destination.c_str(), MOVEFILE_WRITE_THROUGH)) DeleteFileW(temp.c_str());
    return false;
}

// Writes cb bytes to path through a new file in the same folder that takes the old one's place.
// On any failure the target holds the old bytes (see ReplaceExisting for the one exception).
bool WriteFileSafely(const wchar_t* path, const void* data, size_t cb)
{
    const std::wstring target = path;
    const size_t slash = target.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return false;
    const DWORD attributes = GetFileAttributesW(LongPath(target).c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) return false;
    if (exists) {
        // A file another program holds open without letting others write must stay as it is;
        // Wine's ReplaceFileW would replace it anyway.
        UniqueFile probe(CreateFileW(LongPath(target).c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe.valid()) return false;
    }

    // A fresh name in the target's folder, so that the final step is a rename on one volume.
    std::wstring temp;
    UniqueFile file;
    for (DWORD attempt = 0; attempt < 16 && !file.valid(); ++attempt) {
        wchar_t unique[40];
        wsprintfW(unique, L"~jotwell-%08lx-%04lx-%lu.tmp", GetTickCount(), GetCurrentProcessId() & 0xFFFF, attempt);
        temp = LongPath(target.substr(0, slash + 1) + unique);
        file.reset(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid() && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (!file.valid()) return false;
    DWORD written = 0;
    const bool complete = cb <= 0xFFFFFFFFu && WriteFile(file.get(), data, static_cast<DWORD>(cb), &written, nullptr) &&
                          written == cb && FlushFileBuffers(file.get());
    file.reset();
    if (!complete) {
        DeleteFileW(temp.c_str());
        return false;
    }
    const std::wstring destination = LongPath(target);
    if (exists) return ReplaceExisting(destination, temp, attributes);
    if (MoveFileExW(temp.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(temp.c_str());
    return false;
}

void MarkSaved()
{
    SendMessageW(g_app.hwndEdit, EM_SETMODIFY, 0, 0);
    UpdateTitle();
    UpdateMenuState();
}

} // namespace

int WriteDocumentFile(const wchar_t* path)
{
    WaitCursor wait;
    // The run's text buffer: nothing can refill it before the write, since no message is
    // handled in between.
    const size_t units = TextUnits();
    wchar_t* text = TextCopyBuffer(units + 2);
    if (!text) {
        ShowOutOfMemoryMessage();
        return 0;
    }
    const size_t cb = FillFileBytes(text, units);
    return WriteFileSafely(path, text, cb) ? 1 : 0;
}

int DoFileSave()
{
    if (!SendMessageW(g_app.hwndEdit, EM_GETMODIFY, 0, 0)) return 1;
    if (!g_app.currentFilePath[0]) return DoFileSaveAs();
    if (!WriteDocumentFile(g_app.currentFilePath)) return 0;
    MarkSaved();
    return 1;
}

int DoFileSaveAs()
{
    // The text is taken before the dialog opens, into a buffer of its own: the dialog's
    // message loop may refresh the status bar, which reuses the run's text buffer.
    const size_t units = TextUnits();
    HeapBuffer bytes((units + 2) * sizeof(wchar_t));
    if (!bytes) {
        ShowOutOfMemoryMessage();
        return 0;
    }
    const size_t cb = FillFileBytes(bytes.as<wchar_t>(), units);
    OPENFILENAMEW dialog =
        FileDialogRecord(g_app.saveFilePath, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST);
    if (!GetSaveFileNameW(&dialog)) return 0;
    {
        WaitCursor wait;
        if (!WriteFileSafely(g_app.saveFilePath, bytes.get(), cb)) return 0;
    }
    lstrcpyW(g_app.currentFilePath, g_app.saveFilePath);
    MarkSaved();
    return 1;
}
