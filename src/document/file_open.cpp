// Open: a text file read whole, decoded, and put into the control.
#include "app/menu.h"
#include "base/app_state.h"
#include "base/handles.h"
#include "base/messages.h"
#include "document/document.h"
#include "document/file_dialogs.h"
#include "document/text_codec.h"
#include "editor/edit_control.h"
#include "editor/status_bar.h"
#include "editor/text_load.h"

#include <richedit.h>

#include <algorithm>
#include <tuple>
#include <utility>

namespace {

// Makes text[0, length), which `owner` keeps, the document named `path`, in a new control that
// shows its first screen now and takes the rest from the message loop; false (after the message)
// when the control could not take the first piece: then the document is as it was.
bool TakeDocument(const wchar_t* path, HeapBuffer owner, const wchar_t* text, size_t length)
{
    HWND edit = CreateDocumentControl(g_app.wordWrap, nullptr);
    if (!edit || !StartTextLoad(edit, std::move(owner), text, length, false, L"Opening...")) {
        ShowOutOfMemoryMessage();
        return false;
    }
    lstrcpynW(g_app.currentFilePath, path, kPathChars);
    g_app.saveEncoding = 0;
    UpdateStatusBar();
    UpdateTitle();
    UpdateMenuState();
    return true;
}

// Reads the whole of count bytes into data: ReadFile may return fewer than asked for, and a file
// that shrinks while it is read would otherwise open as part of itself under its full name.
bool ReadWhole(HANDLE file, unsigned char* data, size_t count)
{
    size_t done = 0;
    while (done < count) {
        const DWORD ask = count - done < 0x40000000 ? static_cast<DWORD>(count - done) : 0x40000000;
        DWORD got = 0;
        if (!ReadFile(file, data + done, ask, &got, nullptr) || got == 0) return false;
        done += got;
    }
    return true;
}

} // namespace

int OpenDocumentFile(const wchar_t* path)
{
    // The file is chosen: a text still arriving is dropped, and the document from before it is
    // what a failure keeps.
    CancelTextLoad();
    WaitCursor wait;
    // Another program may be writing the file (a running program's log): share it, and read the
    // size it has now; what is written later is not read.
    UniqueFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return 0;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return 0;
    if (static_cast<unsigned long long>(size.QuadPart) > kMaxOpenBytes) {
        ShowOutOfMemoryMessage();
        return 0;
    }
    const size_t cb = static_cast<size_t>(size.QuadPart);
    if (cb == 0) return TakeDocument(path, HeapBuffer(0), L"", 0) ? 1 : 0;

    // Four zero bytes after the data: a UTF-16 text used in place always ends in a whole 0 unit.
    HeapBuffer bytes(cb + 4);
    if (!bytes) {
        ShowOutOfMemoryMessage();
        return 0;
    }
    auto* data = bytes.as<unsigned char>();
    if (!ReadWhole(file.get(), data, cb)) return 0;
    const TextSource source = ChooseDecoding(data, cb, AnsiHasOneBytePerCharacter());
    switch (source.encoding) {
    case TextEncoding::Empty: return TakeDocument(path, HeapBuffer(0), L"", 0) ? 1 : 0;
    case TextEncoding::Utf16Le: {
        // Used in place: the units up to the first NUL, which ends the text.
        const size_t units = Utf16Units(data + source.offset, cb - source.offset);
        return TakeDocument(path, std::move(bytes), reinterpret_cast<const wchar_t*>(data + source.offset), units)
                   ? 1
                   : 0;
    }
    case TextEncoding::Utf8:
    case TextEncoding::Ansi: break;
    }
    if (source.units == 0) return 0;
    HeapBuffer decoded((source.units + 1) * sizeof(wchar_t));
    if (!decoded) {
        ShowOutOfMemoryMessage();
        return 0;
    }
    const size_t units = DecodeText(source, data, cb, decoded.as<wchar_t>(), source.units);
    if (units == 0) return 0;
    // A NUL ends the text.
    const wchar_t* text = decoded.as<const wchar_t>();
    const auto length = static_cast<size_t>(std::find(text, text + units, L'\0') - text);
    return TakeDocument(path, std::move(decoded), text, length) ? 1 : 0;
}

void OnDropFiles(HDROP drop)
{
    // Wine hands a drop to the text control even while a dialog of ours is up, since only the
    // main window is disabled: a file opened behind Save As would be saved under its new name.
    // The first file of the drop; the rest are ignored. A name too long for the document's path
    // is taken as a file that cannot be opened.
    wchar_t path[kPathChars] = {};
    const bool named = g_app.modalDepth == 0 && DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0 &&
                       DragQueryFileW(drop, 0, nullptr, 0) < static_cast<UINT>(kPathChars) &&
                       DragQueryFileW(drop, 0, path, kPathChars) > 0;
    DragFinish(drop);
    if (!named || !PromptSaveChanges()) return;
    std::ignore = OpenDocumentFile(path);
}

void DoFileOpen()
{
    if (!PromptSaveChanges()) return;
    // The dialog gets a buffer of its own: the document keeps its path unless Open succeeds.
    wchar_t chosen[kPathChars] = {};
    OPENFILENAMEW dialog = FileDialogRecord(chosen, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
    if (!ShowOpenDialog(dialog)) return;
    std::ignore = OpenDocumentFile(chosen);
}
