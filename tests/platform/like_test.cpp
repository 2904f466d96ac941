#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/like.h"

namespace qv {
namespace {

TEST(Like, EachWildcard) {
    EXPECT_TRUE(Like("abc", "a?c"));
    EXPECT_FALSE(Like("ac", "a?c"));
    EXPECT_TRUE(Like("a1c", "a#c"));
    EXPECT_FALSE(Like("abc", "a#c"));
    EXPECT_TRUE(Like("", "*"));
    EXPECT_TRUE(Like("anything at all", "*"));
    EXPECT_TRUE(Like("On Error GoTo X", "On Error*X"));
    EXPECT_FALSE(Like("On Error GoTo X", "On Error*Y"));
    EXPECT_TRUE(Like("a\r\nb", "a*b")) << "a star crosses line breaks";
}

TEST(Like, CharacterLists) {
    EXPECT_TRUE(Like("b", "[abc]"));
    EXPECT_FALSE(Like("d", "[abc]"));
    EXPECT_TRUE(Like("d", "[!abc]"));
    EXPECT_FALSE(Like("a", "[!abc]"));
    EXPECT_TRUE(Like("m", "[a-z]"));
    EXPECT_FALSE(Like("M", "[a-z]"));
    EXPECT_TRUE(Like("x7", "[a-z][0-9]"));
    EXPECT_TRUE(Like("*", "[*]")) << "a wildcard in a list stands for itself";
    EXPECT_TRUE(Like("?x", "[?]x"));
    EXPECT_TRUE(Like("a-", "a[-]"));
    EXPECT_TRUE(Like("[x", "[x")) << "an unclosed list is literal";
}

TEST(Like, CaseModes) {
    EXPECT_FALSE(Like("ON ERROR", "on error", CompareMode::Binary));
    EXPECT_TRUE(Like("ON ERROR", "on error", CompareMode::Text));
    EXPECT_TRUE(Like("M", "[a-z]", CompareMode::Text));
    EXPECT_FALSE(Like("m", "[!A-Z]", CompareMode::Text));
}

TEST(Like, Containment) {
    EXPECT_TRUE(modSearchBin::StringInRoutine("x = 1\r\nOn Error GoTo Error_Routine", "On Error "));
    EXPECT_FALSE(modSearchBin::StringInRoutine("on error resume next", "On Error "));
    EXPECT_TRUE(modSearchText::StringInRoutine("on error resume next", "On Error "));
    EXPECT_TRUE(modSearchText::StringInRoutine("Err 42 here", "Err ##"))
        << "wildcards of the searched text stay active";
    EXPECT_FALSE(modSearchText::StringInRoutine("", "x"));
}

TEST(Like, LongTextWithManyStarsIsFast) {
    std::string text(100 * 1024, 'a');
    std::string pattern;
    for (int i = 0; i < 20; ++i) pattern += "*a";
    pattern += "*b";  // never matches: the worst case for backtracking
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Like(text, pattern));
    text.back() = 'b';
    EXPECT_TRUE(Like(text, pattern));
    // Recorded, not asserted: a quadratic-or-worse matcher would take minutes here.
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    RecordProperty("milliseconds", static_cast<int>(ms));
}

TEST(LikeSearch, LeftmostShortestHit) {
    LikePattern p("a*c", CompareMode::Binary);
    auto hit = p.Search("xxabcbc", 0);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->first, 2u);
    EXPECT_EQ(hit->second, 5u);
    hit = p.Search("xxabcbc", 3);
    EXPECT_FALSE(hit);
    LikePattern digits("##", CompareMode::Binary);
    hit = digits.Search("line 42 of 100", 0);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->first, 5u);
    EXPECT_EQ(hit->second, 7u);
    hit = digits.Search("line 42 of 100", 7);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->first, 11u);
}

}  // namespace
}  // namespace qv
