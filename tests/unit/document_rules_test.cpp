// Reading rules for text files and the caption, without a window.
#include "document/caption.h"
#include "document/text_codec.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>

namespace {

TextSource Choose(const std::string& bytes)
{
    return ChooseDecoding(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), true);
}

size_t Units(const std::string& bytes)
{
    return Utf16Units(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

TEST(Decoding, TableInItsOrder)
{
    EXPECT_EQ(Choose("").encoding, TextEncoding::Empty);
    EXPECT_EQ(Choose("A").encoding, TextEncoding::Ansi);
    EXPECT_EQ(Choose("\xFF").encoding, TextEncoding::Ansi);
    EXPECT_EQ(Choose("\xFF\xFE").encoding, TextEncoding::Utf16Le);
    EXPECT_EQ(Choose("\xFF\xFE").offset, 2u);
    EXPECT_EQ(Choose("\xEF\xBB\xBF" "abc").encoding, TextEncoding::Utf8);
    EXPECT_EQ(Choose("\xEF\xBB\xBF" "abc").offset, 3u);
    EXPECT_EQ(Choose("ab").encoding, TextEncoding::Utf8);
    EXPECT_EQ(Choose("ab").offset, 0u);
    // The mark alone is an empty UTF-8 text; a big-endian mark is not recognised, and not UTF-8.
    EXPECT_EQ(Choose("\xEF\xBB\xBF").encoding, TextEncoding::Empty);
    EXPECT_EQ(Choose(std::string("\xFE\xFF\0A", 4)).encoding, TextEncoding::Ansi);
    // Two bytes that begin like the UTF-8 mark are just UTF-8.
    EXPECT_EQ(Choose("\xEF\xBB").encoding, TextEncoding::Utf8);
    EXPECT_EQ(Choose("\xEF\xBB").offset, 0u);
    // Not UTF-8 throughout: the well-formed sequences against the stray bytes, a cut end after a sequence.
    EXPECT_EQ(Choose("caf\xE9").encoding, TextEncoding::Ansi);
    EXPECT_EQ(Choose("ab\xE2\x82").encoding, TextEncoding::Utf8);
    EXPECT_EQ(Choose("h\xC3\xA9llo\xE2\x82").units, 6u);
    EXPECT_EQ(Choose("\xE2\x80\xA6 \xA9 \xE2\x80\xA6").stray, StrayBytes::AnsiChar);
    EXPECT_EQ(Choose("\xE2\x80\xA6 \xA9").encoding, TextEncoding::Ansi);
}

TEST(Decoding, Utf16RunsToTheFirstZeroUnitOrTheEnd)
{
    EXPECT_EQ(Units(std::string("", 0)), 0u);
    EXPECT_EQ(Units(std::string("A\0B\0", 4)), 2u);
    EXPECT_EQ(Units(std::string("A\0B", 3)), 2u);        // an odd last byte is one more unit
    EXPECT_EQ(Units(std::string("\0\0A\0", 4)), 0u);     // FF FE 00 00 ...: empty
    EXPECT_EQ(Units(std::string("A\0\0\0B\0", 6)), 1u);  // a NUL ends the text
    EXPECT_EQ(Units(std::string("A\0\0", 3)), 1u);       // an odd zero byte adds nothing
}

std::wstring Decode(unsigned codePage, const std::string& bytes)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = DecodeMultiByte(codePage, b, bytes.size(), nullptr, 0);
    std::wstring out(n, L'\0');
    if (n) {
        EXPECT_EQ(DecodeMultiByte(codePage, b, bytes.size(), out.data(), n), n);
    }
    return out;
}

TEST(Decoding, MultiByte)
{
    EXPECT_EQ(Decode(CP_UTF8, "caf\xC3\xA9 \xE2\x82\xAC"), L"caf\u00E9 \u20AC");
    EXPECT_EQ(Decode(CP_UTF8, "a\xC3(b"), L"a\uFFFD(b"); // malformed: a replacement character
    EXPECT_EQ(Decode(CP_UTF8, std::string("A\0B\0", 4)), std::wstring(L"A\0B\0", 4));
    EXPECT_EQ(Decode(CP_UTF8, ""), L"");
    EXPECT_EQ(Decode(CP_ACP, "A"), L"A");
}

// UTF-8 for Save, in pieces of every small size, against the platform's conversion of the whole,
// and the lone-surrogate check against the platform's refusal.
TEST(SaveEncoding, Utf8PiecesJoinToThePlatformsConversion)
{
    const wchar_t alphabet[] = {L'a', L'\u00E9', L'\u20AC', L'\xD83D', L'\xDE00', L'\r', L'\0'};
    std::mt19937 rng(20261209);
    for (int round = 0; round < 500; ++round) {
        std::wstring text(rng() % 24, L'a');
        for (wchar_t& unit : text) unit = alphabet[rng() % std::size(alphabet)];
        const int whole = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                              nullptr, 0, nullptr, nullptr);
        ASSERT_EQ(FitsUtf8(text.data(), text.size()), text.empty() || whole > 0) << "round " << round;
        if (whole <= 0) continue;
        std::string platform(static_cast<size_t>(whole), '\0');
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), platform.data(), whole, nullptr,
                            nullptr);
        for (size_t room = 4; room <= 9; ++room) {
            std::string joined, piece(room, '\0');
            for (size_t pos = 0; pos < text.size();) {
                const size_t n = NextUtf8Chunk(text.data(), text.size(), pos, piece.data(), room);
                ASSERT_GT(n, 0u) << "round " << round << " room " << room;
                joined.append(piece.data(), n);
            }
            ASSERT_EQ(joined, platform) << "round " << round << " room " << room;
        }
    }
}

TEST(Caption, FourForms)
{
    wchar_t out[kCaptionChars];
    FormatCaption(L"", false, out);
    EXPECT_STREQ(out, L"Untitled - Jotwell");
    FormatCaption(L"", true, out);
    EXPECT_STREQ(out, L"*Untitled - Jotwell");
    FormatCaption(L"C:\\docs\\notes.txt", false, out);
    EXPECT_STREQ(out, L"notes.txt - Jotwell");
    FormatCaption(L"C:\\docs\\notes.txt", true, out);
    EXPECT_STREQ(out, L"*notes.txt - Jotwell");
}

TEST(Caption, LongestPathStillComplete)
{
    std::wstring path = L"C:\\" + std::wstring(256, L'n'); // 259 characters, one long name
    ASSERT_EQ(path.size(), 259u);
    wchar_t out[kCaptionChars];
    FormatCaption(path.c_str(), true, out);
    EXPECT_EQ(std::wstring(out), L"*" + std::wstring(256, L'n') + L" - Jotwell");
    EXPECT_STREQ(FileNamePart(L"C:\\a\\b.txt"), L"b.txt");
    EXPECT_STREQ(FileNamePart(L"b.txt"), L"b.txt");
}

} // namespace
