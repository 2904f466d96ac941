// The indentation engine on line arrays: readable VB in, readable VB out.
// Expected lines are written as the host stores them (without the trailing
// space that tidy leaves); every pair is also checked for stability.

#include "platform/vb_error.h"
#include "tidy/counts.h"
#include "tidy/tidy_up_code.h"
#include "tidy_test_support.h"

namespace qv::tidy {
namespace {

using test::Lines;
using test::TidyTest;

Lines WithoutTrailingBlanks(Lines lines) {
    for (std::string& l : lines) {
        while (!l.empty() && (l.back() == ' ' || l.back() == '\t')) l.pop_back();
    }
    return lines;
}

class Indentation : public TidyTest {
protected:
    Lines Body(Lines lines) {
        TidyUpCode(lines, RoutineOpeners(), RoutineClosers(), 1, Settings());
        return WithoutTrailingBlanks(lines);
    }

    Lines Declarations(Lines lines) {
        TidyUpCode(lines, DeclarationOpeners(), DeclarationClosers(), 0, Settings());
        return WithoutTrailingBlanks(lines);
    }

    // A routine body (through its closing line) tidies to expected, and expected
    // tidies to itself.
    void ExpectBody(const Lines& in, const Lines& expected) {
        EXPECT_EQ(Body(in), expected);
        EXPECT_EQ(Body(expected), expected) << "tidying tidy's own output changes nothing";
    }
};

// Bodies of each kind of block, with default settings: what each tidies to.
struct BodyCase {
    const char* what;
    Lines in;
    Lines expected;
};

const std::vector<BodyCase> kBodies = {
    {"a block If opens a level",
     {"If a Then", "x = 1", "End If", "    End Sub"},
     {"\tIf a Then", "\t\tx = 1", "\tEnd If", "End Sub"}},
    {"loops and blocks",
     {"For i = 1 To 2", "For j = 1 To 2", "s = s + 1", "Next j, i", "Do While a", "With b",
      ".c = 1", "End With", "Loop", "While d", "DoEvents", "Wend", "End Sub"},
     {"\tFor i = 1 To 2", "\t\tFor j = 1 To 2", "\t\t\ts = s + 1", "\tNext j, i", "\tDo While a",
      "\t\tWith b", "\t\t\t.c = 1", "\t\tEnd With", "\tLoop", "\tWhile d", "\t\tDoEvents", "\tWend",
      "End Sub"}},
    {"Else and ElseIf move out for one line",
     {"If a Then", "x = 1", "ElseIf b Then", "x = 2", "Else", "x = 3", "End If", "End Sub"},
     {"\tIf a Then", "\t\tx = 1", "\tElseIf b Then", "\t\tx = 2", "\tElse", "\t\tx = 3",
      "\tEnd If", "End Sub"}},
    {"a single-line If changes no level",
     {"If x Then y = 1", "If x Then y = 1 Else y = 2", "z = 1", "End Sub"},
     {"\tIf x Then y = 1", "\tIf x Then y = 1 Else y = 2", "\tz = 1", "End Sub"}},
    {"the comment is cut before the test: a block If",
     {"If x Then ' note", "y = 1", "End If", "End Sub"},
     {"\tIf x Then ' note", "\t\ty = 1", "\tEnd If", "End Sub"}},
    {"continuation lines sit one level deeper",
     {"x = a + _", "b + _", "c", "y = 1", "End Sub"},
     {"\tx = a + _", "\t\tb + _", "\t\tc", "\ty = 1", "End Sub"}},
    {"a continued If header puts the body one level below the If",
     {"If a And _", "b Or _", "c Then", "x = 1", "End If", "y = 1", "End Sub"},
     {"\tIf a And _", "\t\tb Or _", "\t\tc Then", "\t\tx = 1", "\tEnd If", "\ty = 1", "End Sub"}},
    {"a single-line If whose statement is on the continuation line",
     {"If a Then _", "x = 1", "y = 1", "End Sub"},
     {"\tIf a Then _", "\t\tx = 1", "\ty = 1", "End Sub"}},
    {"directives open levels",
     {"#If DEBUG Then", "Debug.Print 1", "#Else", "x = 1", "#End If", "End Sub"},
     {"\t#If DEBUG Then", "\t\tDebug.Print 1", "\t#Else", "\t\tx = 1", "\t#End If", "End Sub"}},
    {"string literals do not count",
     {"s = \"If x Then\"", "If a = \"'\" Then", "t = \"Then: Next\"", "u = \"Rem Loop\" ' Next",
      "End If", "End Sub"},
     {"\ts = \"If x Then\"", "\tIf a = \"'\" Then", "\t\tt = \"Then: Next\"",
      "\t\tu = \"Rem Loop\" ' Next", "\tEnd If", "End Sub"}},
    {"a tab inside a string is data; tabs outside become indentation",
     {"\t\ts = \"a\tb\"", "End Sub"},
     {"\ts = \"a\tb\"", "End Sub"}},
    {"blank lines condense to one",
     {"x = 1", "", "", "", "y = 1", " \t ", "", "End Sub"},
     {"\tx = 1", "", "\ty = 1", "", "End Sub"}},
    // A tab even inside a string that is never closed (found by fuzzing).
    {"blanks after the continuation mark go; the line continues as the host reads it",
     {"x = a + _\t", "b", "s = \" _\t", "t", "End Sub"},
     {"\tx = a + _", "\t\tb", "\ts = \" _", "\t\tt", "End Sub"}},
    {"each statement of a line counts with its own text",
     {"Select Case x", "Case 1: y = 1", "Case 2: y = 2", "End Select",
      "For i = 1 To 3: s = s + i: Next i", "If a Then b = 1: c = 2", "lbl: x = 1", "End Sub"},
     {"\tSelect Case x", "\t\tCase 1: y = 1", "\t\tCase 2: y = 2", "\tEnd Select",
      "\tFor i = 1 To 3: s = s + i: Next i", "\tIf a Then b = 1: c = 2", "\tlbl: x = 1",
      "End Sub"}},
    {"Next of two loops on one line",
     {"For i = 1 To 3", "For j = 1 To 3", "s = s + 1", "Next j: Next i", "End Sub"},
     {"\tFor i = 1 To 3", "\t\tFor j = 1 To 3", "\t\t\ts = s + 1", "\tNext j: Next i", "End Sub"}},
    {"unbalanced closers stop at column one",
     {"End If", "End If", "x = 1", "End Sub"},
     {"End If", "End If", "x = 1", "End Sub"}},
};

TEST_F(Indentation, EachKindOfBlock) {
    for (const BodyCase& c : kBodies) {
        SCOPED_TRACE(c.what);
        ExpectBody(c.in, c.expected);
    }
}

TEST_F(Indentation, NestingBeyondAnyRealCodeIsRefused) {
    // Each level costs a tab on every line inside it: thousands of open
    // blocks would make the output grow with the square of the input.
    Lines deep;
    // A body starts one level in.
    for (long i = 1; i < kDeepestNesting; ++i) deep.push_back("If a Then");
    deep.push_back("x = 1");
    for (long i = 1; i < kDeepestNesting; ++i) deep.push_back("End If");
    deep.push_back("End Sub");
    EXPECT_EQ(Body(deep)[kDeepestNesting - 1], std::string(kDeepestNesting, '\t') + "x = 1")
        << "as deep as allowed";
    deep.insert(deep.begin(), "If b Then");
    deep.insert(deep.end() - 1, "End If");
    try {
        Body(deep);
        FAIL() << "one level deeper is refused";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), err::kExpressionTooComplex);
        EXPECT_NE(e.Description().find("nested more than 256 levels"), std::string::npos);
    }
}

TEST_F(Indentation, CaseLinesFollowTheSelectSetting) {
    const Lines in = {"Select Case x", "Case 1", "y = 1", "Case Else", "y = 2", "End Select",
                      "End Sub"};
    ExpectBody(in, {"\tSelect Case x", "\t\tCase 1", "\t\t\ty = 1", "\t\tCase Else",
                    "\t\t\ty = 2", "\tEnd Select", "End Sub"});
    Settings().select = 0;
    ExpectBody(in, {"\tSelect Case x", "\tCase 1", "\t\ty = 1", "\tCase Else", "\t\ty = 2",
                    "\tEnd Select", "End Sub"});
}

TEST_F(Indentation, LinesLeaveWithOneTrailingSpace) {
    Lines lines = {"x = 1", "", "End Sub"};
    TidyUpCode(lines, RoutineOpeners(), RoutineClosers(), 1, Settings());
    EXPECT_EQ(lines, (Lines{"\tx = 1 ", "", "End Sub"}))
        << "the closing line and blank lines have none";
}

TEST_F(Indentation, CommentModes) {
    const Lines in = {"If a Then", "' col1", "    ' indented", "Rem remark", "End If", "End Sub"};
    ExpectBody(in, {"\tIf a Then", "\t\t' col1", "\t\t' indented", "\t\tRem remark", "\tEnd If",
                    "End Sub"});
    Settings().comment = 0;
    ExpectBody(in, {"\tIf a Then", "' col1", "    ' indented", "Rem remark", "\tEnd If",
                    "End Sub"});
    Settings().comment = 2;
    ExpectBody(in, {"\tIf a Then", "' col1", "\t\t' indented", "Rem remark", "\tEnd If",
                    "End Sub"});
    Settings().comment = 3;
    ExpectBody(in, {"\tIf a Then", "' col1", "' indented", "Rem remark", "\tEnd If", "End Sub"});
}

// The word Rem alone is a comment as well: the host stores "Rem " as "Rem",
// and a tidy of that must keep it where the comment setting put it (found by
// fuzzing).
TEST_F(Indentation, BareRemIsAComment) {
    Settings().comment = 2;
    ExpectBody({"If a Then", "Rem ", "Rem", "End If", "End Sub"},
               {"\tIf a Then", "Rem", "Rem", "\tEnd If", "End Sub"});
    Settings().comment = 3;
    ExpectBody({"If a Then", "    Rem", "End If", "End Sub"},
               {"\tIf a Then", "Rem", "\tEnd If", "End Sub"});
}

// A comment that ends in " _" continues on the next line, which is comment too.
TEST_F(Indentation, ContinuedCommentsStayComments) {
    const Lines in = {"' long _", "   comment", "x = 1", "End Sub"};
    ExpectBody(in, {"\t' long _", "\t\tcomment", "\tx = 1", "End Sub"});
    Settings().comment = 3;
    ExpectBody(in, {"' long _", "comment", "\tx = 1", "End Sub"});
    Settings().comment = 0;
    ExpectBody(in, {"' long _", "   comment", "\tx = 1", "End Sub"});
    Settings().comment = 2;
    ExpectBody(in, {"' long _", "   comment", "\tx = 1", "End Sub"});
    // Kept as read, with blanks after its " _" that the host drops: it
    // still continues, so its next line opens no block (found by fuzzing).
    for (long mode : {0, 2}) {
        Settings().comment = mode;
        EXPECT_EQ(Body({"' long _ \t", "If a Then", "x = 1", "End Sub"}),
                  (Lines{"' long _", "If a Then", "\tx = 1", "End Sub"}))
            << mode;
    }
}

TEST_F(Indentation, DeclarationsWithTypeEnumAndDirectives) {
    const Lines in = {"Option Explicit", "", "", "Public Type T", "a As Long", "b As String",
                      "End Type", "Private Enum E", "One = 1", "End Enum", "#If Win32 Then",
                      "Private Declare Function F Lib \"k\" () As Long", "#ElseIf Win16 Then",
                      "Private x As Long", "#Else", "Private y As Long", "#End If",
                      "  Public z As Long"};
    const Lines expected = {"Option Explicit", "", "Public Type T", "\ta As Long",
                            "\tb As String", "End Type", "Private Enum E", "\tOne = 1",
                            "End Enum", "#If Win32 Then",
                            "\tPrivate Declare Function F Lib \"k\" () As Long",
                            "#ElseIf Win16 Then", "\tPrivate x As Long", "#Else",
                            "\tPrivate y As Long", "#End If", "Public z As Long"};
    EXPECT_EQ(Declarations(in), expected);
    EXPECT_EQ(Declarations(expected), expected);
}

// Lines laid out once and taken again must come out as a fresh layout does,
// block after block through the same store: the state a line starts in
// (nesting, a statement or an If header that goes on, a comment that goes
// on, the first line of a block) decides its layout as much as its text.
TEST_F(Indentation, LinesLaidOutBeforeComeOutAsAFreshLayout) {
    const std::vector<Lines> blocks{
        {"If a Then", "x = 1", "End If", "Exit_Routine:", ""},
        {"x = 1", "If a Then", "x = 1", "Else", "x = 2", "End If", ""},
        {"If a _", "And b Then", "x = 1", "End If", "x = 1", ""},
        {"' a note _", "x = 1", "x = 1", "Select Case a", "Case 1", "x = 1", "End Select", ""},
        {"x = 1 + _", "2", "x = 1", "Do", "x = 1", "Loop", "Exit_Routine:", ""},
        {"Exit_Routine:", "x = 1", "", "", "With a", "x = 1", "End With", ""},
    };
    LineLayouts layouts;
    for (int round = 0; round < 2; ++round) {
        for (const Lines& block : blocks) {
            Lines fresh = block;
            TidyUpCode(fresh, RoutineOpeners(), RoutineClosers(), 1, Settings());
            Lines again = block;
            TidyUpCode(again, RoutineOpeners(), RoutineClosers(), 1, Settings(), &layouts);
            EXPECT_EQ(again, fresh) << block.front() << " in round " << round;
        }
    }
}

// The layouts a thread keeps are those of the lists, flag and settings they
// were made with: a run that changes any of them lays its lines out afresh.
TEST_F(Indentation, KeptLayoutsFollowTheListsFlagAndSettings) {
    const Lines body = {"' A comment", "Select Case x", "Case 1", "y = 1", "' Another",
                        "Case Else", "If y Then", "' Inside", "z = 2 _", "  + 3", "End If",
                        "End Select", "Type T", "End Type", "End Sub"};
    for (int round = 0; round < 2; ++round) {  // the second takes what the first kept
        for (const long comment : {0L, 1L, 2L, 3L}) {
            for (const short select : {short{0}, short{1}}) {
                for (const int flag : {0, 1}) {
                    for (const bool declarations : {false, true}) {
                        SCOPED_TRACE(::testing::Message() << "comment " << comment << " select "
                                                          << select << " flag " << flag
                                                          << " declarations " << declarations);
                        Settings().comment = comment;
                        Settings().select = select;
                        const KeywordList& openers =
                            declarations ? DeclarationOpeners() : RoutineOpeners();
                        const KeywordList& closers =
                            declarations ? DeclarationClosers() : RoutineClosers();
                        Lines plain = body;
                        TidyUpCode(plain, openers, closers, flag, Settings());
                        Lines kept = body;
                        TidyUpCodeKept(kept, openers, closers, flag, Settings());
                        EXPECT_EQ(kept, plain);
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace qv::tidy
