// How the bytes of a text file become the document's text, and the text the bytes of a file.
#pragma once

#include <cstddef>

enum class TextEncoding {
    Empty,   // nothing to decode: the document becomes empty
    Utf16Le, // FF FE mark: the text follows it as UTF-16LE, used in place
    Utf8,    // UTF-8: after the EF BB BF mark, or valid UTF-8 without one
    Ansi,    // anything else, and a one-byte file: the system's ANSI code page
};

struct TextSource {
    TextEncoding encoding;
    size_t offset; // bytes skipped at the start (the mark)
    size_t units;  // Utf8 and Ansi: the units the decoding gives; 0 when nothing decodes
    size_t cut;    // Utf8 without a mark: the bytes of a sequence cut off at the very end
};

// Chooses the decoding for count bytes. Without a mark, bytes that are valid UTF-8 (but for one
// sequence cut off at the end) are UTF-8 and any others the ANSI code page, which maps every
// byte of a single-byte file to a letter. The validity check is the counting pass of the
// decoding itself, so the bytes are walked once here and once more by DecodeText.
TextSource ChooseDecoding(const unsigned char* bytes, size_t count);

// Decodes the count bytes as `source` says into out (room for source.units): the number of
// units written, 0 when nothing decodes. Malformed UTF-8 after the mark, and a cut sequence,
// become U+FFFD.
size_t DecodeText(const TextSource& source, const unsigned char* bytes, size_t count, wchar_t* out, size_t room);

// The number of bytes at the end of count bytes that begin a UTF-8 sequence without finishing
// it, every byte so far allowed (E0 A0, not E0 80): 0 to 3.
size_t CutUtf8Tail(const unsigned char* bytes, size_t count);

// The number of UTF-16 units of a UTF-16LE text of count bytes, up to its first 0x0000 unit;
// an odd last byte counts as one unit (its high byte 0). Never reads past count.
size_t Utf16Units(const unsigned char* bytes, size_t count);

// Decodes count bytes (count below 2 GiB) in a code page with flags 0: the number of units, and
// when out is given, the units written into it (capacity `room`). 0 when nothing decodes.
size_t DecodeMultiByte(unsigned codePage, const unsigned char* bytes, size_t count, wchar_t* out, size_t room);

// Largest file Open reads: its size and size + 4 must fit the decoding calls' signed counts.
inline constexpr unsigned long long kMaxOpenBytes = 0x7FFFFFFFull - 4;

// The forms Save writes, in the order of the Format > Encoding items. UTF-16 LE, with its
// mark, is every new document's.
enum class SaveEncoding {
    Utf16Le,
    Utf8,
    Utf8Bom,
};

// False when the text has a surrogate without its other half: UTF-8 has no form for it.
bool FitsUtf8(const wchar_t* text, size_t length);

// Converts the next units of text[pos, length) to UTF-8 into out (room bytes, at least 4),
// advances pos and returns the number of bytes written. A surrogate pair is never split, so the
// text can be written in any number of pieces. The text must fit UTF-8 (FitsUtf8).
size_t NextUtf8Chunk(const wchar_t* text, size_t length, size_t& pos, char* out, size_t room);
