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

// The length of the UTF-8 sequence `first` begins, 0 when it begins none, and the range its
// second byte must be in (no overlong forms, surrogates or code points past U+10FFFF).
size_t SequenceLength(unsigned char first, unsigned char& low, unsigned char& high)
{
    low = static_cast<unsigned char>(first == 0xE0 ? 0xA0 : first == 0xF0 ? 0x90 : 0x80);
    high = static_cast<unsigned char>(first == 0xED ? 0x9F : first == 0xF4 ? 0x8F : 0xBF);
    if (first >= 0xC2 && first <= 0xDF) return 2;
    if (first >= 0xE0 && first <= 0xEF) return 3;
    if (first >= 0xF0 && first <= 0xF4) return 4;
    return 0;
}

struct Utf8Tally {
    size_t sequences; // well-formed multi-byte sequences, and a cut end that counts as one
    size_t stray;     // bytes in no well-formed sequence
    size_t units;     // the units of the text
};

// Walks count bytes as UTF-8 in which a byte outside every well-formed sequence becomes
// strayChars[byte - 0x80]; writes the text into out (room units) when out is given. One walk
// both counts and decodes, so the length counted is the length written.
Utf8Tally WalkUtf8(const unsigned char* bytes, size_t count, const wchar_t* strayChars, wchar_t* out, size_t room)
{
    Utf8Tally tally = {0, 0, 0};
    auto put = [&](unsigned unit) {
        if (out && tally.units < room) out[tally.units] = static_cast<wchar_t>(unit);
        ++tally.units;
    };
    size_t i = 0;
    while (i < count) {
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            put(lead);
            ++i;
            continue;
        }
        unsigned char low = 0, high = 0;
        const size_t need = SequenceLength(lead, low, high);
        size_t have = 1;
        while (have < need && i + have < count) {
            const unsigned char next = bytes[i + have];
            if (have == 1 ? (next < low || next > high) : (next & 0xC0) != 0x80) break;
            ++have;
        }
        if (need > 0 && have == need) {
            unsigned code = lead & (0x7Fu >> need);
            for (size_t k = 1; k < need; ++k) code = (code << 6) | (bytes[i + k] & 0x3Fu);
            if (code >= 0x10000) {
                put(0xD800 + ((code - 0x10000) >> 10));
                put(0xDC00 + (code & 0x3FF));
            } else {
                put(code);
            }
            ++tally.sequences;
            i += need;
            continue;
        }
        // Cut off at the very end: UTF-8 evidence when it is more than a lone lead byte, or when
        // well-formed sequences came before; then one U+FFFD.
        if (need > 0 && i + have == count && (have >= 2 || tally.sequences > 0)) {
            put(0xFFFD);
            ++tally.sequences;
            break;
        }
        put(strayChars ? static_cast<unsigned>(strayChars[lead - 0x80]) : 0xFFFDu);
        ++tally.stray;
        ++i;
    }
    return tally;
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
    unsigned char low = 0, high = 0; // what the second byte may be
    const size_t need = SequenceLength(bytes[lead], low, high);
    const size_t have = count - lead;
    if (have >= need) return 0;
    if (have >= 2 && (bytes[lead + 1] < low || bytes[lead + 1] > high)) return 0;
    return have;
}

TextSource ChooseDecoding(const unsigned char* bytes, size_t count, bool oneByteAnsi)
{
    if (count == 0) return {TextEncoding::Empty, 0, 0, 0, StrayBytes::None};
    if (count == 1) return {TextEncoding::Ansi, 0, DecodeMultiByte(CP_ACP, bytes, 1, nullptr, 0), 0, StrayBytes::None};
    if (bytes[0] == 0xFF && bytes[1] == 0xFE) return {TextEncoding::Utf16Le, 2, 0, 0, StrayBytes::None};
    if (count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        // The mark alone is a valid, empty UTF-8 text.
        if (count == 3) return {TextEncoding::Empty, 3, 0, 0, StrayBytes::None};
        return {TextEncoding::Utf8, 3, DecodeMultiByte(CP_UTF8, bytes + 3, count - 3, nullptr, 0), 0,
                StrayBytes::None};
    }
    // Valid UTF-8 up to a sequence cut off at the end, which becomes U+FFFD. A lone lead byte
    // there ("caf" E9) is UTF-8 only after a multi-byte sequence: the units are then fewer than
    // the bytes.
    const size_t cut = CutUtf8Tail(bytes, count);
    const size_t body = count - cut;
    const size_t units = body ? ValidUtf8Units(bytes, body) : 0;
    if ((units > 0 || body == 0) && (cut != 1 || units < body))
        return {TextEncoding::Utf8, 0, units + (cut ? 1 : 0), cut, StrayBytes::None};
    // One stray byte must not send a UTF-8 file to the code page, nor one UTF-8 letter a
    // code-page file to UTF-8: the majority decides.
    const Utf8Tally tally = WalkUtf8(bytes, count, nullptr, nullptr, 0);
    if (tally.sequences > tally.stray)
        return {TextEncoding::Utf8, 0, tally.units, 0, oneByteAnsi ? StrayBytes::AnsiChar : StrayBytes::Replacement};
    return {TextEncoding::Ansi, 0, DecodeMultiByte(CP_ACP, bytes, count, nullptr, 0), 0, StrayBytes::None};
}

bool AnsiHasOneBytePerCharacter()
{
    CPINFO info = {};
    return GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1;
}

size_t DecodeText(const TextSource& source, const unsigned char* bytes, size_t count, wchar_t* out, size_t room)
{
    if (source.units == 0 || source.units > room || count < source.offset + source.cut) return 0;
    const unsigned char* from = bytes + source.offset;
    const size_t body = count - source.offset - source.cut;
    if (source.stray != StrayBytes::None) {
        wchar_t strayChars[128];
        for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
            const char one = static_cast<char>(byte);
            wchar_t& to = strayChars[byte - 0x80];
            if (source.stray != StrayBytes::AnsiChar || MultiByteToWideChar(CP_ACP, 0, &one, 1, &to, 1) != 1)
                to = 0xFFFD;
        }
        return WalkUtf8(from, body, strayChars, out, room).units == source.units ? source.units : 0;
    }
    const unsigned codePage = source.encoding == TextEncoding::Ansi ? CP_ACP : CP_UTF8;
    const size_t got = body ? DecodeMultiByte(codePage, from, body, out, room) : 0;
    if (body && got == 0) return 0;
    if (source.cut == 0) return got;
    if (got >= room) return 0;
    out[got] = 0xFFFD; // the sequence cut off at the end
    return got + 1;
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
