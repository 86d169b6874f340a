// An independent reading of the text file format, written from the rules alone, and a
// generator of awkward byte files for the decoding and reading tests.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>

// The text a file's bytes must give, decided by own code: the marks, the slice, UTF-16
// in place with its odd last byte, the NUL cut, which bytes are UTF-8, valid UTF-8 and the
// 1252 table. Only ill-formed UTF-8 after the mark is converted by
// MultiByteToWideChar itself. nullopt when the file must be refused (nothing decodes);
// otherwise the text as the control gets it (cut at the first U+0000).
std::optional<std::wstring> ReferenceFileText(const std::string& bytes, std::optional<bool> oneByteAnsi = {});

// Stray bytes in UTF-8 without a mark, against its well-formed multi-byte sequences.
struct ReferenceMix {
    bool oneByteAnsi; // a stray byte is what the code page makes of it alone, else U+FFFD (default: the system's)
    size_t sequences, stray;
    bool Utf8() const { return stray == 0 || sequences > stray; }
};

// Own UTF-8 decoder. *wellFormed tells whether the bytes were valid UTF-8. For ill-formed
// bytes it puts one U+FFFD per maximal subpart (Unicode's practice); how many U+FFFD a
// platform puts there is the platform's own (Wine joins some subparts that Unicode splits),
// so the reference leaves ill-formed slices to MultiByteToWideChar. With `mix`, it counts
// instead, and puts each stray byte's character.
std::wstring ReferenceUtf8(const unsigned char* bytes, size_t count, bool* wellFormed = nullptr,
                           ReferenceMix* mix = nullptr);

// A random byte file of 0..maxLength bytes, biased towards marks, NULs, broken UTF-8
// and broken UTF-16.
std::string RandomTextFile(std::mt19937_64& rng, size_t maxLength = 4096);

// The seed from the environment variable, or the fixed one.
uint64_t SeedFromEnvironment(const char* name, uint64_t fixed);

// Bytes copied so that their last byte sits right before a PAGE_NOACCESS page:
// any read past the data faults at once.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::string& bytes);
    ~GuardedBytes();
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    const unsigned char* data() const { return data_; }
    size_t size() const { return size_; }
    bool ok() const { return base_ != nullptr; }

private:
    void* base_ = nullptr;
    const unsigned char* data_ = nullptr;
    size_t size_ = 0;
};
