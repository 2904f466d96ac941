// The byte finder against the plainest search there is, over texts long
// enough for every path it takes (steps of sixty-four starts, of sixteen,
// the overlapping last sixteen and the bytes one by one).

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/code_page.h"
#include "platform/text_finder.h"

namespace qv::text {
namespace {

// The first place at or after from where each byte of target matches its
// own value or, without regard to case, the other case of an ASCII letter.
size_t PlainFind(std::string_view bytes, std::string_view target, size_t from, bool matchCase) {
    const auto same = [&](char a, char b) {
        if (a == b) return true;
        if (matchCase) return false;
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
        return lower(a) == lower(b) && lower(a) >= 'a' && lower(a) <= 'z';
    };
    for (size_t i = from; i + target.size() <= bytes.size(); ++i) {
        size_t k = 0;
        while (k < target.size() && same(bytes[i + k], target[k])) ++k;
        if (k == target.size()) return i;
    }
    return std::string_view::npos;
}

TEST(TextFinder, FindsWhatThePlainSearchFindsFromEveryStart) {
    std::uint32_t seed = 7;
    const auto next = [&](std::uint32_t below) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % below;
    };
    // Few letters, so that candidates (first and last byte alike) are many.
    const std::string letters = "abAB _\r\n";
    for (int t = 0; t < 200; ++t) {
        std::string bytes(next(300), ' ');
        for (char& c : bytes) c = letters[next(static_cast<std::uint32_t>(letters.size()))];
        std::string target(1 + next(6), ' ');
        for (char& c : target) c = letters[next(4)];
        for (bool matchCase : {false, true}) {
            const TextFinder finder(target, matchCase, CodePage::Windows1252());
            for (size_t from = 0; from <= bytes.size(); from += 1 + next(40)) {
                EXPECT_EQ(finder.Find(bytes, from), PlainFind(bytes, target, from, matchCase))
                    << "\"" << target << "\" in " << bytes.size() << " bytes from " << from;
            }
        }
    }
}

TEST(TextFinder, AnEmptyTextOrOneLongerThanTheBytesIsNowhere) {
    EXPECT_EQ(TextFinder("", false, CodePage::Utf8()).Find("abc", 0), std::string_view::npos);
    EXPECT_EQ(TextFinder("abcd", false, CodePage::Utf8()).Find("abc", 0), std::string_view::npos);
    // A byte of a multi-byte character matches only itself: no case of it.
    const TextFinder utf8("\xC3\xA9", false, CodePage::Utf8());
    EXPECT_EQ(utf8.Find(std::string(100, 'x') + "\xC3\x89\xC3\xA9", 0), 102u);
}

}  // namespace
}  // namespace qv::text
