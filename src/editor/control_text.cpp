#include "editor/control_text.h"

#include <windows.h>

size_t NextControlChunk(const wchar_t* text, size_t length, size_t& pos, wchar_t* out, size_t room)
{
    size_t n = 0;
    while (pos < length) {
        const wchar_t unit = text[pos];
        const bool pairNext = pos + 1 < length;
        if (unit == L'\r') {
            if (n + 2 > room) break;
            out[n++] = L'\r';
            out[n++] = L'\n';
            pos += pairNext && text[pos + 1] == L'\n' ? 2 : 1;
        } else if (IS_HIGH_SURROGATE(unit) && pairNext && IS_LOW_SURROGATE(text[pos + 1])) {
            if (n + 2 > room) break;
            out[n++] = unit;
            out[n++] = text[pos + 1];
            pos += 2;
        } else {
            if (n + 1 > room) break;
            out[n++] = unit;
            ++pos;
        }
    }
    return n;
}
