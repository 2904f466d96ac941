#include <gtest/gtest.h>

#include "analysis/markers.h"
#include "analysis/routine_parsing.h"
#include "analysis/routine_shape.h"
#include "platform/vb_error.h"
#include "support/recording_services.h"
#include "support/vb_fixture.h"

namespace qv::analysis {
namespace {

using host::vbext_ct_ClassModule;
using host::vbext_ct_StdModule;
using test::Vb;

class RoutineParsing : public ::testing::Test {
protected:
    host::CodeModule& Module(std::string_view code, int type = vbext_ct_StdModule) {
        return *fx.Add("M" + std::to_string(++count), type, code).Code();
    }
    RoutineList Names(host::CodeModule& m, bool progress = false) {
        RoutineList names;
        GetRoutineNames(fx.Vbe(), "Project1", m.Name(), names, progress);
        return names;
    }
    test::RecordingServices services;
    test::VbFixture fx;
    int count = 0;
};

TEST_F(RoutineParsing, RoutineListOrderKindsAndDeclarations) {
    auto& m = Module(Vb({"Private Declare Function Tick Lib \"k\" () As Long", "Private v As Long",
                         "Public Property Get Value() As Long", "End Property",
                         "Sub Work()", "End Sub",
                         "Public Property Let Value(ByVal n As Long)", "End Property",
                         "Public Property Set Owner(o As Object)", "End Property"}));
    EXPECT_EQ(Names(m), (RoutineList{{"(Declarations)", 0}, {"Value", 1}, {"Value", 3},
                                     {"Work", 0}, {"Owner", 2}}));
    auto& onlyDeclarations = Module(Vb({"Option Explicit", "Dim x As Long"}));
    EXPECT_EQ(Names(onlyDeclarations), (RoutineList{{"(Declarations)", 0}}));
}

TEST_F(RoutineParsing, RoutineListReportsProgressOnTheSecondBar) {
    auto& m = Module(Vb({"Dim x", "Sub A()", "End Sub"}));
    Names(m, true);
    ASSERT_EQ(services.statusCalls.size(), 3u);
    EXPECT_EQ(services.statusCalls[0], (std::vector<int>{-1, -1, -1, 4}));
    EXPECT_EQ(services.statusCalls[2], (std::vector<int>{-1, 2, -1, -1}));
    services.statusCalls.clear();
    Names(m, false);
    EXPECT_EQ(services.statusCalls.size(), 1u) << "only the maximum without the switch";
}

// The list read for work side by side is the list the progress-reporting
// call gives (copies under #If, accessors, a Declare left out), and it reports
// nothing: a progress report from a helper thread would reach the window.
TEST_F(RoutineParsing, RoutineListReadWithoutProgressIsTheSameList) {
    auto& m = Module(Vb({"Private Declare Function Tick Lib \"k\" () As Long",
                         "#If A Then", "Sub Twice()", "End Sub", "#Else", "Sub Twice()", "End Sub",
                         "#End If",
                         "Public Property Get Value() As Long", "End Property",
                         "Public Property Let Value(ByVal n As Long)", "End Property"}));
    const RoutineList reported = Names(m, true);
    services.statusCalls.clear();
    EXPECT_EQ(ReadRoutineNames(m), reported);
    EXPECT_TRUE(services.statusCalls.empty());
    EXPECT_EQ(reported, (RoutineList{{"(Declarations)", 0}, {"Twice", 0}, {"Twice", 0, 1},
                                     {"Value", 1}, {"Value", 3}}));
}

// The in-memory host lists the routines from its procedure index; the list
// must be the one the member table gives, on the names where the two could
// part: a Sub a Declare hides, a name spelled in other letter case, a Sub and
// a property sharing a name (the first one decides the member), and copies.
TEST_F(RoutineParsing, RoutineListFromTheIndexIsTheMemberTablesList) {
    auto& m = Module(Vb({"Private Declare Function Hidden Lib \"k\" () As Long",
                         "Dim Total As Long",
                         "Sub Hidden()", "End Sub",
                         "Public Property Get value() As Long", "End Property",
                         "Sub Mixed()", "End Sub",
                         "Public Property Get MIXED() As Long", "End Property",
                         "Public Property Let Value(ByVal n As Long)", "End Property",
                         "Public Property Get Both() As Long", "End Property",
                         "Sub both()", "End Sub",
                         "#If A Then",
                         "Public Property Get P() As Long", "End Property",
                         "Sub Twice()", "End Sub",
                         "#Else",
                         "Public Property Get p() As Long", "End Property",
                         "Sub Twice()", "End Sub",
                         "#End If",
                         "Public Property Set P(o As Object)", "End Property",
                         "Sub Total()", "End Sub"}));
    const RoutineList fromTable = Names(m);
    EXPECT_EQ(ReadRoutineNames(m), fromTable);
    EXPECT_EQ(fromTable, (RoutineList{{"(Declarations)", 0}, {"value", 1}, {"value", 3},
                                      {"Mixed", 0}, {"Both", 3}, {"P", 2}, {"P", 3},
                                      {"P", 3, 1}, {"Twice", 0}, {"Twice", 0, 1},
                                      {"Total", 0}}));
    // While a copy is chosen the lookups answer for it: the table is asked.
    const RoutineCopyScope second(m, {"Twice", 0, 1});
    EXPECT_EQ(ReadRoutineNames(m), Names(m));
}

TEST_F(RoutineParsing, MemberNameIsTheMembersSpelling) {
    auto& m = Module(Vb({"Dim Counter As Long", "Public Property Get value() As Long",
                         "End Property", "Public Property Let Value(ByVal n As Long)",
                         "End Property", "Sub Work()", "End Sub"}));
    for (std::string_view asked : {"VALUE", "Value", "work", "counter"}) {
        EXPECT_EQ(MemberName(m, asked), m.Members().Item(asked).Name()) << asked;
    }
    EXPECT_EQ(MemberName(m, "VALUE"), "value");
    EXPECT_EQ(MemberName(m, "counter"), "Counter") << "a declared item, from the table";
    EXPECT_THROW(MemberName(m, "Missing"), VbError);
}

TEST_F(RoutineParsing, SpanOfAContinuedDeclarationWithCommentBlock) {
    auto& m = Module(Vb({"Public Function F(ByVal a As Long, _",  // 1
                         "                  ByVal b As Long) As Long",  // 2
                         "    ' first",                              // 3
                         "    ' second _",                           // 4
                         "    x = anything",                         // 5 (continued comment)
                         "    ' third",                              // 6
                         "",                                         // 7
                         "    F = a + b",                            // 8
                         "End Function"}));                          // 9
    const RoutineSpan s = FirstAndLast(m, "F", 0);
    EXPECT_EQ(s.startLine, 1);
    EXPECT_EQ(s.afterDeclarationLine, 3);
    EXPECT_EQ(s.firstLine, 7) << "the block ends at the blank line";
    EXPECT_EQ(s.lastLine, 9);
}

// A routine declared in each branch of an #If: its declaration ends at the
// #End If, its parameters are those of the first declaration, and code may
// be put into it; below an #If that opened above another routine it may not.
TEST_F(RoutineParsing, AlternativeDeclarationsUnderIf) {
    auto& m = Module(Vb({"#If Win64 Then",                                       // 1
                         "Private Function Slot(ByVal p As LongPtr, _",          // 2
                         "                      ByVal q As LongPtr) As Long",     // 3
                         "#Else",                                                // 4
                         "Private Function Slot(ByVal p As Long, _",             // 5
                         "                      ByVal n As Long) As Long",       // 6
                         "#End If",                                              // 7
                         "    ' the slot",                                       // 8
                         "    Slot = p",                                         // 9
                         "End Function",                                         // 10
                         "#If A Then",                                           // 11
                         "Sub B()",                                              // 12
                         "End Sub",                                              // 13
                         "Sub C()",                                              // 14
                         "#Else",                                                // 15
                         "Sub C(x)",                                             // 16
                         "#End If",                                              // 17
                         "End Sub"}));                                           // 18
    const RoutineSpan s = FirstAndLast(m, "Slot", 0);
    EXPECT_EQ(s.afterDeclarationLine, 8);
    EXPECT_EQ(s.firstLine, 9);
    EXPECT_EQ(s.lastLine, 10);
    EXPECT_EQ(ParameterList(m.Members().Item("Slot"), 0, false), " p, q");
    EXPECT_EQ(GetRoutineType(m, "Slot", 0), "Function");
    EXPECT_EQ(ChangeRefusal(m, "Slot", 0), "");
    EXPECT_EQ(ChangeRefusal(m, "B", 0), "") << "an #If around a whole routine nests";
    EXPECT_NE(ChangeRefusal(m, "C", 0).find("do not nest inside it"), std::string::npos);
    EXPECT_EQ(ReadRoutineShape(m, "C", 0).declarationEnd, 17);
}

TEST_F(RoutineParsing, OneLineRoutineHasNoBody) {
    auto& m = Module(Vb({"Function Lo(ByVal v As Long) As Long: Lo = v And 65535: End Function",
                         "' about Next1", "Sub Next1()", "End Sub"}));
    const RoutineSpan s = FirstAndLast(m, "Lo", 0);
    EXPECT_EQ(s.firstLine, 1);
    EXPECT_EQ(s.lastLine, 1);
    EXPECT_EQ(s.afterDeclarationLine, 2);
    std::string full = "unchanged";
    EXPECT_EQ(RemoveComments(m, "Lo", 0, full), "");
    EXPECT_EQ(full, "unchanged") << "nothing of the next routine's block is read";
    EXPECT_EQ(ParameterList(m.Members().Item("Lo"), 0, false), " v");
    EXPECT_NE(ChangeRefusal(m, "Lo", 0).find("written on one line"), std::string::npos);
}

// A routine whose End line is gone (while it is edited) has no end to put
// code above; one with trailing comments after its End is closed.
TEST_F(RoutineParsing, RoutineWithoutItsClosingLineIsRefused) {
    auto& m = Module(Vb({"Sub Open()", "    x = 1", "", "Sub Shut()", "    y = 1", "End Sub",
                         "' the end", ""}));
    EXPECT_NE(ChangeRefusal(m, "Open", 0).find("has no closing line of its own"),
              std::string::npos);
    EXPECT_EQ(ChangeRefusal(m, "Shut", 0), "");
    auto& conditional = Module(Vb({"Sub Open()", "#If A Then", "    x = 1", "#End If", "",
                                   "Sub Shut()", "End Sub"}));
    EXPECT_NE(ChangeRefusal(conditional, "Open", 0).find("has no closing line"), std::string::npos);
    // An End line that a continuation joins to the line above closes nothing
    // (found by fuzzing).
    auto& continued = Module(Vb({"Sub p _", "End Sub", "Function Q() As Long", "    Q = 1 _",
                                "End Function", "Sub Last()", "End Sub"}));
    EXPECT_NE(ChangeRefusal(continued, "p", 0).find("has no closing line"), std::string::npos);
    EXPECT_NE(ChangeRefusal(continued, "Q", 0).find("has no closing line"), std::string::npos);
}

TEST_F(RoutineParsing, ContinuedStatementBelowCommentsJoinsTheBlock) {
    auto& m = Module(Vb({"Sub S()", "    ' note", "    x = a + _", "        b", "    y = 1",
                         "End Sub"}));
    EXPECT_EQ(FirstAndLast(m, "S", 0).firstLine, 5);
}

TEST_F(RoutineParsing, MarkerStopsTheCommentBlockAndEmptyRoutines) {
    auto& m = Module(Vb({"Sub S()", "", std::string(kOpeningMarker), "On Error GoTo X",
                         "End Sub", "Sub E()", "End Sub", "Sub R()", "    Rem remark",
                         "    ' quote", "End Sub"}));
    EXPECT_EQ(FirstAndLast(m, "S", 0).firstLine, 3);
    const RoutineSpan e = FirstAndLast(m, "E", 0);
    EXPECT_EQ(e.firstLine, 7);
    EXPECT_EQ(e.lastLine, 7);
    std::string full = "untouched";
    EXPECT_EQ(RemoveComments(m, "E", 0, full), "");
    EXPECT_EQ(full, "untouched");
    EXPECT_EQ(FirstAndLast(m, "R", 0).firstLine, 9) << "only quote lines continue the block";
}

TEST_F(RoutineParsing, RemoveCommentsKeepsCodeAndMarkers) {
    auto& m = Module(Vb({"Sub S()",
                         "    ' leading",
                         "    x = 1",
                         "    ' note _",
                         "      still the note",
                         "",
                         "    y = 2 ' trailing stays",
                         "    Rem remark",
                         "    " + std::string(kClosingMarker),
                         "End Sub"}));
    std::string full;
    const std::string code = RemoveComments(m, "S", 0, full);
    EXPECT_EQ(code, Vb({"    x = 1", "    y = 2 ' trailing stays",
                        "    " + std::string(kClosingMarker)}));
    EXPECT_EQ(full, m.Lines(3, 7));
}

TEST_F(RoutineParsing, RoutineTypes) {
    auto& m = Module(Vb({"Private Function Subtotal(x) As Long", "End Function",
                         "Public Sub Run(a, _", "  b)", "End Sub",
                         "Property Get P() As Long", "End Property", "Sub NoParens",
                         "End Sub", "Friend Function Joined(s As String, _",
                         "  Optional sub_ As Long) As Variant", "End Function",
                         "pRIVATE   sUB Lowered()", "End Sub"}));
    EXPECT_EQ(GetRoutineType(m, "Subtotal", 0), "Function");
    EXPECT_EQ(GetRoutineType(m, "Joined", 0), "Function") << "words past the parenthesis";
    EXPECT_EQ(GetRoutineType(m, "Lowered", 0), "Sub") << "any case, many spaces";
    EXPECT_EQ(GetRoutineType(m, "Run", 0), "Sub");
    EXPECT_EQ(GetRoutineType(m, "P", 3), "Property");
    EXPECT_EQ(GetRoutineType(m, "NoParens", 0), "Sub") << "a declaration without parentheses";
    EXPECT_EQ(ParameterList(m.Members().Item("NoParens"), 0, true), "");
}

TEST_F(RoutineParsing, RoutineTypeReadsTheDeclarationOnly) {
    // The body is not part of the declaration, whatever words it holds or
    // however long its continued statements run.
    std::vector<std::string> lines = {"Function Total", "    Total = 1 ' the sub total",
                                      "End Function", "Sub Long1()", "    x = 1 + _"};
    for (int i = 0; i < 2000; ++i) lines.push_back("        Function1(" + std::to_string(i) + ") + _");
    lines.insert(lines.end(), {"        2", "End Sub"});
    auto& m = Module(Vb(lines));
    EXPECT_EQ(GetRoutineType(m, "Total", 0), "Function");
    EXPECT_EQ(GetRoutineType(m, "Long1", 0), "Sub");
}

TEST_F(RoutineParsing, KindAtLinePicksTheNearestAccessorAbove) {
    auto& m = Module(Vb({"Dim v", "' above", "Property Get V() As Long", "End Property",
                         "Property Let V(n As Long)", "    v = n", "End Property"}));
    EXPECT_EQ(KindAtLine(m, "V", 6), 1);
    EXPECT_EQ(KindAtLine(m, "V", 3), 3);
    EXPECT_EQ(KindAtLine(m, "V", 1), 3) << "above every accessor";
    EXPECT_EQ(KindAtLine(m, "Nothing", 4), 3);
}

TEST_F(RoutineParsing, ParameterNames) {
    auto& m = Module(Vb({"' a comment (with, parens)", "Sub None()", "End Sub",
                         "Sub Arrays(ByRef x() As Variant, ParamArray rest())", "End Sub",
                         "Function F(ByVal a As Long, _", "    Optional b() As String) As Long",
                         "End Function"}));
    auto& members = m.Members();
    EXPECT_EQ(ParameterList(members.Item("None"), 0, false), "");
    EXPECT_EQ(ParameterList(members.Item("Arrays"), 0, false), " x, rest");
    EXPECT_EQ(ParameterList(members.Item("F"), 0, true), ", a, b");
}

TEST_F(RoutineParsing, WithEventsHandlers) {
    auto& form = fx.Add("Form1", host::vbext_ct_VBForm,
                        Vb({"Private  WithEvents  tmr As Timer", "Private other As Long",
                            "Private WithEvents _", "    src As Source",
                            "Sub Form_Load()", "End Sub", "Sub tmr_Tick()", "End Sub",
                            "Sub other_Click()", "End Sub", "Sub src_Done()", "End Sub"}));
    auto& members = form.Code()->Members();
    EXPECT_FALSE(IsWithEventsHandler(members.Item("Form_Load")));
    EXPECT_TRUE(IsWithEventsHandler(members.Item("tmr_Tick")));
    EXPECT_FALSE(IsWithEventsHandler(members.Item("other_Click")));
    EXPECT_TRUE(IsWithEventsHandler(members.Item("src_Done")));
}

TEST_F(RoutineParsing, HostErrorsCarryTheLocation) {
    auto& m = Module(Vb({"Sub A()", "End Sub"}));
    try {
        FirstAndLast(m, "B", 0);
        FAIL();
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 35);
        EXPECT_EQ(e.Source().rfind("AddIn.FirstAndLast(", 0), 0u);
    }
    EXPECT_FALSE(HasProcKind(m.Members().Item("A"), 3));
    EXPECT_TRUE(HasProcKind(m.Members().Item("A"), 0));
}

}  // namespace
}  // namespace qv::analysis
