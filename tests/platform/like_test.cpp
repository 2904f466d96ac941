#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

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

TEST(Like, LiteralPatternsAreThoseWithoutWildcards) {
    EXPECT_TRUE(IsLiteralPattern(""));
    EXPECT_TRUE(IsLiteralPattern("On Error GoTo Error_Routine"));
    EXPECT_TRUE(IsLiteralPattern("a[b")) << "an unclosed list stands for itself";
    EXPECT_TRUE(IsLiteralPattern("a]b["));
    for (const char* wild : {"a*", "?", "Err ##", "[ab]", "x[]", "[!a]z"}) {
        EXPECT_FALSE(IsLiteralPattern(wild)) << wild;
    }
}

// Containment of a literal is found by a plain search; it must agree with
// the pattern match of "*" + text + "*" in both modes.
TEST(Like, ContainmentAgreesWithThePatternMatch) {
    const std::string longNeedle = std::string(300, 'x') + "Y";
    const std::string longText = std::string(1000, 'x') + "y" + std::string(5, 'x');
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"x = 1\r\nOn Error GoTo Error_Routine\r\n", "On Error GoTo Error_Routine"},
        {"x = 1\r\non error goto ERROR_ROUTINE", "On Error GoTo Error_Routine"},
        {"On Error GoTo Error_Routin", "On Error GoTo Error_Routine"},
        {"On Error GoTo Error_Routine", "On Error GoTo Error_Routine"},
        {"On ErrorX On Error ", "On Error "},
        {"On  Error Resume Next", "On Error "},
        {"aaaaaaaaab", "aaab"},      // the window moves over repeats
        {"abababac", "ababac"},
        {"abc", "abcd"},             // longer than the text
        {"", ""},
        {"abc", ""},
        {"[x] = 1", "[x"},           // an unclosed list is literal
        {"a@b", "a`b"},              // "@" and "`" sit beside the letters
        {"a[b", "A[B"},
        {"Z{", "z["},
        {"\xC4rger", "\xE4rger"},  // Windows-1252 letters are not folded
        {"\xC4rger", "\xC4RGER"},
        {"\x83\x41\x83\x43", "\x83\x61"},  // a Shift-JIS trail byte is ASCII
        {"\x83\x41\x83\x43", "\x41\x83\x43"},
        {longText, longNeedle},
        {longText + "Y", longNeedle},
        {std::string(300, 'x') + "y", longNeedle},
    };
    for (const auto& [text, find] : cases) {
        for (CompareMode mode : {CompareMode::Binary, CompareMode::Text}) {
            const bool expected = Like(text, "*" + find + "*", mode);
            const bool found = mode == CompareMode::Binary
                                   ? modSearchBin::StringInRoutine(text, find)
                                   : modSearchText::StringInRoutine(text, find);
            EXPECT_EQ(found, expected) << "'" << find << "' in '" << text.substr(0, 40) << "', "
                                       << (mode == CompareMode::Text ? "text" : "binary");
        }
    }
    // Every place of the hit in and across the blocks of sixteen bytes the
    // search looks at together, up to the text's last byte; near misses
    // (first and last byte right, one inside wrong) beside it.
    for (size_t before = 0; before <= 40; ++before) {
        for (const std::string& piece : {std::string("oN eRROR "), std::string("On Xrror "),
                                         std::string("o")}) {
            for (size_t after : {size_t{0}, size_t{1}, size_t{17}}) {
                const std::string text = std::string(before, 'n') + piece + std::string(after, 'O');
                for (const std::string& find : {std::string("On Error "), std::string("O")}) {
                    EXPECT_EQ(modSearchText::StringInRoutine(text, find),
                              Like(text, "*" + find + "*", CompareMode::Text))
                        << "'" << find << "' in '" << text << "'";
                }
            }
        }
    }
    // The expectations themselves: folding is of ASCII letters only.
    EXPECT_TRUE(modSearchText::StringInRoutine("x\r\non error goto ERROR_ROUTINE", "On Error GoTo Error_Routine"));
    EXPECT_FALSE(modSearchBin::StringInRoutine("x\r\non error goto ERROR_ROUTINE", "On Error GoTo Error_Routine"));
    EXPECT_FALSE(modSearchText::StringInRoutine("\xC4rger", "\xE4rger"));
    EXPECT_FALSE(modSearchText::StringInRoutine("a@b", "a`b"));
    EXPECT_TRUE(modSearchText::StringInRoutine(longText + "Y", longNeedle));
    EXPECT_FALSE(modSearchText::StringInRoutine(longText, longNeedle + "xxxxxx"));
    EXPECT_TRUE(modSearchText::StringInRoutine(longText, longNeedle + "xxxxx"));
}

// Wildcards keep their meaning: these take the pattern match.
TEST(Like, ContainmentWithWildcards) {
    EXPECT_TRUE(modSearchText::StringInRoutine("On Error GoTo 0", "On Error GoTo #"));
    EXPECT_FALSE(modSearchText::StringInRoutine("On Error GoTo X", "On Error GoTo #"));
    EXPECT_TRUE(modSearchText::StringInRoutine("x = ON ERROR", "[o]n?error"));
    EXPECT_FALSE(modSearchBin::StringInRoutine("x = ON ERROR", "[o]n?error"));
    EXPECT_TRUE(modSearchBin::StringInRoutine("a*b", "a[*]b"));
    EXPECT_FALSE(modSearchBin::StringInRoutine("axb", "a[*]b"));
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
