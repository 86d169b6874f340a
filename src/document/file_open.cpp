// Open: a text file read whole, decoded, and put into the control.
#include "app/app_state.h"
#include "app/handles.h"
#include "app/menu.h"
#include "app/messages.h"
#include "document/document.h"
#include "document/file_dialogs.h"
#include "document/text_codec.h"
#include "editor/edit_control.h"
#include "editor/status_bar.h"

#include <richedit.h>

#include <algorithm>
#include <tuple>
#include <utility>

namespace {

// Makes text[0, length) the document named `path`, in a new control; false (after the message)
// when the control could not take all of it: then the document is as it was.
bool TakeDocument(const wchar_t* path, const wchar_t* text, size_t length)
{
    HWND edit = CreateDocumentControl(g_app.wordWrap, nullptr);
    if (!edit || !TakeOverEditControl(edit, text, length, L"Opening...")) {
        ShowOutOfMemoryMessage();
        return false;
    }
    SendMessageW(edit, EM_SETMODIFY, 0, 0);
    lstrcpynW(g_app.currentFilePath, path, kPathChars);
    UpdateStatusBar();
    UpdateTitle();
    UpdateMenuState();
    return true;
}

// Decodes bytes in a code page into a fresh buffer and its length in units; false (with
// outOfMemory set when a buffer could not be had) if nothing came of it.
bool DecodeInto(HeapBuffer& decoded, size_t& units, unsigned codePage, const unsigned char* bytes, size_t count,
                bool& outOfMemory)
{
    const size_t needed = DecodeMultiByte(codePage, bytes, count, nullptr, 0);
    if (needed == 0) return false;
    HeapBuffer buffer((needed + 1) * sizeof(wchar_t));
    if (!buffer) {
        outOfMemory = true;
        return false;
    }
    const size_t got = DecodeMultiByte(codePage, bytes, count, buffer.as<wchar_t>(), needed);
    if (got == 0) return false;
    decoded = std::move(buffer);
    units = got;
    return true;
}

} // namespace

int OpenDocumentFile(const wchar_t* path)
{
    WaitCursor wait;
    UniqueFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file.valid()) return 0;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return 0;
    if (static_cast<unsigned long long>(size.QuadPart) > kMaxOpenBytes) {
        ShowOutOfMemoryMessage();
        return 0;
    }
    const size_t cb = static_cast<size_t>(size.QuadPart);
    if (cb == 0) return TakeDocument(path, L"", 0) ? 1 : 0;

    // Four zero bytes after the data: a UTF-16 text used in place always ends in a whole 0 unit.
    HeapBuffer bytes(cb + 4);
    if (!bytes) {
        ShowOutOfMemoryMessage();
        return 0;
    }
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.get(), static_cast<DWORD>(cb), &read, nullptr)) return 0;
    const auto* data = bytes.as<const unsigned char>();
    const TextSource source = ChooseDecoding(data, read);

    switch (source.encoding) {
    case TextEncoding::Empty: return TakeDocument(path, L"", 0) ? 1 : 0;
    case TextEncoding::Utf16Le:
        // Used in place: the units up to the first NUL, which ends the text.
        return TakeDocument(path, reinterpret_cast<const wchar_t*>(data + source.offset),
                            Utf16Units(data + source.offset, read - source.offset))
                   ? 1
                   : 0;
    case TextEncoding::Utf8:
    case TextEncoding::Ansi: break;
    }

    HeapBuffer decoded(0);
    size_t units = 0;
    bool outOfMemory = false;
    const unsigned char* from = data + source.offset;
    const size_t count = read - source.offset;
    const bool ok =
        (source.encoding == TextEncoding::Utf8 && DecodeInto(decoded, units, CP_UTF8, from, count, outOfMemory)) ||
        (!outOfMemory && DecodeInto(decoded, units, CP_ACP, from, count, outOfMemory));
    if (!ok) {
        if (outOfMemory) ShowOutOfMemoryMessage();
        return 0;
    }
    // A NUL ends the text.
    const wchar_t* text = decoded.as<const wchar_t>();
    return TakeDocument(path, text, std::find(text, text + units, L'\0') - text) ? 1 : 0;
}

void DoFileOpen()
{
    if (!PromptSaveChanges()) return;
    // The dialog gets a buffer of its own: the document keeps its path unless Open succeeds.
    wchar_t chosen[kPathChars] = {};
    OPENFILENAMEW dialog = FileDialogRecord(chosen, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
    if (!GetOpenFileNameW(&dialog)) return;
    std::ignore = OpenDocumentFile(chosen);
}
