#include "editor/text_stream.h"

#include "editor/control_text.h"
#include "editor/status_bar.h"
#include "editor/status_text.h"

#include <richedit.h>

#include <cstring>
#include <iterator>

namespace {

struct StreamSource {
    const wchar_t* text;
    size_t length;
    size_t pos;
    LONG positions; // character positions handed over: a CR LF pair is one
    const wchar_t* label;
    ULONGLONG started;
    ULONGLONG shown;
};

DWORD CALLBACK ReadChunk(DWORD_PTR cookie, LPBYTE buffer, LONG cb, LONG* got)
{
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    // The control's buffer need not be aligned for UTF-16 units: the chunk is made here first.
    wchar_t chunk[2048];
    size_t room = cb > 0 ? static_cast<size_t>(cb) / sizeof(wchar_t) : 0;
    if (room > std::size(chunk)) room = std::size(chunk);
    const size_t units = NextControlChunk(source->text, source->length, source->pos, chunk, room);
    std::memcpy(buffer, chunk, units * sizeof(wchar_t));
    *got = static_cast<LONG>(units * sizeof(wchar_t));
    LONG positions = static_cast<LONG>(units);
    for (size_t i = 0; i < units; ++i)
        if (chunk[i] == L'\r') --positions;
    source->positions += positions;

    const ULONGLONG now = GetTickCount64();
    if (ProgressDue(source->started, source->shown, now)) {
        wchar_t progress[512];
        BuildProgressText(source->label, source->pos, source->length, progress);
        ShowProgress(progress);
        source->shown = now;
    }
    return 0;
}

} // namespace

bool StreamTextIn(HWND edit, const wchar_t* text, size_t length, const wchar_t* label)
{
    StreamSource source = {text, length, 0, 0, label, GetTickCount64(), 0};
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&source), 0, ReadChunk};
    SendMessageW(edit, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream));
    if (stream.dwError != 0 || source.pos != length) return false;
    // A control that ran out of room (memory, its text limit) stops taking text without a word.
    GETTEXTLENGTHEX query = {GTL_DEFAULT, 1200};
    return SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0) == source.positions;
}
