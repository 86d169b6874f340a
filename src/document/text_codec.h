// How the bytes of a text file become the document's text, and the text the bytes of a file.
#pragma once

#include <cstddef>

enum class TextEncoding {
    Empty,   // nothing to decode: the document becomes empty
    Utf16Le, // FF FE mark: the text follows it as UTF-16LE, used in place
    Utf8,    // UTF-8: after the EF BB BF mark, or without one when well-formed sequences outnumber stray bytes
    Ansi,    // anything else, and a one-byte file: the system's ANSI code page
};

// What UTF-8 without a mark makes of a byte outside every well-formed sequence.
enum class StrayBytes {
    None,        // there are none: the platform decodes the bytes
    AnsiChar,    // the character the ANSI code page gives that one byte
    Replacement, // U+FFFD, where the code page has characters of more than one byte
};

struct TextSource {
    TextEncoding encoding;
    size_t offset;    // bytes skipped at the start (the mark)
    size_t units;     // Utf8 and Ansi: the units the decoding gives; 0 when nothing decodes
    size_t cut;       // Utf8 with no stray bytes: the bytes of a sequence cut off at the very end
    StrayBytes stray; // Utf8 without a mark: what its stray bytes become
};

// Chooses the decoding for count bytes. Without a mark, valid UTF-8 is UTF-8 after one
// validating pass (the counting pass of the decoding itself). Any other file gets one more
// pass, which counts its well-formed multi-byte sequences against its stray bytes: UTF-8 if
// the sequences are more, else the whole file in the ANSI code page. A sequence cut off at the
// very end counts as a sequence if it has two bytes or follows one, else as a stray byte.
// oneByteAnsi: the ANSI code page has one byte per character (AnsiHasOneBytePerCharacter).
TextSource ChooseDecoding(const unsigned char* bytes, size_t count, bool oneByteAnsi);

// Whether the system's ANSI code page maps each byte to one character (1252 and its kin).
bool AnsiHasOneBytePerCharacter();

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
