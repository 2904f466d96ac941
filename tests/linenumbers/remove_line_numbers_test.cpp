#include <gtest/gtest.h>

#include "linenumbers/remove_line_numbers.h"

namespace qv::linenumbers {
namespace {

using Lines = std::vector<std::string>;

Lines Unnumbered(Lines lines) {
    RemoveLineNumbers(lines);
    return lines;
}

TEST(RemoveLineNumbers, TakesTheNumberAndItsPaddingAway) {
    EXPECT_EQ(Unnumbered({"12:    x = 1"}), Lines{"    x = 1"}) << "the colon goes too";
    EXPECT_EQ(Unnumbered({"12  x = 1"}), Lines{"x = 1"}) << "up to two spaces of padding";
    EXPECT_EQ(Unnumbered({"1   x = 1"}), Lines{"x = 1"}) << "a number in a tab of four";
    EXPECT_EQ(Unnumbered({"1230    x = 1"}), Lines{"    x = 1"}) << "no padding to take";
}

// The lines between numbered ones lost the field's width of spaces when the
// numbers went in (the host turned the padding tabs into spaces).
TEST(RemoveLineNumbers, UnnumberedLinesMoveBackByTheField) {
    const Lines in = {
        "    On Error GoTo Error_Routine",
        "1       Dim a As Long",
        "2       a = 2 + _",
        "            3",
        "        ' note",
        "",
        "    Exit_Routine:",
        "  short",
    };
    const Lines expected = {
        "On Error GoTo Error_Routine",
        "    Dim a As Long",
        "    a = 2 + _",
        "        3",
        "    ' note",
        "",
        "Exit_Routine:",
        "  short",
    };
    EXPECT_EQ(Unnumbered(in), expected);
}

TEST(RemoveLineNumbers, LinesWithoutNumbersStayAsTheyAre) {
    const Lines plain = {"    x = 1", "        y = 2", "    z = 3"};
    EXPECT_EQ(Unnumbered(plain), plain);
    // A continuation line that begins with a digit is not a line number.
    const Lines continued = {"    x = a + _", "1", "    y = 2"};
    EXPECT_EQ(Unnumbered(continued), continued);
    // Nor is a word that merely begins with one.
    const Lines word = {"    x = 1", "2nd:", "    y = 2"};
    EXPECT_EQ(Unnumbered(word), word);
    // A number before a declaration stays: without it the line would
    // declare a procedure inside this one.
    const Lines declaring = {"    x = 1", "20 Property Get Failed() As Boolean", "    y = 2"};
    EXPECT_EQ(Unnumbered(declaring), declaring);
    EXPECT_EQ(Unnumbered({"20 Private Sub Inner()", "30      y = 2"}),
              (Lines{"20 Private Sub Inner()", "    y = 2"}));
    Lines empty;
    RemoveLineNumbers(empty);
    EXPECT_TRUE(empty.empty());
}

TEST(RemoveLineNumbers, FieldIsAtLeastFourAndGrowsWithTheArray) {
    // 10001 elements: the highest index, 10000, has five digits: a field of five.
    Lines big(10001);
    big[0] = "1     x = 1";  // number, then five spaces
    big[1] = "     y = 2";
    const Lines out = Unnumbered(big);
    EXPECT_EQ(out[0], " x = 1") << "a field of five takes four spaces after a one-digit number";
    EXPECT_EQ(out[1], "y = 2");
}

// Asked of views, the question is the one RemoveLineNumbers answers by
// changing the lines or leaving them alone.
TEST(RemoveLineNumbers, HoldsLineNumbersTellsWhetherTheLinesWouldChange) {
    const std::vector<Lines> cases = {
        {"    x = 1", "10  y = 2"},
        {"    x = 1", "    y = 2"},
        {"x = 1 + _", "10"},                // a continuation carries no number
        {"10 Sub Inner()", "    x = 1"},    // the number before a declaration stays
        {"", "   ", "20: x = 1"},
        {"1.5e3 x"},
        {},
    };
    for (const Lines& lines : cases) {
        const std::vector<std::string_view> views(lines.begin(), lines.end());
        EXPECT_EQ(HoldsLineNumbers(views), Unnumbered(lines) != lines)
            << (lines.empty() ? std::string("(no lines)") : lines.back());
    }
}

}  // namespace
}  // namespace qv::linenumbers
