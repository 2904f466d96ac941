#include <gtest/gtest.h>

#include "platform/line_views.h"
#include "platform/text.h"
#include "platform/vb_strings.h"

namespace qv {
namespace {

using Pieces = std::vector<std::string>;

TEST(Split, PiecesLimitsAndCase) {
    EXPECT_EQ(vb5stuff::Split("a,b,,c", ","), (Pieces{"a", "b", "", "c"}));
    EXPECT_EQ(vb5stuff::Split("", ","), (Pieces{""}));
    EXPECT_EQ(vb5stuff::Split("abc", ""), (Pieces{"abc"}));
    EXPECT_EQ(vb5stuff::Split("a,b,c", ",", 1), (Pieces{"a", "b,c"}));
    EXPECT_EQ(vb5stuff::Split("a,b,c", ",", 0), (Pieces{"a,b,c"}));
    EXPECT_EQ(vb5stuff::Split("aXbxc", "x", -1, vb5stuff::kTextCompare), (Pieces{"a", "b", "c"}));
    EXPECT_EQ(vb5stuff::Split("aXbxc", "x"), (Pieces{"aXb", "c"}));
}

TEST(Replace, NeverSearchesItsOwnReplacements) {
    EXPECT_EQ(vb5stuff::Replace("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(vb5stuff::Replace("abc", "", "x"), "abc");
    EXPECT_EQ(vb5stuff::Replace("abc", "b", "b"), "abc");
    EXPECT_EQ(vb5stuff::Replace("a.a.a", ".", "-", 3), "a.a-a") << "text before start stays";
    EXPECT_EQ(vb5stuff::Replace("a.a.a", ".", "-", 1, 1), "a-a.a");
    EXPECT_EQ(vb5stuff::Replace("ABab", "ab", "x", 1, -1, vb5stuff::kTextCompare), "xx");
    EXPECT_EQ(vb5stuff::Replace("", "a", "b"), "");
}

TEST(Join, DelimiterOnlyBetween) {
    EXPECT_EQ(vb5stuff::Join({"a", "b", "c"}, ", "), "a, b, c");
    EXPECT_EQ(vb5stuff::Join({}, ","), "");
    EXPECT_EQ(vb5stuff::Join({""}, ","), "");
}

TEST(GetList, FoldsEmptyPiecesUnlessKept) {
    EXPECT_EQ(Common32::GetList("a,,b", ",", false), (Pieces{"a", "b"}));
    EXPECT_EQ(Common32::GetList("a,,,,b", ",", false), (Pieces{"a", "b"}));
    EXPECT_EQ(Common32::GetList("a,,b", ",", true), (Pieces{"a", "", "b"}));
    EXPECT_EQ(Common32::GetList("", ",", false), (Pieces{""}));
    EXPECT_EQ(Common32::GetList("a", "", false), (Pieces{""}));
    EXPECT_EQ(Common32::GetList("  a b  ", " ", false), (Pieces{"a", "b"}));
}

TEST(Text, TrimIsSpacesOnlyAndLinesKeepEmptyPieces) {
    EXPECT_EQ(text::Trim("  \tx\t  "), "\tx\t");
    EXPECT_EQ(text::SplitLines("a\r\n\r\nb\r\n"), (Pieces{"a", "", "b", ""}));
    EXPECT_EQ(text::JoinLines({"a", "", "b"}), "a\r\n\r\nb");
    // The views split as the copies do: lone CR and LF stay inside a line.
    for (const std::string_view t : {"", "a", "a\r\n\r\nb\r\n", "\r\n", "a\rb\nc\r\n\r", "x\r\r\n"}) {
        const std::vector<std::string_view> views = text::SplitLineViews(t);
        EXPECT_EQ(Pieces(views.begin(), views.end()), text::SplitLines(t)) << t;
    }
    long v = 0;
    EXPECT_TRUE(text::ParseLong(" 42 ", v));
    EXPECT_EQ(v, 42);
    EXPECT_FALSE(text::ParseLong("4x", v));
    EXPECT_FALSE(text::ParseLong("", v));
}

}  // namespace
}  // namespace qv
