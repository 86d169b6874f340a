// Open: a text file read whole, decoded, and put into the control.
#include "base/app_state.h"
#include "base/handles.h"
#include "base/messages.h"
#include "document/document.h"
#include "document/file_dialogs.h"
#include "document/text_codec.h"

#include <richedit.h>

#include <algorithm>
#include <tuple>
#include <utility>

namespace {

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
    // Read and decoded first: a file that cannot be leaves the document, and a text still
    // arriving, as they are. One that can replaces them.
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
    if (cb == 0) return LoadDocument(path, HeapBuffer(0), L"", 0) ? 1 : 0;

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
    case TextEncoding::Empty: return LoadDocument(path, HeapBuffer(0), L"", 0) ? 1 : 0;
    case TextEncoding::Utf16Le: {
        // Used in place: the units up to the first NUL, which ends the text.
        const size_t units = Utf16Units(data + source.offset, cb - source.offset);
        return LoadDocument(path, std::move(bytes), reinterpret_cast<const wchar_t*>(data + source.offset), units)
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
    return LoadDocument(path, std::move(decoded), text, length) ? 1 : 0;
}

void OnDropFiles(HDROP drop)
{
    // Wine hands a drop to the text control even while a dialog of ours is up, since only the
    // main window is disabled: a file opened behind Save As would be saved under its new name.
    // The first file of the drop; the rest are ignored. A name too long for the document's path
    // is taken as a file that cannot be opened.
    wchar_t path[kPathChars] = {};
    const bool named = !ModalDialogUp() && DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0 &&
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
