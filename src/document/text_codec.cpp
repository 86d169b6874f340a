#include "document/text_codec.h"

#include <windows.h>

TextSource ChooseDecoding(const unsigned char* bytes, size_t count)
{
    if (count == 0) return {TextEncoding::Empty, 0};
    if (count == 1) return {TextEncoding::Ansi, 0};
    if (bytes[0] == 0xFF && bytes[1] == 0xFE) return {TextEncoding::Utf16Le, 2};
    if (count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        // The mark alone is a valid, empty UTF-8 text.
        if (count == 3) return {TextEncoding::Empty, 3};
        return {TextEncoding::Utf8, 3};
    }
    return {TextEncoding::Utf8, 0};
}

size_t Utf16Units(const unsigned char* bytes, size_t count)
{
    size_t units = 0;
    for (size_t i = 0; i + 1 < count; i += 2, ++units)
        if (bytes[i] == 0 && bytes[i + 1] == 0) return units;
    if (count % 2 == 1 && bytes[count - 1] != 0) ++units;
    return units;
}

size_t DecodeMultiByte(unsigned codePage, const unsigned char* bytes, size_t count, wchar_t* out, size_t room)
{
    if (count == 0 || count > 0x7FFFFFFF || room > 0x7FFFFFFF) return 0;
    const int got = MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(bytes), static_cast<int>(count),
                                        out, out ? static_cast<int>(room) : 0);
    return got > 0 ? static_cast<size_t>(got) : 0;
}

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
