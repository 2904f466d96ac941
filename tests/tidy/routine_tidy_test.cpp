// Tidy on code modules: routines, the code window's command, stability and
// what reaches the user's file.

#include <memory>

#include "host/memory/memory_host.h"
#include "linenumbers/add_line_numbers.h"
#include "linenumbers/remove_line_numbers.h"
#include "platform/text.h"
#include "platform/vb_error.h"
#include "tidy/module_lines.h"
#include "tidy/tidy_keywords.h"
#include "tidy/tidy_up_code.h"
#include "tidy_test_support.h"

namespace qv::tidy {
namespace {

using qv::test::Vb;
using test::Lines;
using test::TidyTest;

TEST_F(TidyTest, RoutineBodyTailAndHead) {
    fx.Add("M", host::vbext_ct_StdModule,
           Vb({"Option Explicit", "Private m As Long", "", "   ' Adds things",
               "Public Sub A(ByVal x As Long)", "' what it does", "10 If x Then", "20 y = 1",
               "End If", "", "", "    End Sub", "   ", "Private Function B() As Long", "B = 1",
               "End Function", "", ""}));
    auto& module = fx.Module("M");
    Tidy_Routine(module.Members().Item("A"), 0, false, Settings());
    Tidy_Routine(module.Members().Item("B"), 0, false, Settings());
    EXPECT_EQ(fx.Text("M"),
              Vb({"Option Explicit", "Private m As Long", "", "' Adds things",
                  "Public Sub A(ByVal x As Long)", "    ' what it does", "    If x Then",
                  "        y = 1", "    End If", "", "End Sub", "",
                  "Private Function B() As Long", "    B = 1", "End Function", ""}));
}

// A lone blank line above a routine tidies to an empty text; it must stay a
// line, or the routines would be glued together.
TEST_F(TidyTest, OneBlankLineStaysBetweenRoutines) {
    fx.Add("M", host::vbext_ct_StdModule,
           Vb({"Sub A()", "End Sub", "", "Sub B()", "End Sub", "", "", "", "Sub C()",
               "End Sub", " \t ", "Sub D()", "End Sub"}));
    auto& module = fx.Module("M");
    for (const char* name : {"B", "C", "D"})
        Tidy_Routine(module.Members().Item(name), 0, false, Settings());
    EXPECT_EQ(fx.Text("M"), Vb({"Sub A()", "End Sub", "", "Sub B()", "End Sub", "", "Sub C()",
                                "End Sub", "", "Sub D()", "End Sub"}));
}

TEST_F(TidyTest, TidyingTwiceWritesNothingTheSecondTime) {
    fx.Add("M", host::vbext_ct_StdModule,
           Vb({"Option Explicit", "  Private m As Long", "", "Public Sub A(ByVal x As Long, _",
               "      ByVal y As Long)", "On Error GoTo Error_Routine", "Select Case x",
               "Case 1: y = 2", "End Select", "Exit_Routine:", "Exit Sub", "Error_Routine:",
               "Resume Exit_Routine", "End Sub", "", "Property Get P() As Long", "P = m",
               "End Property", "Property Let P(ByVal v As Long)", "m = v", "End Property"}));
    TidyModule("M");
    const std::string once = fx.Text("M");
    const unsigned long edits = fx.Module("M").EditCount();
    EXPECT_GT(edits, 0u);
    TidyModule("M");
    EXPECT_EQ(fx.Text("M"), once);
    EXPECT_EQ(fx.Module("M").EditCount(), edits) << "nothing was rewritten";
    EXPECT_EQ(once,
              Vb({"Option Explicit", "Private m As Long", "", "Public Sub A(ByVal x As Long, _",
                  "             ByVal y As Long)", "    On Error GoTo Error_Routine",
                  "    Select Case x", "        Case 1: y = 2", "    End Select",
                  "Exit_Routine:", "    Exit Sub", "Error_Routine:", "    Resume Exit_Routine",
                  "End Sub", "", "Property Get P() As Long", "    P = m", "End Property",
                  "Property Let P(ByVal v As Long)", "    m = v", "End Property"}));
}

// A command learns from tidy itself whether the module changed.
TEST_F(TidyTest, TidySaysWhetherItChangedTheModule) {
    fx.Add("M", host::vbext_ct_StdModule,
           Vb({"  Dim a", "Sub A()", "x = 1", "End Sub", "Sub B()", "    y = 1", "End Sub"}));
    auto& module = fx.Module("M");
    EXPECT_TRUE(Tidy_Declarations(module, Settings()));
    EXPECT_FALSE(Tidy_Declarations(module, Settings()));
    EXPECT_TRUE(Tidy_Routine(module.Members().Item("A"), 0, true, Settings()));
    const unsigned long edits = module.EditCount();
    EXPECT_FALSE(Tidy_Routine(module.Members().Item("A"), 0, true, Settings()));
    EXPECT_FALSE(Tidy_Routine(module.Members().Item("B"), 0, true, Settings()));
    EXPECT_EQ(module.EditCount(), edits);
}

// Tidy leaves one trailing space on every line it indents; the host drops
// trailing blanks of the lines it receives, as the IDE does, so none reach
// the file.
TEST_F(TidyTest, NoTrailingBlanksReachTheModule) {
    fx.Add("M", host::vbext_ct_StdModule,
           Vb({"Dim a", "Sub A()", "If a Then", "' c", "x = 1", "End If", "End Sub", ""}));
    TidyModule("M");
    for (const std::string& line : text::SplitLines(fx.Text("M"))) {
        EXPECT_TRUE(line.empty() || (line.back() != ' ' && line.back() != '\t')) << line;
    }
}

// Numbering tidy's output and tidying again gives the tidied routine back.
TEST_F(TidyTest, RemovingNumbersAndTidyingGivesTheTidiedOriginal) {
    fx.Add("M", host::vbext_ct_StdModule,
           Vb({"Public Sub A(ByVal x As Long)", "On Error GoTo Error_Routine", "Dim y As Long",
               "If x Then", "y = 1 + _", "2", "End If", "Exit_Routine:", "Exit Sub",
               "Error_Routine:", "Resume Exit_Routine", "End Sub"}));
    TidyModule("M");
    const std::string tidied = fx.Text("M");
    for (bool ten : {false, true}) {
        Settings().ten = ten ? 1 : 0;
        auto& module = fx.Module("M");
        const auto span = analysis::FirstAndLast(module, "A", 0);
        const long count = span.lastLine - span.afterDeclarationLine + 1;
        const Lines old = ReadLines(module, span.afterDeclarationLine, count);
        Lines numbered = old;
        linenumbers::AddLineNumbers(numbered, Settings(), 4);
        ReplaceLines(module, span.afterDeclarationLine, old, numbered, 4);
        ASSERT_NE(fx.Text("M"), tidied);
        EXPECT_EQ(module.Lines(4, 1), ten ? "20      If x Then" : "2       If x Then");
        TidyModule("M");
        EXPECT_EQ(fx.Text("M"), tidied);
    }
}

// ReplaceLines foresees what the host stores to write only what changes, and
// hands the foreseen lines on instead of having them tidied again: the
// module must come out as a plain insert of the text makes it, also when
// the foreseen lines cannot be used (another tab width, a line holding a
// break, a blank line alone).
TEST_F(TidyTest, ReplacedLinesAreStoredAsAPlainInsertStoresThem) {
    const Lines start = {"Sub A(a, _", "  b)", "x = 1", "y = 2", "End Sub"};
    const std::vector<Lines> replacements = {
        {"\tx = 1  ", "Here:\ty = 2", "  10\tz = \"a\tb\" '\tnote", "    c = d _",
         "  5 + 1", "y = 2"},
        {"x = 1", "", "  y = 2\r\n\tz = 3 _", "12 q"},
        {""},
    };
    int round = 0;
    for (const Lines& replacement : replacements) {
        for (const int width : {fx.Vbe().TabWidth(), fx.Vbe().TabWidth() + 2}) {
            const std::string name = std::to_string(round++);
            auto* replaced = fx.Add("R" + name, host::vbext_ct_StdModule, Vb(start)).Code();
            auto* plain = fx.Add("P" + name, host::vbext_ct_StdModule, Vb(start)).Code();
            ASSERT_TRUE(ReplaceLines(*replaced, 3, Lines{"x = 1", "y = 2"}, replacement, width));
            plain->DeleteLines(3, 2);
            const std::string text = text::JoinLines(replacement);
            plain->InsertLines(3, text.empty() ? " " : text);
            EXPECT_EQ(fx.Text("R" + name), fx.Text("P" + name)) << "width " << width;
        }
    }
}

// A range is read line by line as its text joined with CR LF and split
// again would be: lone CRs and LFs stay in their lines, a line that holds a
// CR LF of its own comes out as two, and a range past the end or cut off by
// it reads as the host's text of it does.
TEST_F(TidyTest, ARangeReadsAsItsJoinedTextSplitAtCrLf) {
    auto& module = *fx.Add("M", host::vbext_ct_StdModule, "").Code();
    const auto file = std::make_shared<const std::string>("a\rb\nc\r\nd\r\n\r\ne\r");
    const std::string_view bytes = *file;
    // "a\rb", "\nc" with the break before it, "d\r\n" with its own CR LF,
    // an empty line and "e\r".
    module.LoadLines(file, {bytes.substr(0, 3), bytes.substr(3, 2), bytes.substr(7, 3),
                            bytes.substr(12, 0), bytes.substr(12, 2)});
    ASSERT_EQ(module.CountOfLines(), 5);
    for (long start = 1; start <= 7; ++start) {
        for (long count = 0; count <= 7; ++count) {
            const Lines expected =
                count < 1 ? Lines{} : text::SplitLines(module.Lines(start, count));
            EXPECT_EQ(ReadLines(module, start, count), expected) << start << " " << count;
        }
    }
    EXPECT_THROW(ReadLines(module, 0, 1), VbError);
    EXPECT_TRUE(ReadLines(module, 0, 0).empty());
}

// A copy laid out from views into kept strings is the plain layout of the
// lines: whatever the strings held before (longer lines, more of them), and
// whether the layouts were made before or are made now.
TEST_F(TidyTest, LaidOutCopiesMatchThePlainLayout) {
    const std::vector<Lines> routines = {
        {"10 If x Then", "20 y = 1 + _", "  2", "End If", "", "", "' done", "End Sub"},
        {"Select Case x", "Case 1", "y = 2", "End Select", "End Sub"},
        {"   a = \"long line of text that holds more than the room of a short string\"",
         "", "", "End Sub"},
        {"End Sub"},
        {"    x = 1", "    ' the same lines again", "End Sub"},
    };
    for (int round = 0; round < 2; ++round) {
        for (const Lines& routine : routines) {
            for (const bool removeNumbers : {true, false}) {
                Lines expected = routine;
                if (removeNumbers) linenumbers::RemoveLineNumbers(expected);
                TidyUpCode(expected, RoutineOpeners(), RoutineClosers(), 1, Settings());
                const std::vector<std::string_view> views(routine.begin(), routine.end());
                EditedLines edited(views.size());
                TidyUpCopy(views, edited.Lines(), RoutineOpeners(), RoutineClosers(), 1,
                           Settings(), removeNumbers);
                EXPECT_EQ(edited.Lines(), expected) << routine.front();
            }
        }
    }
}

// The kept strings are lent to one use at a time: a use inside another gets
// strings of its own, and the outer use's lines stay as they were.
TEST(EditedLinesTest, AUseInsideAnotherHasItsOwnStrings) {
    EditedLines outer(2);
    outer.Lines() = {"first", "second"};
    {
        EditedLines inner(3);
        EXPECT_NE(&inner.Lines(), &outer.Lines());
        EXPECT_EQ(inner.Lines().size(), 3u);
        inner.Lines()[0] = "changed";
    }
    EXPECT_EQ(outer.Lines(), (Lines{"first", "second"}));
}

}  // namespace
}  // namespace qv::tidy
