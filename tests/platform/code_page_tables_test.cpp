// Every code page reads every byte and every double-byte sequence as the
// same character on every system: the tables are built from the system's
// own converter (iconv on Linux, MultiByteToWideChar on Windows), and a
// module written on one must read alike on the other. Each page's reading
// is summed up in a fingerprint taken from the Linux tables.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "platform/code_page.h"

namespace qv::text {
namespace {

// FNV-1a over the characters.
struct Fingerprint {
    std::uint64_t hash = 14695981039346656037ull;
    void Add(char32_t c) {
        for (int shift = 0; shift < 32; shift += 8) {
            hash = (hash ^ ((c >> shift) & 0xFF)) * 1099511628211ull;
        }
    }
};

// Every single byte, then every lead byte with every trail byte.
std::uint64_t ReadingOf(CodePage page) {
    Fingerprint print;
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        for (char32_t c : Characters(one, page)) print.Add(c);
    }
    if (page.IsDoubleByte()) {
        for (int lead = 0x81; lead < 0x100; ++lead) {
            for (int trail = 0x40; trail < 0x100; ++trail) {
                const std::string two{static_cast<char>(lead), static_cast<char>(trail)};
                for (char32_t c : Characters(two, page)) print.Add(c);
            }
        }
    }
    return print.hash;
}

TEST(CodePageTables, ReadAsOnLinux) {
    const std::pair<int, std::uint64_t> expected[] = {
        {874, 9416720890119607057ull},
        {932, 15124926339197628984ull},
        {936, 11567307119802703857ull},
        {949, 12358704198085294010ull},
        {950, 9581892308230715832ull},
        {1250, 10415388534994559720ull},
        {1251, 17687500590816101815ull},
        {1252, 13773001743763820408ull},
        {1253, 3424053497369440107ull},
        {1254, 1138908380251196702ull},
        {1255, 4720527524372310777ull},
        {1256, 7852116609548673072ull},
        {1257, 13683784001704441389ull},
        {1258, 677697695624601962ull},
    };
    for (const auto& [number, fingerprint] : expected) {
        const CodePage page = *CodePage::Named(std::to_string(number));
        EXPECT_EQ(ReadingOf(page), fingerprint) << "code page " << number;
    }
}

}  // namespace
}  // namespace qv::text

namespace qv::text {
namespace {

// Every character a page has is written back as the bytes it was read
// from; one it lacks becomes "?", and the strict conversion refuses it.
TEST(CodePageTables, WrittenBackAsRead) {
    const std::pair<int, std::string> samples[] = {
        {874, "\xA1\xD2"},     {932, "\x96\xE2\x91\xE8"}, {936, "\xD6\xD0\xCE\xC4"},
        {949, "\xC7\xD1\xB1\xDB"}, {950, "\xA4\xA4\xA4\xE5"}, {1250, "\x8A\xE8"},
        {1251, "\xC4\xE0"},     {1253, "\xC1\xE1"},         {1254, "\xD0\xFD"},
        {1255, "\xE0\xF9"},     {1256, "\xC7\xE1"},         {1257, "\xC0\xE6"},
        {1258, "\xC3\xD2"},
    };
    for (const auto& [number, bytes] : samples) {
        const CodePage page = *CodePage::Named(std::to_string(number));
        const std::string text = ToUtf8(bytes, page);
        EXPECT_EQ(FromUtf8(text, page), bytes) << "code page " << number;
        EXPECT_EQ(FromUtf8Replacing("\xE2\x98\x83" + text, page), "?" + bytes)
            << "a snowman is in no code page: " << number;
        EXPECT_FALSE(FromUtf8("\xE2\x98\x83", page).has_value()) << number;
    }
}

}  // namespace
}  // namespace qv::text
