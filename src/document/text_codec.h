// How the bytes of a text file become the document's text.
#pragma once

#include <cstddef>

enum class TextEncoding {
    Empty,   // nothing to decode: the document becomes empty
    Utf16Le, // FF FE mark: the text follows it as UTF-16LE, used in place
    Utf8,    // UTF-8, with the EF BB BF mark skipped when present; ANSI if that yields nothing
    Ansi,    // a one-byte file: the system's ANSI code page
};

struct TextSource {
    TextEncoding encoding;
    size_t offset; // bytes skipped at the start (the mark)
};

// Chooses the decoding for count bytes. Reads at most the first three bytes, never past count.
TextSource ChooseDecoding(const unsigned char* bytes, size_t count);

// The number of UTF-16 units of a UTF-16LE text of count bytes, up to its first 0x0000 unit;
// an odd last byte counts as one unit (its high byte 0). Never reads past count.
size_t Utf16Units(const unsigned char* bytes, size_t count);

// Decodes count bytes (count below 2 GiB) in a code page with flags 0: the number of units, and
// when out is given, the units written into it (capacity `room`). 0 when nothing decodes.
size_t DecodeMultiByte(unsigned codePage, const unsigned char* bytes, size_t count, wchar_t* out, size_t room);

// Copies the next units of text[pos, length) into out (room units, at least 2) in the form the
// control is given them, advances pos and returns the number of units written. A CR not
// followed by LF goes in as CR LF: the control reads CR CR LF as a soft break (a space) and
// would join the two lines. The units never end between CR and LF (two breaks) or between
// the halves of a surrogate pair, so the text can be handed over in any number of pieces.
size_t NextControlChunk(const wchar_t* text, size_t length, size_t& pos, wchar_t* out, size_t room);

// Largest file Open reads: its size and size + 4 must fit the decoding calls' signed counts.
inline constexpr unsigned long long kMaxOpenBytes = 0x7FFFFFFFull - 4;
