#include "support/text_reference.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

bool IsContinuation(unsigned char b, unsigned char low = 0x80, unsigned char high = 0xBF)
{
    return b >= low && b <= high;
}

void AppendCodePoint(std::wstring& out, uint32_t cp)
{
    if (cp < 0x10000) {
        out += static_cast<wchar_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (cp >> 10));
        out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    }
}

// Windows-1252 for 0x80..0x9F; the five unassigned bytes map to the C1 controls of
// the same value, as the platform's table does.
constexpr wchar_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// An ill-formed piece of UTF-8: one U+FFFD, or with `mix` each byte read alone as a one-byte
// file; but there a piece cut off by the end of the file is UTF-8, one U+FFFD, when it is more
// than a lead byte or follows a well-formed sequence.
void AppendIllFormed(std::wstring& out, const unsigned char* piece, size_t length, bool atEnd, ReferenceMix* mix)
{
    if (!mix || (atEnd && (length > 1 || mix->sequences > 0))) {
        out += L'\xFFFD';
        if (mix) ++mix->sequences;
        return;
    }
    for (size_t k = 0; k < length; ++k, ++mix->stray)
        out += mix->oneByteAnsi ? ReferenceFileText(std::string(piece + k, piece + k + 1)).value_or(L"?") : L"\xFFFD";
}

std::wstring CutAtNul(std::wstring text)
{
    const size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos) text.resize(nul);
    return text;
}

} // namespace

std::wstring ReferenceUtf8(const unsigned char* b, size_t n, bool* wellFormed, ReferenceMix* mix)
{
    if (wellFormed) *wellFormed = true;
    std::wstring out;
    size_t i = 0;
    while (i < n) {
        const unsigned char lead = b[i];
        if (lead < 0x80) {
            out += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        size_t need = 0;
        unsigned char low = 0x80, high = 0xBF;   // allowed range of the second byte
        uint32_t cp = 0;
        if (lead >= 0xC2 && lead <= 0xDF) { need = 1; cp = lead & 0x1Fu; }
        else if (lead == 0xE0) { need = 2; low = 0xA0; cp = lead & 0x0Fu; }
        else if (lead >= 0xE1 && lead <= 0xEC) { need = 2; cp = lead & 0x0Fu; }
        else if (lead == 0xED) { need = 2; high = 0x9F; cp = lead & 0x0Fu; }
        else if (lead >= 0xEE && lead <= 0xEF) { need = 2; cp = lead & 0x0Fu; }
        else if (lead == 0xF0) { need = 3; low = 0x90; cp = lead & 0x07u; }
        else if (lead >= 0xF1 && lead <= 0xF3) { need = 3; cp = lead & 0x07u; }
        else if (lead == 0xF4) { need = 3; high = 0x8F; cp = lead & 0x07u; }
        else {
            // A stray continuation byte, C0, C1 or F5..FF: never part of anything.
            if (wellFormed) *wellFormed = false;
            AppendIllFormed(out, b + i, 1, false, mix);
            ++i;
            continue;
        }
        size_t j = 1;
        bool complete = true;
        for (; j <= need; ++j) {
            if (i + j >= n) { complete = false; break; }
            const unsigned char c = b[i + j];
            const bool fits = (j == 1) ? IsContinuation(c, low, high) : IsContinuation(c);
            if (!fits) { complete = false; break; }
            cp = (cp << 6) | (c & 0x3Fu);
        }
        if (complete) {
            AppendCodePoint(out, cp);
            if (mix) ++mix->sequences;
            i += need + 1;
        } else {
            // The maximal subpart read so far is one replacement; the offending byte starts anew.
            if (wellFormed) *wellFormed = false;
            AppendIllFormed(out, b + i, j, i + j >= n, mix);
            i += j;
        }
    }
    return out;
}

std::optional<std::wstring> ReferenceFileText(const std::string& bytes, std::optional<bool> oneByteAnsi)
{
    CPINFO info = {};
    ReferenceMix mix = {oneByteAnsi.value_or(GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1), 0, 0};
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    if (n == 0) return std::wstring();
    // Not UTF-8, or a single byte: the ANSI code page, whose table is known here for 1252.
    auto ansi = [&]() -> std::optional<std::wstring> {
        if (GetACP() == 1252) {
            std::wstring text;
            for (unsigned char c : bytes)
                text += (c >= 0x80 && c <= 0x9F) ? kCp1252High[c - 0x80] : static_cast<wchar_t>(c);
            return CutAtNul(text);
        }
        const int count = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(n), nullptr, 0);
        if (count <= 0) return std::nullopt;
        std::wstring text(static_cast<size_t>(count), L'\0');
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(n), text.data(), count);
        return CutAtNul(text);
    };
    if (n == 1) return ansi();
    if (b[0] == 0xFF && b[1] == 0xFE) {
        std::wstring text;
        for (size_t i = 2; i < n; i += 2) {
            const wchar_t unit = static_cast<wchar_t>(b[i] | (i + 1 < n ? b[i + 1] << 8 : 0));
            if (unit == 0) break;
            text += unit;
        }
        return text;
    }
    const size_t skip = (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) ? 3 : 0;
    // The bare mark is a valid, empty UTF-8 text.
    if (n == skip) return std::wstring();
    bool wellFormed = true;
    std::wstring text = ReferenceUtf8(b + skip, n - skip, &wellFormed, skip ? nullptr : &mix);
    if (skip == 0) return mix.Utf8() ? CutAtNul(text) : ansi();
    if (!wellFormed) {
        const char* slice = bytes.data() + skip;
        const int length = static_cast<int>(n - skip);
        const int count = MultiByteToWideChar(CP_UTF8, 0, slice, length, nullptr, 0);
        if (count <= 0) return std::nullopt;
        text.assign(static_cast<size_t>(count), L'\0');
        if (MultiByteToWideChar(CP_UTF8, 0, slice, length, text.data(), count) != count) return std::nullopt;
    }
    return CutAtNul(text);
}

namespace {

void AppendRandomPiece(std::mt19937_64& rng, std::string& out)
{
    auto pick = [&](uint32_t count) { return static_cast<uint32_t>(rng() % count); };
    auto byte = [&]() { return static_cast<char>(rng() & 0xFF); };
    auto cont = [&]() { return static_cast<char>(0x80 | pick(0x40)); };
    switch (pick(16)) {
    case 0: case 1: {   // plain ASCII, with line breaks and tabs
        static const char kAscii[] = "abc XYZ 019 .,;\t\r\n";
        for (uint32_t k = 1 + pick(12); k > 0; --k) out += kAscii[pick(sizeof(kAscii) - 1)];
        break;
    }
    case 2: out += '\0'; break;
    case 3: {   // a well-formed 2, 3 or 4 byte sequence
        const uint32_t len = 2 + pick(3);
        if (len == 2) { out += static_cast<char>(0xC2 + pick(30)); out += cont(); }
        else if (len == 3) { out += static_cast<char>(0xE1 + pick(11)); out += cont(); out += cont(); }
        else { out += static_cast<char>(0xF1 + pick(3)); out += cont(); out += cont(); out += cont(); }
        break;
    }
    case 4: {   // truncated: a lead byte with too few continuations
        static const unsigned char kLeads[] = {0xC3, 0xE2, 0xE0, 0xED, 0xF0, 0xF4, 0xF1};
        out += static_cast<char>(kLeads[pick(sizeof(kLeads))]);
        for (uint32_t k = pick(3); k > 0; --k) out += cont();
        break;
    }
    case 5: {   // overlong forms
        static const char* const kOverlong[] = {"\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF",
                                                "\xF0\x80\x80\x80", "\xF0\x8F\xBF\xBF", "\xC0\xAF"};
        out += kOverlong[pick(7)];
        break;
    }
    case 6: {   // surrogates written in UTF-8, and past U+10FFFF
        static const char* const kBad[] = {"\xED\xA0\x80", "\xED\xBF\xBF", "\xED\xB0\x80", "\xF4\x90\x80\x80",
                                           "\xF5\x80\x80\x80", "\xF8\x88\x80\x80\x80", "\xFF", "\xFE"};
        out += kBad[pick(8)];
        break;
    }
    case 7: out += cont(); break;   // a stray continuation byte
    case 8: {   // UTF-16LE units, lone surrogates among them
        for (uint32_t k = 1 + pick(6); k > 0; --k) {
            uint32_t unit;
            switch (pick(5)) {
            case 0: unit = 0xD800 + pick(0x400); break;
            case 1: unit = 0xDC00 + pick(0x400); break;
            case 2: unit = 0x20 + pick(0x5F); break;
            case 3: unit = 0x0100 + pick(0xD000); break;
            default: unit = static_cast<uint32_t>(rng() & 0xFFFF); break;
            }
            out += static_cast<char>(unit & 0xFF);
            out += static_cast<char>(unit >> 8);
        }
        break;
    }
    case 9: out += "\xEF\xBB\xBF"; break;   // a mark in the middle
    case 10: out += "\xFF\xFE"; break;
    case 11: out += "\r\n"; break;
    default:
        for (uint32_t k = 1 + pick(8); k > 0; --k) out += byte();
        break;
    }
}

} // namespace

std::string RandomTextFile(std::mt19937_64& rng, size_t maxLength)
{
    auto pick = [&](uint32_t count) { return static_cast<uint32_t>(rng() % count); };
    std::string out;
    switch (pick(8)) {
    case 0: case 1: out = "\xFF\xFE"; break;
    case 2: case 3: out = "\xEF\xBB\xBF"; break;
    case 4: out = (pick(2) ? "\xFE\xFF" : "\xEF\xBB"); break;
    default: break;
    }
    // Mostly short files, where the edges are; now and then one up to the limit.
    size_t target;
    switch (pick(4)) {
    case 0: target = pick(8); break;
    case 1: target = pick(64); break;
    case 2: target = pick(512); break;
    default: target = pick(static_cast<uint32_t>(maxLength) + 1); break;
    }
    if (target > maxLength) target = maxLength;
    const bool wordsOfSixteen = pick(3) == 0 && out == "\xFF\xFE";
    while (out.size() < target) {
        if (wordsOfSixteen && pick(4) != 0) {
            // Keep UTF-16 bodies mostly nonzero so that their length is exercised.
            const uint32_t unit = pick(3) == 0 ? 0xD800 + pick(0x800) : 0x20 + pick(0xFFDF);
            out += static_cast<char>(unit & 0xFF);
            out += static_cast<char>(unit >> 8);
        } else {
            AppendRandomPiece(rng, out);
        }
    }
    if (out.size() > target) out.resize(target);
    // Odd byte counts after a UTF-16 mark are part of the point.
    if (pick(4) == 0 && !out.empty() && out.size() % 2 == 0) out.pop_back();
    return out;
}

uint64_t SeedFromEnvironment(const char* name, uint64_t fixed)
{
    char value[64] = {};
    const DWORD got = GetEnvironmentVariableA(name, value, static_cast<DWORD>(std::size(value)));
    if (got == 0 || got >= std::size(value)) return fixed;
    return std::strtoull(value, nullptr, 0);
}

GuardedBytes::GuardedBytes(const std::string& bytes) : size_(bytes.size())
{
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    const size_t page = info.dwPageSize;
    const size_t dataPages = (size_ + page - 1) / page + 1;
    const size_t total = (dataPages + 1) * page;
    base_ = VirtualAlloc(nullptr, total, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!base_) return;
    auto* guard = static_cast<unsigned char*>(base_) + dataPages * page;
    DWORD old = 0;
    if (!VirtualProtect(guard, page, PAGE_NOACCESS, &old)) {
        VirtualFree(base_, 0, MEM_RELEASE);
        base_ = nullptr;
        return;
    }
    auto* start = guard - size_;
    if (size_) std::memcpy(start, bytes.data(), size_);
    data_ = start;
}

GuardedBytes::~GuardedBytes()
{
    if (base_) VirtualFree(base_, 0, MEM_RELEASE);
}
