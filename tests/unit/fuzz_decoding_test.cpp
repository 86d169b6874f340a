// Randomised byte files through the real decoding, checked against an independent reading
// of the format, with every file's last byte right before a PAGE_NOACCESS page.
// JOTWELL_FUZZ_SEED replays another seed; JOTWELL_FUZZ_CASES changes the count.
#include "document/text_codec.h"
#include "support/text_reference.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kFixedSeed = 0x4A6F7477656C6C31ull;
constexpr int kCiCases = 20000;

// What Open makes of the bytes, put together from the program's own decoding steps as Open
// uses them. The UTF-16 text is measured by Utf16Units on the guarded bytes; Open itself hands
// it to the control in place, relying on the four zero bytes its buffer adds.
std::optional<std::wstring> DecodeLikeOpen(const GuardedBytes& file)
{
    const unsigned char* data = file.data();
    const size_t n = file.size();
    const TextSource source = ChooseDecoding(data, n, AnsiHasOneBytePerCharacter());
    switch (source.encoding) {
    case TextEncoding::Empty: return std::wstring();
    case TextEncoding::Utf16Le: {
        const size_t units = Utf16Units(data + source.offset, n - source.offset);
        std::wstring text;
        for (size_t i = 0; i < units; ++i) {
            const size_t at = source.offset + 2 * i;
            text += static_cast<wchar_t>(data[at] | (at + 1 < n ? data[at + 1] << 8 : 0));
        }
        return text;
    }
    case TextEncoding::Utf8:
    case TextEncoding::Ansi: break;
    }
    if (source.units == 0) return std::nullopt;
    std::vector<wchar_t> out(source.units + 1, L'\0');
    if (DecodeText(source, data, n, out.data(), source.units) != source.units) return std::nullopt;
    return std::wstring(out.data());   // the control gets it up to the first NUL
}

std::wstring PlatformDecode(const std::string& bytes, UINT codePage = CP_UTF8)
{
    if (bytes.empty()) return {};
    const int count = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(count), L'\0');
    if (count > 0)
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), count);
    return out;
}

std::string Hex(const std::string& bytes, size_t limit = 64)
{
    std::string out;
    char piece[4];
    for (size_t i = 0; i < bytes.size() && i < limit; ++i) {
        std::snprintf(piece, sizeof(piece), "%02X ", static_cast<unsigned char>(bytes[i]));
        out += piece;
    }
    if (bytes.size() > limit) out += "...";
    return out;
}

} // namespace

TEST(FuzzDecoding, RandomFilesDecodeAsTheRulesSay)
{
    const uint64_t seed = SeedFromEnvironment("JOTWELL_FUZZ_SEED", kFixedSeed);
    char value[16] = {};
    const int cases = GetEnvironmentVariableA("JOTWELL_FUZZ_CASES", value, 16) ? std::atoi(value) : kCiCases;
    std::printf("decoding fuzz seed %llu, %d files\n", static_cast<unsigned long long>(seed), cases);
    std::fflush(stdout);
    std::mt19937_64 rng(seed);
    int kinds[4] = {}, refused = 0, odd = 0;
    size_t bytesTried = 0;
    for (int i = 0; i < cases; ++i) {
        const std::string bytes = RandomTextFile(rng, 4096);
        const GuardedBytes file(bytes);
        ASSERT_TRUE(file.ok());
        const auto got = DecodeLikeOpen(file);
        const auto expected = ReferenceFileText(bytes);
        ASSERT_EQ(got.has_value(), expected.has_value()) << "case " << i << ": " << Hex(bytes);
        if (got) {
            ASSERT_EQ(*got, *expected) << "case " << i << ": " << Hex(bytes);
        }
        ++kinds[static_cast<int>(ChooseDecoding(file.data(), file.size(), AnsiHasOneBytePerCharacter()).encoding)];
        refused += got ? 0 : 1;
        odd += bytes.size() % 2;
        bytesTried += bytes.size();
    }
    std::printf("decoding fuzz: %d files, %zu bytes: %d empty, %d UTF-16LE, %d UTF-8, %d ANSI; %d refused, %d odd\n",
                cases, bytesTried, kinds[0], kinds[1], kinds[2], kinds[3], refused, odd);
}

// The own UTF-8 decoder must agree with the platform wherever the bytes are valid UTF-8
// (replacement counts for ill-formed bytes are the platform's, see text_reference.h). Then the
// same bytes, now and then with stray bytes let in (often at the end, where one looks like a
// cut character), their last bytes cut off or a mark in front, with a code page of one or more
// bytes a character: the encoding Open chooses and its text must be the own reading's.
TEST(FuzzDecoding, OwnUtf8DecoderAgreesWithThePlatformOnValidText)
{
    const uint64_t seed = SeedFromEnvironment("JOTWELL_FUZZ_SEED", kFixedSeed);
    std::printf("seed %llu\n", static_cast<unsigned long long>(seed));
    std::mt19937_64 rng(seed);
    static const char* const kInvalid[] = {"\x80", "\xBF", "\xC0\x80", "\xC1", "\xE0\x80\x80", "\xED\xA0\x80",
                                           "\xF4\x90\x80\x80", "\xF5", "\xFF", "\xE9 ", "\xE0\x80", "\xED\xA0",
                                           "\xF0\x8F", "\xF4\x90"};
    int kinds[4] = {};
    for (int i = 0; i < 5000; ++i) {
        std::string bytes;
        for (int k = static_cast<int>(rng() % 40); k > 0; --k) {
            uint32_t cp;
            switch (rng() % 4) {
            case 0: cp = static_cast<uint32_t>(1 + rng() % 0x7F); break;
            case 1: cp = static_cast<uint32_t>(0x80 + rng() % 0x780); break;
            case 2: cp = static_cast<uint32_t>(0x800 + rng() % 0xF800); break;
            default: cp = static_cast<uint32_t>(0x10000 + rng() % 0x100000); break;
            }
            if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xE000;
            if (cp < 0x80) {
                bytes += static_cast<char>(cp);
            } else if (cp < 0x800) {
                bytes += static_cast<char>(0xC0 | (cp >> 6));
                bytes += static_cast<char>(0x80 | (cp & 0x3F));
            } else if (cp < 0x10000) {
                bytes += static_cast<char>(0xE0 | (cp >> 12));
                bytes += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                bytes += static_cast<char>(0x80 | (cp & 0x3F));
            } else {
                bytes += static_cast<char>(0xF0 | (cp >> 18));
                bytes += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
                bytes += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                bytes += static_cast<char>(0x80 | (cp & 0x3F));
            }
        }
        bool wellFormed = false;
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
        const std::wstring mine = ReferenceUtf8(b, bytes.size(), &wellFormed);
        ASSERT_TRUE(wellFormed) << "case " << i << ": " << Hex(bytes);
        ASSERT_EQ(mine, PlatformDecode(bytes)) << "case " << i << ": " << Hex(bytes);

        for (int k = rng() % 3 == 0 ? 1 + static_cast<int>(rng() % 8) : 0; k > 0; --k)
            bytes.insert(rng() % 2 ? bytes.size() : rng() % (bytes.size() + 1), kInvalid[rng() % std::size(kInvalid)]);
        if (rng() % 3 == 0) bytes.resize(bytes.size() - std::min<size_t>(bytes.size(), 1 + rng() % 3));
        const bool marked = rng() % 4 == 0, oneByte = i % 2 == 0;
        if (marked) bytes.insert(0, "\xEF\xBB\xBF");
        const auto* file = reinterpret_cast<const unsigned char*>(bytes.data());
        const size_t n = bytes.size();
        ReferenceMix mix = {oneByte, 0, 0};
        ReferenceUtf8(file, n, nullptr, &mix);
        TextEncoding expected = TextEncoding::Ansi;
        if (n == 0 || (marked && n == 3)) expected = TextEncoding::Empty;
        else if (marked || (n > 1 && mix.Utf8())) expected = TextEncoding::Utf8;
        const TextSource source = ChooseDecoding(file, n, oneByte);
        ASSERT_EQ(source.encoding, expected) << "case " << i << ": " << Hex(bytes);
        ++kinds[static_cast<int>(expected)];
        if (expected == TextEncoding::Empty) continue;
        std::wstring got(source.units, L'\0');
        ASSERT_EQ(DecodeText(source, file, n, got.data(), got.size()), got.size()) << "case " << i;
        ASSERT_EQ(got, ReferenceFileText(bytes, oneByte)) << "case " << i << ": " << Hex(bytes);
    }
    std::printf("read as: %d empty, %d UTF-8, %d ANSI\n", kinds[0], kinds[2], kinds[3]);
}
