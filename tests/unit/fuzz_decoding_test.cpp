// Randomised byte files through the real decoding, checked against an independent reading
// of the format. JOTWELL_FUZZ_SEED replays another seed; JOTWELL_FUZZ_CASES changes the count.
#include "support/text_reference.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

constexpr uint64_t kFixedSeed = 0x4A6F7477656C6C31ull;

std::wstring PlatformUtf8(const std::string& bytes)
{
    if (bytes.empty()) return {};
    const int count = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(count), L'\0');
    if (count > 0)
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), count);
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

// The own UTF-8 decoder must agree with the platform wherever the bytes are valid UTF-8
// (replacement counts for ill-formed bytes are the platform's, see text_reference.h).
TEST(FuzzDecoding, OwnUtf8DecoderAgreesWithThePlatformOnValidText)
{
    const uint64_t seed = SeedFromEnvironment("JOTWELL_FUZZ_SEED", kFixedSeed);
    std::printf("seed %llu\n", static_cast<unsigned long long>(seed));
    std::mt19937_64 rng(seed);
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
        ASSERT_EQ(mine, PlatformUtf8(bytes)) << "case " << i << ": " << Hex(bytes);
    }
}
