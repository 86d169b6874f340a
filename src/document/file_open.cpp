// Open: a text file read whole, decoded, and put into the control.
#include "app/app_state.h"
#include "app/handles.h"
#include "app/menu.h"
#include "app/messages.h"
#include "document/document.h"
#include "document/file_dialogs.h"
#include "document/text_codec.h"

#include <richedit.h>

#include <tuple>
#include <utility>

namespace {

// Makes `text` the document named `path`.
void TakeDocument(const wchar_t* path, const wchar_t* text)
{
    SendMessageW(g_app.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    // Wine's control records WM_SETTEXT as an undo step; undoing it would empty the document.
    SendMessageW(g_app.hwndEdit, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageW(g_app.hwndEdit, EM_SETMODIFY, 0, 0);
    lstrcpynW(g_app.currentFilePath, path, kPathChars);
    UpdateTitle();
    UpdateMenuState();
}

// Decodes bytes in a code page into a fresh buffer; false (after the message, when memory
// ran out) if nothing came of it.
bool DecodeInto(HeapBuffer& decoded, unsigned codePage, const unsigned char* bytes, size_t count, bool& outOfMemory)
{
    const size_t units = DecodeMultiByte(codePage, bytes, count, nullptr, 0);
    if (units == 0) return false;
    HeapBuffer buffer((units + 1) * sizeof(wchar_t));
    if (!buffer) {
        outOfMemory = true;
        return false;
    }
    if (DecodeMultiByte(codePage, bytes, count, buffer.as<wchar_t>(), units) == 0) return false;
    decoded = std::move(buffer);
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
    if (cb == 0) {
        TakeDocument(path, L"");
        return 1;
    }

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
    case TextEncoding::Empty: TakeDocument(path, L""); return 1;
    case TextEncoding::Utf16Le:
        TakeDocument(path, reinterpret_cast<const wchar_t*>(data + source.offset));
        return 1;
    case TextEncoding::Utf8:
    case TextEncoding::Ansi: break;
    }

    HeapBuffer decoded(0);
    bool outOfMemory = false;
    const unsigned char* from = data + source.offset;
    const size_t count = read - source.offset;
    const bool ok = (source.encoding == TextEncoding::Utf8 && DecodeInto(decoded, CP_UTF8, from, count, outOfMemory)) ||
                    (!outOfMemory && DecodeInto(decoded, CP_ACP, from, count, outOfMemory));
    if (!ok) {
        if (outOfMemory) ShowOutOfMemoryMessage();
        return 0;
    }
    TakeDocument(path, decoded.as<const wchar_t>());
    return 1;
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
