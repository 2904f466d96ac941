// The contents of string literals taken out of a block and put back, and
// the claim the handler layouts rest on: a block laid out with its literals
// emptied and then filled again is the block laid out as it is.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "tidy/literal_contents.h"
#include "tidy/tidy_keywords.h"
#include "tidy/tidy_up_code.h"
#include "tidy_test_support.h"

namespace qv::tidy {
namespace {

using test::TidyTest;

struct Emptied {
    std::string shape;
    std::vector<std::string> contents;
};

Emptied Empty(std::string_view text) {
    Emptied out;
    std::vector<std::string_view> views;
    EmptyLiterals(text, out.shape, views);
    out.contents.assign(views.begin(), views.end());
    return out;
}

// What is a literal: quotes paired in order on each line; a quote left
// without a partner on its line opens none, and its line's end closes
// nothing for the next.
TEST(LiteralContents, QuotesPairOnEachLineInOrder) {
    struct Case {
        const char* text;
        const char* shape;
        std::vector<std::string> contents;
    };
    const std::vector<Case> cases = {
        {"x = 1", "x = 1", {}},
        {"Err.Raise 5, \"modA.Go\", e", "Err.Raise 5, \"\", e", {"modA.Go"}},
        {"s = \"a\"\"b\" & \"\"", "s = \"\"\"\" & \"\"", {"a", "b", ""}},
        {"x = \"open", "x = \"open", {}},
        {"x = \"a\" & \"open\r\ny = \"b\"", "x = \"\" & \"open\r\ny = \"\"", {"a", "b"}},
        {"x = \"\r\ny = \"", "x = \"\r\ny = \"", {}},
        {"' say \"hi\" _\r\n\"\t x \"", "' say \"\" _\r\n\"\"", {"hi", "\t x "}},
        {"a \"x\ry\" b\n\"", "a \"\" b\n\"", {"x\ry"}},
    };
    for (const Case& c : cases) {
        const Emptied e = Empty(c.text);
        EXPECT_EQ(e.shape, c.shape) << c.text;
        EXPECT_EQ(e.contents, c.contents) << c.text;
        std::vector<std::string_view> views(e.contents.begin(), e.contents.end());
        EXPECT_EQ(FillLiterals(e.shape, views), c.text) << "filled again";
    }
}

// Filling follows the quotes of the text it is given, which may have moved
// (tabs in front, blanks cut off); a literal left full keeps its text.
TEST(LiteralContents, FillingFollowsTheQuotesWhereverTheyMoved) {
    const std::vector<std::string_view> contents = {"modA.Go", "", "x"};
    EXPECT_EQ(FillLiterals("\t\tErr.Raise \"\" & \"\" _ \r\n\t\"kept\" & \"\" ", contents),
              "\t\tErr.Raise \"modA.Go\" & \"\" _ \r\n\t\"kept\" & \"x\" ");
}

// Lines of every kind that a template could hold, each with literals that
// hold what could mislead a reading of the code (keywords, a comment mark,
// a continuation mark, a colon, tabs, blanks at their ends).
std::vector<std::string> Blocks() {
    const std::vector<std::string> literals = {
        "\"\"", "\"modA.Go\"", "\"If a Then\"", "\"End If\"", "\"' x\"", "\"Rem \"", "\" _\"",
        "\"a: b\"", "\"\tx\t\"", "\"  \"", "\"Select Case \"", "\"\"\"\"", "\"x _ \""};
    const std::vector<std::string> shapes = {
        "Err.Raise Err.Number, %L & Erl & %L, Err.Description",
        "If a = %L Then",
        "If a = %L Then x = 1",
        "If a = %L _",
        "And b = %L Then",
        "End If",
        "' a note %L",
        "Rem %L note",
        "x = %L: Select Case y",
        "Case %L",
        "End Select",
        "\tDebug.Print %L ' and %L",
        "MsgBox %L & _",
        "  %L",
        "Errorlog %L",
        "Error_Routine:",
        "x = %L & \"open",
        "    ",
        "",
        "Do While s = %L",
        "Loop",
    };
    std::vector<std::string> blocks;
    for (size_t i = 0; i < shapes.size(); ++i) {
        for (size_t k = 0; k < literals.size(); ++k) {
            // Three lines in a row, each with its own literals, so that the
            // state one line leaves meets the next.
            std::vector<std::string> lines;
            for (size_t n = 0; n < 3; ++n) {
                lines.push_back(text::ReplaceAll(shapes[(i + n * 7) % shapes.size()], "%L",
                                                 literals[(k + n * 5) % literals.size()]));
            }
            blocks.push_back(text::JoinLines(lines));
        }
    }
    return blocks;
}

// A block as the handler insertion lays it out: a routine body one level in.
std::string LaidOut(const std::string& block, const settings::SettingsRecord& settings) {
    std::vector<std::string> lines = text::SplitLines(block + "\r\n");
    TidyUpCode(lines, RoutineOpeners(), RoutineClosers(), 1, settings);
    return text::JoinLines(lines);
}

class LiteralLayout : public TidyTest {};

TEST_F(LiteralLayout, EmptiedLaidOutAndFilledIsTheBlockLaidOut) {
    for (const long comment : {0L, 1L, 2L, 3L}) {
        for (const short select : {short{0}, short{1}}) {
            Settings().comment = comment;
            Settings().select = select;
            for (const std::string& block : Blocks()) {
                std::string shape;
                std::vector<std::string_view> contents;
                EmptyLiterals(block, shape, contents);
                ASSERT_EQ(FillLiterals(LaidOut(shape, Settings()), contents),
                          LaidOut(block, Settings()))
                    << block << " with comment setting " << comment << ", select " << select;
            }
        }
    }
}

}  // namespace
}  // namespace qv::tidy
