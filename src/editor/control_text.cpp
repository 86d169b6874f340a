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

size_t FirstScreenUnits(const wchar_t* text, size_t length, size_t rows, size_t most)
{
    size_t lines = 0;
    size_t pos = 0;
    while (pos < length && lines < rows && pos < most) {
        const wchar_t unit = text[pos++];
        if (unit == L'\r' || (unit == L'\n' && (pos < 2 || text[pos - 2] != L'\r'))) ++lines;
    }
    // Whole units only: the LF of a CR LF and the low half of a pair go with what came before.
    if (pos > 0 && pos < length && text[pos - 1] == L'\r' && text[pos] == L'\n') ++pos;
    if (pos > 0 && pos < length && IS_HIGH_SURROGATE(text[pos - 1]) && IS_LOW_SURROGATE(text[pos])) ++pos;
    return pos;
}

bool HasLineLongerThan(const wchar_t* text, size_t length, size_t units)
{
    size_t line = 0;
    for (size_t pos = 0; pos < length; ++pos) {
        const wchar_t unit = text[pos];
        if (unit == L'\r' || unit == L'\n') {
            line = 0;
        } else if ((line += unit == L'\t' ? 8 : 1) > units) {
            return true;
        }
    }
    return false;
}
