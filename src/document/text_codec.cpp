#include "document/text_codec.h"

#include <windows.h>

namespace {

// The units of count valid UTF-8 bytes (none cut), or 0 when they are not valid UTF-8.
size_t ValidUtf8Units(const unsigned char* bytes, size_t count)
{
    if (count > 0x7FFFFFFF) return 0;
    const int got = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes),
                                        static_cast<int>(count), nullptr, 0);
    return got > 0 ? static_cast<size_t>(got) : 0;
}

} // namespace

size_t CutUtf8Tail(const unsigned char* bytes, size_t count)
{
    // The last byte that is not a continuation byte, within the last three.
    size_t lead = count;
    for (size_t back = 1; back <= 3 && back <= count; ++back) {
        if ((bytes[count - back] & 0xC0) != 0x80) {
            lead = count - back;
            break;
        }
    }
    if (lead == count) return 0;
    const unsigned char first = bytes[lead];
    size_t need = 0;
    unsigned char low = 0x80, high = 0xBF; // what the second byte may be
    if (first >= 0xC2 && first <= 0xDF) need = 2;
    else if (first >= 0xE0 && first <= 0xEF) need = 3;
    else if (first >= 0xF0 && first <= 0xF4) need = 4;
    if (first == 0xE0) low = 0xA0;
    if (first == 0xED) high = 0x9F;
    if (first == 0xF0) low = 0x90;
    if (first == 0xF4) high = 0x8F;
    const size_t have = count - lead;
    if (have >= need) return 0;
    if (have >= 2 && (bytes[lead + 1] < low || bytes[lead + 1] > high)) return 0;
    return have;
}

TextSource ChooseDecoding(const unsigned char* bytes, size_t count)
{
    if (count == 0) return {TextEncoding::Empty, 0, 0, 0};
    if (count == 1) return {TextEncoding::Ansi, 0, DecodeMultiByte(CP_ACP, bytes, 1, nullptr, 0), 0};
    if (bytes[0] == 0xFF && bytes[1] == 0xFE) return {TextEncoding::Utf16Le, 2, 0, 0};
    if (count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        // The mark alone is a valid, empty UTF-8 text.
        if (count == 3) return {TextEncoding::Empty, 3, 0, 0};
        return {TextEncoding::Utf8, 3, DecodeMultiByte(CP_UTF8, bytes + 3, count - 3, nullptr, 0), 0};
    }
    // A file cut off in the middle of a character is still UTF-8; its piece becomes U+FFFD.
    const size_t cut = CutUtf8Tail(bytes, count);
    const size_t body = count - cut;
    const size_t units = body ? ValidUtf8Units(bytes, body) : 0;
    if (units > 0 || body == 0) {
        return {TextEncoding::Utf8, 0, units + DecodeMultiByte(CP_UTF8, bytes + body, cut, nullptr, 0), cut};
    }
    return {TextEncoding::Ansi, 0, DecodeMultiByte(CP_ACP, bytes, count, nullptr, 0), 0};
}

size_t DecodeText(const TextSource& source, const unsigned char* bytes, size_t count, wchar_t* out, size_t room)
{
    if (source.units == 0 || source.units > room || count < source.offset + source.cut) return 0;
    const unsigned codePage = source.encoding == TextEncoding::Ansi ? CP_ACP : CP_UTF8;
    const unsigned char* from = bytes + source.offset;
    const size_t body = count - source.offset - source.cut;
    const size_t got = body ? DecodeMultiByte(codePage, from, body, out, room) : 0;
    if (body && got == 0) return 0;
    if (source.cut == 0) return got;
    const size_t tail = DecodeMultiByte(codePage, from + body, source.cut, out + got, room - got);
    return tail ? got + tail : 0;
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

bool FitsUtf8(const wchar_t* text, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        const wchar_t unit = text[i];
        if (unit < 0xD800 || unit > 0xDFFF) continue;
        if (!IS_HIGH_SURROGATE(unit) || i + 1 == length || !IS_LOW_SURROGATE(text[i + 1])) return false;
        ++i;
    }
    return true;
}

size_t NextUtf8Chunk(const wchar_t* text, size_t length, size_t& pos, char* out, size_t room)
{
    if (room > 0x7FFFFFFF) room = 0x7FFFFFFF;
    // A unit takes at most three bytes; a pair, four for two units.
    size_t units = length - pos < room / 3 ? length - pos : room / 3;
    if (units == 0) return 0;
    if (pos + units < length && IS_HIGH_SURROGATE(text[pos + units - 1])) {
        // Never split a pair: its high half waits for the next piece, or both go when one unit
        // is all there is room for.
        if (units > 1)
            --units;
        else
            ++units;
    }
    const int got = WideCharToMultiByte(CP_UTF8, 0, text + pos, static_cast<int>(units), out, static_cast<int>(room),
                                        nullptr, nullptr);
    if (got <= 0) return 0;
    pos += units;
    return static_cast<size_t>(got);
}
