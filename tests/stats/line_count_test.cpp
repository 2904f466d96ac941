#include <gtest/gtest.h>

#include "stats/line_count.h"
#include "support/vb_fixture.h"

namespace qv::stats {
namespace {

// Comment and blank counts of every line but the last of the text, as the
// module figures count the code after the declarations.
LineCounts CountAllButLast(const std::vector<std::string>& lines) {
    test::VbFixture fx;
    auto& c = fx.Add("Module1", host::vbext_ct_StdModule, test::Vb(lines));
    return CountLines(*c.Code(), 1, c.Code()->CountOfLines());
}

// Counts of every line: the range ends one past the last line.
LineCounts CountAll(const std::vector<std::string>& lines) {
    test::VbFixture fx;
    auto& c = fx.Add("Module1", host::vbext_ct_StdModule, test::Vb(lines));
    return CountLines(*c.Code(), 1, c.Code()->CountOfLines() + 1);
}

TEST(CountLines, ACommentContinuedOverSeveralLinesIsCommentThroughout) {
    const LineCounts counts = CountAll({
        "' first part _",
        "x = 1 _",
        "    and more",
        "y = 2",
    });
    EXPECT_EQ(counts.comments, 3);
    EXPECT_EQ(counts.blanks, 0);
}

TEST(CountLines, AnEmptyLineAfterAContinuedCommentIsComment) {
    const LineCounts counts = CountAll({"' note _", "", ""});
    EXPECT_EQ(counts.comments, 2);
    EXPECT_EQ(counts.blanks, 1);
}

TEST(CountLines, ACodeContinuationDecidesNothingAboutTheNextLine) {
    EXPECT_EQ(CountAll({"x = 1 + _", "   ' a comment"}).comments, 1);
    EXPECT_EQ(CountAll({"x = 1 + _", ""}).blanks, 1);
    const LineCounts code = CountAll({"x = 1 + _", "    2"});
    EXPECT_EQ(code.comments, 0);
    EXPECT_EQ(code.blanks, 0);
}

TEST(CountLines, AnUnderscoreWithoutASpaceDoesNotContinueTheComment) {
    const LineCounts counts = CountAll({"' name_", "x = 1"});
    EXPECT_EQ(counts.comments, 1);
}

TEST(CountLines, RemIsACommentOnlyWithItsSpaceAndInItsCase) {
    EXPECT_EQ(CountAll({"Rem a note"}).comments, 1);
    EXPECT_EQ(CountAll({"   Rem indented"}).comments, 1);
    EXPECT_EQ(CountAll({"Remark = 1"}).comments, 0);
    EXPECT_EQ(CountAll({"Rem"}).comments, 0) << "trimmed, the space is gone";
    EXPECT_EQ(CountAll({"rem lower case"}).comments, 0);
    EXPECT_EQ(CountAll({"REM upper case"}).comments, 0);
}

TEST(CountLines, SpacesAreBlankButATabIsCode) {
    const LineCounts counts = CountAll({"", "      ", "\t", "  \t  "});
    EXPECT_EQ(counts.blanks, 2);
    EXPECT_EQ(counts.comments, 0);
}

TEST(CountLines, TheEndLineIsNeverExamined) {
    const LineCounts counts = CountAllButLast({"' one", "", "' three"});
    EXPECT_EQ(counts.comments, 1);
    EXPECT_EQ(counts.blanks, 1);
}

TEST(CountLines, AnEmptyOrReversedRangeCountsNothing) {
    test::VbFixture fx;
    auto& c = fx.Add("Module1", host::vbext_ct_StdModule, test::Vb({"' a", "", "' c"}));
    for (auto [start, end] : {std::pair{2L, 2L}, std::pair{3L, 1L}, std::pair{1L, 0L}}) {
        const LineCounts counts = CountLines(*c.Code(), start, end);
        EXPECT_EQ(counts.comments, 0);
        EXPECT_EQ(counts.blanks, 0);
    }
    const LineCounts middle = CountLines(*c.Code(), 2, 4);
    EXPECT_EQ(middle.comments, 1);
    EXPECT_EQ(middle.blanks, 1);
}

// The range is read as one text: lines past the module's end add nothing,
// and a range wholly past it is one empty text, one blank line.
TEST(CountLines, ARangePastTheEndReadsAsTheHostGivesIt) {
    test::VbFixture fx;
    auto& c = fx.Add("Module1", host::vbext_ct_StdModule, test::Vb({"' a", "", "x = 1"}));
    const LineCounts over = CountLines(*c.Code(), 2, 9);
    EXPECT_EQ(over.comments, 0);
    EXPECT_EQ(over.blanks, 1);
    const LineCounts past = CountLines(*c.Code(), 5, 7);
    EXPECT_EQ(past.comments, 0);
    EXPECT_EQ(past.blanks, 1);
    test::VbFixture empty;
    auto& none = empty.Add("Module2", host::vbext_ct_StdModule, "");
    EXPECT_EQ(CountLines(*none.Code(), 1, 3).blanks, 1);
}

}  // namespace
}  // namespace qv::stats
