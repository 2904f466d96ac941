#include <gtest/gtest.h>

#include "analysis/markers.h"
#include "linenumbers/add_line_numbers.h"
#include "line_number_settings.h"
#include "platform/vb_error.h"

namespace qv::linenumbers {
namespace {

using Lines = std::vector<std::string>;
using test::LineNumberTest;

// The lines followed by blank lines up to `total` elements (the field width
// depends on the array's size; blank lines are never touched).
Lines Padded(Lines lines, size_t total) {
    lines.resize(total);
    return lines;
}

class Numbering : public LineNumberTest {
protected:
    Lines Numbered(Lines lines, short tabWidth = 4) {
        AddLineNumbers(lines, Settings(), tabWidth);
        return lines;
    }
};

TEST_F(Numbering, NumberStandsInTheFirstIndentationStep) {
    const Lines in = Padded({"    x = 1", "x = 1", "    ' note", "", "    y = 2"}, 58);
    const Lines expected =
        Padded({"1\t    x = 1", "2\tx = 1", "    ' note", "", "3\t    y = 2"}, 58);
    EXPECT_EQ(Numbered(in), expected);
}

TEST_F(Numbering, StepsOfTenKeepTheFieldWidth) {
    Settings().ten = 1;
    const Lines in = Padded({"    x = 1", "x = 1", "", "    y = 2"}, 58);
    EXPECT_EQ(Numbered(in), Padded({"10\t    x = 1", "20\tx = 1", "", "30\t    y = 2"}, 58));
}

// With a tab width of 2 the field (4 columns for twelve lines) is wider than
// one tab, so unnumbered lines move right by a tab to keep their shape.
TEST_F(Numbering, UnnumberedLinesKeepTheirShape) {
    const Lines in = {
        "    On Error GoTo Error_Routine",
        "    Dim a As Long",
        "    Select Case a",
        "        ' the first Case cannot carry a number",
        "        Case 1",
        "            a = 2 + _",
        "                3",
        "    End Select",
        "' note in column 1",
        "Exit_Routine:",
        "    Exit Sub",
        "End Sub",
    };
    const Lines expected = {
        "\t    On Error GoTo Error_Routine",
        "1\t    Dim a As Long",
        "2\t    Select Case a",
        "\t        ' the first Case cannot carry a number",
        "\t        Case 1",
        "3\t            a = 2 + _",
        "\t                3",
        "4\t    End Select",
        "\t' note in column 1",
        "\tExit_Routine:",
        "\t    Exit Sub",
        "\tEnd Sub",
    };
    EXPECT_EQ(Numbered(in, 2), expected);

    Settings().comment = 2;
    EXPECT_EQ(Numbered(in, 2)[8], "' note in column 1") << "comment 2 keeps column-1 comments";
    Settings().comment = 3;
    EXPECT_EQ(Numbered(in, 2)[8], "' note in column 1");
    EXPECT_EQ(Numbered(in, 2)[3], "\t        ' the first Case cannot carry a number")
        << "an indented comment moves with the code";
}

TEST_F(Numbering, OnlyTheFirstCaseOfASelectGoesUnnumbered) {
    const Lines in = {"Select Case x", "", "' which one", "Case 1", "y = 1", "Case 2",
                      "End Select"};
    const Lines expected = {"1\tSelect Case x", "", "' which one", "Case 1", "2\ty = 1",
                            "3\tCase 2", "4\tEnd Select"};
    EXPECT_EQ(Numbered(in), expected);
}

TEST_F(Numbering, TheTopBlockOfTheHandlerStaysUnnumbered) {
    const std::string opening = "    " + std::string(analysis::kOpeningMarker);
    const std::string closing = "\t" + std::string(analysis::kClosingMarker);
    const Lines in = {opening, "    Const PROC = \"A\"", "    On Error GoTo Error_Routine",
                      closing, "    x = 1"};
    EXPECT_EQ(Numbered(in), (Lines{opening, "    Const PROC = \"A\"",
                                   "    On Error GoTo Error_Routine", closing, "1\t    x = 1"}));

    // Without the error label's On Error line there is no top block.
    Lines noHandler = in;
    noHandler[2] = "    On Error Resume Next";
    EXPECT_EQ(Numbered(noHandler)[1], "1\t    Const PROC = \"A\"");

    // The On Error line alone is a top block of one line.
    const Lines bare = {"    On Error GoTo Error_Routine", "    x = 1"};
    EXPECT_EQ(Numbered(bare), (Lines{"    On Error GoTo Error_Routine", "1\t    x = 1"}));

    // Tabs anywhere in its lines are passed over, and blanks at their ends.
    Lines tabbed = {" \t " + std::string(analysis::kOpeningMarker), "    Const PROC = \"A\"",
                    "\t On Error\t GoTo Error_Routine \t", closing + " ", "    x = 1"};
    Lines expected = tabbed;
    expected.back() = "1\t    x = 1";
    EXPECT_EQ(Numbered(tabbed), expected);
    tabbed[2] = "\tx On Error GoTo Error_Routine";
    EXPECT_TRUE(Numbered(tabbed)[1].ends_with("\t    Const PROC = \"A\"") &&
                Numbered(tabbed)[1] != tabbed[1])
        << "no On Error line, no top block: the line is numbered";
}

TEST_F(Numbering, NothingToNumberLeavesTheLinesAlone) {
    const Lines onlyComments = {"    ' a", "", "Rem b", "    #If X Then", "    On Error Resume Next"};
    EXPECT_EQ(Numbered(onlyComments, 2), onlyComments) << "indentation included";

    Settings().label1 = "";
    const Lines code = {"x = 1", "y = 2", "End Sub"};
    EXPECT_EQ(Numbered(code), code) << "an empty exit label matches every line";

    Lines empty;
    AddLineNumbers(empty, Settings(), 4);
    EXPECT_TRUE(empty.empty());
}

TEST_F(Numbering, ContinuationLinesAndDirectivesGoUnnumbered) {
    const Lines in = {"x = 1 + _", "2", "#If DEBUG Then", "Debug.Print x", "#End If"};
    EXPECT_EQ(Numbered(in),
              (Lines{"1\tx = 1 + _", "2", "#If DEBUG Then", "2\tDebug.Print x", "#End If"}));
}

TEST_F(Numbering, TabWidthOneNumbersEveryLine) {
    // Ten lines: the highest index has one digit, the tenth number two.
    Lines in;
    for (int i = 1; i <= 10; ++i) in.push_back("x = " + std::to_string(i));
    const Lines out = Numbered(in, 1);
    EXPECT_EQ(out[0], "1\tx = 1");
    EXPECT_EQ(out[9], "10\tx = 10") << "a number as wide as the field is still set off";
}

TEST_F(Numbering, NumbersOnTheRunsTabWidth) {
    const Lines in = Padded({"x = 1", "' c"}, 12);
    SetIdeTabWidth("2");
    Settings().tabWidth = settings::StoredTabWidth();
    Lines lines = in;
    AddLineNumbers(lines, Settings());
    EXPECT_EQ(lines[1], "\t' c") << "a field of four columns: one tab of width 2";

    SetIdeTabWidth("0");  // never written by the IDE; taken as 1
    Settings().tabWidth = settings::StoredTabWidth();
    lines = in;
    AddLineNumbers(lines, Settings());
    EXPECT_EQ(lines[0], "1\tx = 1");
    EXPECT_EQ(lines[1], "\t\t' c") << "a field of three columns";

    SetIdeTabWidth("wide");
    Settings().tabWidth = settings::StoredTabWidth();
    lines = in;
    try {
        AddLineNumbers(lines, Settings());
        FAIL() << "a tab width that is not a number fails the numbering";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), err::kTypeMismatch);
        EXPECT_EQ(e.Source().rfind("modLine.AddLineNumbers(", 0), 0u) << e.Source();
    }
    EXPECT_EQ(lines, in);
}

}  // namespace
}  // namespace qv::linenumbers
