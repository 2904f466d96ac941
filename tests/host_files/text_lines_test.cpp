#include <gtest/gtest.h>

#include "host/files/text_lines.h"

namespace qv::host::files {
namespace {

std::vector<std::string> Lines(const SplitText& s) {
    return {s.lines.begin(), s.lines.end()};
}

TEST(SplitFileLines, EndingsAndFinalBreak) {
    SplitText crlf = SplitFileLines("a\r\nb\r\n");
    EXPECT_EQ(Lines(crlf), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(crlf.ending, LineEnding::CrLf);
    EXPECT_TRUE(crlf.finalBreak);

    SplitText lf = SplitFileLines("a\nb");
    EXPECT_EQ(Lines(lf), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(lf.ending, LineEnding::Lf);
    EXPECT_FALSE(lf.finalBreak);

    SplitText blankLast = SplitFileLines("a\n\n");
    EXPECT_EQ(Lines(blankLast), (std::vector<std::string>{"a", ""}));
    EXPECT_TRUE(blankLast.finalBreak);

    EXPECT_TRUE(SplitFileLines("").lines.empty());
}

TEST(SplitFileLines, LoneCrAndMixedEndingsTakeTheMostUsed) {
    SplitText s = SplitFileLines("a\rb\r\nc\nd\ne");
    EXPECT_EQ(Lines(s), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(s.ending, LineEnding::Lf);
    SplitText cr = SplitFileLines("a\rb\r");
    EXPECT_EQ(Lines(cr), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(cr.ending, LineEnding::Cr);
    EXPECT_TRUE(cr.finalBreak);
}

TEST(SplitFileLines, DbcsTrailBytesAreNotBreaks) {
    // Shift-JIS: 0x95 0x5C and 0x81 0x5F end in "\" and "_".
    SplitText s = SplitFileLines("x = \"\x95\x5C\"\r\n' \x81\x5F\r\n");
    ASSERT_EQ(s.lines.size(), 2u);
    EXPECT_EQ(s.lines[1], "' \x81\x5F");
}

}  // namespace
}  // namespace qv::host::files
