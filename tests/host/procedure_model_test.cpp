// How the in-memory host divides a module into its declarations section and
// procedure blocks, as the IDE does.

#include <gtest/gtest.h>

#include "platform/vb_error.h"
#include "support/vb_fixture.h"

namespace qv::host {
namespace {

using test::Vb;

struct Span {
    long start, body, count;
};

Span SpanOf(CodeModule& m, std::string_view name, int kind = vbext_pk_Proc) {
    return {m.ProcStartLine(name, kind), m.ProcBodyLine(name, kind), m.ProcCountLines(name, kind)};
}

class ProcedureModel : public ::testing::Test {
protected:
    test::VbFixture fx;
};

TEST_F(ProcedureModel, CommentsBetweenDeclarationsAndFirstProcedureBelongToIt) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"Option Explicit",            // 1
                          "' about the declarations",   // 2
                          "Private x As Long",          // 3
                          "",                           // 4
                          "' about A",                  // 5
                          "Sub A()",                    // 6
                          "End Sub",                    // 7
                          "",                           // 8
                          "' about B",                  // 9
                          "Function B() As Long",       // 10
                          "End Function"}))             // 11
                   .Code();
    EXPECT_EQ(m.CountOfDeclarationLines(), 3);
    Span a = SpanOf(m, "A");
    EXPECT_EQ(a.start, 4);
    EXPECT_EQ(a.body, 6);
    EXPECT_EQ(a.count, 4);
    Span b = SpanOf(m, "b");  // names compare without regard to case
    EXPECT_EQ(b.start, 8);
    EXPECT_EQ(b.body, 10);
    EXPECT_EQ(b.count, 4);
}

TEST_F(ProcedureModel, LastBlockTakesTheLinesAfterItAndBlankTail) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"Sub A()", "End Sub", "", "' trailing", "", ""}))
                   .Code();
    EXPECT_EQ(m.CountOfDeclarationLines(), 0);
    Span a = SpanOf(m, "A");
    EXPECT_EQ(a.start, 1);
    EXPECT_EQ(a.count, 6);
    int kind = -1;
    EXPECT_EQ(m.ProcOfLine(6, kind), "A");
    EXPECT_EQ(m.ProcOfLine(7, kind), "") << "past the end";
}

// Shift-JIS names whose characters end in the byte of "\\" or "|" (表, ソ,
// ポ) are whole names; a type sign after a name stays a type sign.
TEST_F(ProcedureModel, NamesWithTrailBytesOfDoubleByteCharacters) {
    const std::string hyouji = "\x95\x5c\x8e\xa6", sort = "\x83\x5c\x81\x5b\x83\x67",
                      point = "\x83\x7c";
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"Public Sub " + hyouji + "()", "End Sub",
                          "Function " + sort + "(ByVal " + point + " As Long) As Long",
                          "End Function", "Function Gr\xF6\xDF" "e@()", "End Function"}))
                   .Code();
    int kind = -1;
    EXPECT_EQ(m.ProcOfLine(1, kind), hyouji);
    EXPECT_EQ(m.ProcOfLine(3, kind), sort);
    EXPECT_EQ(m.ProcOfLine(5, kind), "Gr\xF6\xDF" "e");
}

TEST_F(ProcedureModel, DeclareStatementsAndContinuedDeclarations) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"Private Declare Function GetTickCount Lib \"kernel32\" () As Long",
                          "Public Declare Sub Sleep Lib \"kernel32\" _",
                          "    (ByVal ms As Long)",
                          "Public Sub Work(ByVal a As Long, _",
                          "                ByVal b As Long)",
                          "End Sub"}))
                   .Code();
    EXPECT_EQ(m.CountOfDeclarationLines(), 3) << "a continuation line belongs to its statement";
    EXPECT_EQ(m.ProcStartLine("GetTickCount", 0), 1) << "a Declare lies in the declarations";
    EXPECT_EQ(m.ProcStartLine("Sleep", 0), 2);
    EXPECT_EQ(SpanOf(m, "Work").body, 4);
    EXPECT_EQ(SpanOf(m, "Work").count, 3);
}

// A Declare of a procedure's name hides the procedure from lookups by
// name; the module learns of one (in any letter case) that an edit adds to
// its declarations, and of its removal, and a comment naming the word
// declares nothing.
TEST_F(ProcedureModel, DeclareAddedOrRemovedByAnEditHidesTheProcedure) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"' about the module",  // 1
                          "Private x As Long",   // 2
                          "Public Sub Beep()",   // 3
                          "End Sub"}))
                   .Code();
    EXPECT_EQ(m.ProcStartLine("Beep", vbext_pk_Proc), 3);
    m.InsertLines(2, "Private DECLARE Sub beep Lib \"k\" ()");
    EXPECT_EQ(m.ProcStartLine("Beep", vbext_pk_Proc), 2) << "the Declare's own line";
    EXPECT_EQ(m.ProcBodyLine("BEEP", vbext_pk_Proc), 2);
    EXPECT_EQ(m.ProcCountLines("Beep", vbext_pk_Proc), 1);
    m.DeleteLines(2);
    EXPECT_EQ(m.ProcBodyLine("Beep", vbext_pk_Proc), 3) << "the procedure again, once it is gone";
    m.InsertLines(1, "Declare Function Beep Lib \"k\" () As Long");
    EXPECT_EQ(m.ProcBodyLine("Beep", vbext_pk_Proc), 1) << "a Declare on the first line";
    m.DeleteLines(1);
    m.InsertLines(1, "' we declare nothing here");
    EXPECT_EQ(m.ProcBodyLine("Beep", vbext_pk_Proc), 4) << "a comment holding the word";
}

TEST_F(ProcedureModel, AccessorsInAnyOrder) {
    auto& m = *fx.Add("Class1", vbext_ct_ClassModule,
                      Vb({"Private v As Long",                       // 1
                          "Public Property Let Value(ByVal n As Long)",  // 2
                          "    v = n",
                          "End Property",                            // 4
                          "Public Property Get Value() As Long",     // 5
                          "    Value = v",
                          "End Property",                            // 7
                          "Friend Property Set Owner(o As Object)",  // 8
                          "End Property"}))
                   .Code();
    EXPECT_EQ(SpanOf(m, "Value", vbext_pk_Let).body, 2);
    EXPECT_EQ(SpanOf(m, "Value", vbext_pk_Get).start, 5);
    EXPECT_EQ(SpanOf(m, "Owner", vbext_pk_Set).body, 8);
    int kind = -1;
    EXPECT_EQ(m.ProcOfLine(6, kind), "Value");
    EXPECT_EQ(kind, vbext_pk_Get);
    try {
        m.ProcBodyLine("Value", vbext_pk_Set);
        FAIL() << "a missing accessor must raise";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 35);
        EXPECT_EQ(e.Description(), "Sub or Function not defined");
    }
    EXPECT_THROW(m.ProcStartLine("Nothing", 0), VbError);
}

TEST_F(ProcedureModel, SubWithoutEndSubEndsBeforeTheNextProcedure) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"Sub A()", "    x = 1", "", "Sub B()", "End Sub"}))
                   .Code();
    EXPECT_EQ(SpanOf(m, "A").count, 3);
    EXPECT_EQ(SpanOf(m, "B").start, 4);
    EXPECT_EQ(SpanOf(m, "B").count, 2);
}

TEST_F(ProcedureModel, ModuleWithoutFinalLineBreakAndNumberedEndLines) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      "Sub A()\r\n10    x = 1\r\n20 End Sub\r\nSub B()\r\nEnd Sub")
                   .Code();
    EXPECT_EQ(m.CountOfLines(), 5);
    EXPECT_EQ(SpanOf(m, "A").count, 3);
    EXPECT_EQ(SpanOf(m, "B").start, 4);

    // Numbered lines that only start like a closing line do not close; a
    // number with a colon, and a tab after End, do.
    auto& n = *fx.Add("Module2", vbext_ct_StdModule,
                      "Sub A()\r\n10 End If\r\n20 Ending = 1\r\n30 End\r\n40 End Sub\r\n"
                      "Sub B()\r\n50:End\tSub\r\nx = 1\r\nSub C()\r\nEnd Sub")
                   .Code();
    EXPECT_EQ(SpanOf(n, "A").count, 5);
    EXPECT_EQ(SpanOf(n, "B").count, 2);
    EXPECT_EQ(SpanOf(n, "C").start, 8) << "B closed on its numbered line";
}

TEST_F(ProcedureModel, NotProceduresLookAlikes) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"Private SubTotal As Long",
                          "Dim FunctionName As String",
                          "' Sub Commented()",
                          "Rem Sub Remarked()",
                          "Sub Real()",
                          "    End",
                          "    s = \"End Sub\"",
                          "End Sub ' closes Real"}))
                   .Code();
    EXPECT_EQ(m.CountOfDeclarationLines(), 2);
    EXPECT_EQ(SpanOf(m, "Real").count, 6);
    EXPECT_THROW(m.ProcStartLine("Commented", 0), VbError);
}

// Declarations and closing lines are found in any letter case, and body
// lines whose first word shares its first letters with a declaration
// keyword (Print, Set, Select, For, Publication, Static, Sub_Total) are
// not declarations; a closing line may carry a line number or a label
// number with ":".
TEST_F(ProcedureModel, KeywordsInAnyCaseAndFirstWordsThatOnlyLookAlike) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"PUBLIC SUB Alpha()",               // 1
                          "    Print \"x\"",                  // 2
                          "    Set o = Nothing",              // 3
                          "    Select Case a",                // 4
                          "    End Select",                   // 5
                          "    For i = 1 To 2: Next",         // 6
                          "    Publication = 1",              // 7
                          "    Static n As Long",             // 8
                          "    Sub_Total = 2",                // 9
                          "    Friendly = 3",                 // 10
                          "    Functional = 4",               // 11
                          "    Property_ = 5",                // 12
                          "end sub",                          // 13
                          "private FUNCTION beta() As Long",  // 14
                          "10 End Function",                  // 15
                          "fRiEnD Property Get Gamma() As Long",  // 16
                          "20: END PROPERTY",                 // 17
                          "static sub Delta()",               // 18
                          "End\tSub",                         // 19
                          "Sub Epsilon()",                    // 20
                          "EndSub",                           // 21
                          "End Sub"}))                        // 22
                   .Code();
    EXPECT_EQ(m.Members().Count(), 5);
    EXPECT_EQ(SpanOf(m, "alpha").body, 1);
    EXPECT_EQ(SpanOf(m, "alpha").count, 13);
    EXPECT_EQ(SpanOf(m, "BETA").body, 14);
    EXPECT_EQ(SpanOf(m, "BETA").count, 2);
    EXPECT_EQ(SpanOf(m, "gamma", vbext_pk_Get).body, 16);
    EXPECT_EQ(SpanOf(m, "gamma", vbext_pk_Get).count, 2);
    EXPECT_EQ(SpanOf(m, "Delta").count, 2) << "a tab may stand between End and Sub";
    EXPECT_EQ(SpanOf(m, "Epsilon").count, 3) << "EndSub closes nothing";
    for (const char* notOne : {"Print", "Set", "Select", "Publication", "Sub_Total", "Friendly",
                               "Functional", "n"}) {
        EXPECT_THROW(m.ProcStartLine(notOne, vbext_pk_Proc), VbError) << notOne;
    }
}

TEST_F(ProcedureModel, ConditionalCompilationAroundProcedures) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"#If DEBUG_BUILD Then", "Sub Trace()", "End Sub", "#End If",
                          "Sub Other()", "End Sub"}))
                   .Code();
    EXPECT_EQ(m.CountOfDeclarationLines(), 1);
    EXPECT_EQ(SpanOf(m, "Other").start, 4) << "the #End If heads the next block";
}

// The continuation mark alone on a line continues it, wherever it stands:
// a tidy that moves it to column 1 must not turn the next line into a
// declaration (found by fuzzing).
TEST_F(ProcedureModel, TheContinuationMarkAloneContinuesItsLine) {
    for (const char* mark : {" _", "_", "\t_  "}) {
        test::VbFixture local;
        auto& m = *local.Add("Module1", vbext_ct_StdModule, Vb({mark, "Sub a", "Sub B()", "End Sub"}))
                       .Code();
        EXPECT_THROW(m.ProcStartLine("a", 0), VbError) << mark;
        EXPECT_EQ(SpanOf(m, "B").body, 3);
    }
}

TEST_F(ProcedureModel, CommentContinuationIsNotADeclaration) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"' a comment that goes on _", "Sub Hidden()", "Sub Shown()", "End Sub"}))
                   .Code();
    EXPECT_THROW(m.ProcStartLine("Hidden", 0), VbError);
    EXPECT_EQ(SpanOf(m, "Shown").body, 3);
}

// The 64-bit idiom: one routine, declared once per branch of an #If, from
// its first declaration to its closing line; listed once.
TEST_F(ProcedureModel, AlternativeDeclarationsUnderIfAreOneRoutine) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"Option Explicit",                                           // 1
                          "#If Win64 Then",                                            // 2
                          "Public Function CallSlot(ByVal target As LongPtr) As Long",  // 3
                          "#ElseIf Win32 Then",                                        // 4
                          "Public Function CallSlot(ByVal target As Long, _",          // 5
                          "                         ByVal spare As Long) As Long",     // 6
                          "#Else",                                                     // 7
                          "Public Function CallSlot(ByVal target As Integer) As Long", // 8
                          "#End If",                                                   // 9
                          "    CallSlot = 1",                                          // 10
                          "End Function",                                              // 11
                          "Sub After()",                                               // 12
                          "End Sub"}))                                                 // 13
                   .Code();
    const auto& procs = m.Index().Procs();
    ASSERT_EQ(procs.size(), 2u);
    EXPECT_EQ(procs[0].body, 3);
    EXPECT_EQ(procs[0].declEnd, 9) << "the declaration ends at the #End If";
    EXPECT_EQ(procs[0].end, 11);
    EXPECT_TRUE(procs[0].closed);
    EXPECT_EQ(procs[0].alternatives, (std::vector<long>{5, 8}));
    EXPECT_EQ(m.CountOfDeclarationLines(), 2) << "the #If is a line of the declarations section";
    EXPECT_EQ(SpanOf(m, "CallSlot").count, 9);
    EXPECT_EQ(SpanOf(m, "After").start, 12);
    EXPECT_EQ(m.Members().Count(), 2);
}

// A branch may hold body lines before the next declaration; an #If that
// closes before the other declaration makes two routines, not one.
TEST_F(ProcedureModel, AlternativesOnlyInBranchesOfOneIf) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"#If VBA7 Then",                   // 1
                          "Function F() As Long",             // 2
                          "    F = 1",                        // 3
                          "#Else",                            // 4
                          "Function F(Optional x) As Long",   // 5
                          "#End If",                          // 6
                          "    F = F + 1",                    // 7
                          "End Function",                     // 8
                          "#If A Then",                       // 9
                          "Sub G()",                          // 10
                          "#End If",                          // 11
                          "#If B Then",                       // 12
                          "Sub G()",                          // 13
                          "#End If",                          // 14
                          "End Sub"}))                        // 15
                   .Code();
    const auto& procs = m.Index().Procs();
    ASSERT_EQ(procs.size(), 3u);
    EXPECT_EQ(procs[0].declEnd, 6);
    EXPECT_EQ(procs[0].end, 8);
    EXPECT_FALSE(procs[1].closed) << "G of #If A is not an alternative of G of #If B";
    EXPECT_EQ(procs[2].body, 13);
}

TEST_F(ProcedureModel, OneLineRoutineClosesOnItsOwnLine) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"Private Function Lo16(ByVal v As Long) As Long: Lo16 = v And &HFFFF&: "
                          "End Function ' low word",
                          "Sub Empty(): End Sub",
                          "Function Hi16(ByVal v As Long, _",
                          "              ByVal w As Long) As Long: Hi16 = v \\ 65536: End Function",
                          "Sub S(): x = \": End Sub\"",
                          "End Sub"}))
                   .Code();
    const auto& procs = m.Index().Procs();
    ASSERT_EQ(procs.size(), 4u);
    EXPECT_EQ(procs[0].end, 1);
    EXPECT_TRUE(procs[0].closed);
    EXPECT_EQ(procs[1].end, 2);
    EXPECT_EQ(procs[2].end, 4);
    EXPECT_EQ(procs[3].end, 6) << "an End Sub inside a string closes nothing";
}

// A routine defined in full in each branch of an #If: two procedures of one
// name, each a copy that the lookups by name answer for when chosen, the
// first otherwise (as the IDE's lookups do). The choice holds through edits
// and ends with its scope.
TEST_F(ProcedureModel, RoutineDefinedInEachBranchIsOneCopyPerBranch) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"#If Win64 Then",                        // 1
                          "Function Peek(ByVal a As LongPtr)",     // 2
                          "    Peek = a",                          // 3
                          "End Function",                          // 4
                          "#Else",                                 // 5
                          "Function Peek(ByVal a As Long)",        // 6
                          "    Peek = a + 0",                      // 7
                          "End Function",                          // 8
                          "#End If",                               // 9
                          "Sub After()",                           // 10
                          "End Sub"}))                             // 11
                   .Code();
    EXPECT_EQ(m.ProcCopies("peek", vbext_pk_Proc), 2);
    EXPECT_EQ(m.ProcCopies("After", vbext_pk_Proc), 1);
    EXPECT_EQ(m.ProcCopies("Peek", vbext_pk_Get), 0);
    EXPECT_EQ(m.Members().Count(), 2) << "one member for both copies";
    EXPECT_EQ(m.ProcCopyOfLine(3), 0);
    EXPECT_EQ(m.ProcCopyOfLine(5), 1) << "the #Else heads the second copy's block";
    EXPECT_EQ(m.ProcCopyOfLine(11), 0);
    EXPECT_EQ(SpanOf(m, "Peek").body, 2);
    {
        const ProcCopyScope second(m, "PEEK", 1);
        EXPECT_EQ(SpanOf(m, "Peek").body, 6);
        EXPECT_EQ(SpanOf(m, "Peek").start, 5);
        EXPECT_EQ(SpanOf(m, "After").body, 10) << "other names are not affected";
        m.InsertLines(1, "' above");
        EXPECT_EQ(SpanOf(m, "Peek").body, 7) << "the choice holds through an edit";
        EXPECT_THROW(
            {
                const ProcCopyScope third(m, "Peek", 2);
                m.ProcBodyLine("Peek", vbext_pk_Proc);
            },
            VbError);
        EXPECT_EQ(SpanOf(m, "Peek").body, 7) << "an inner scope gives the choice back";
    }
    EXPECT_EQ(SpanOf(m, "Peek").body, 3);
}

// The 64-bit idiom (one declaration per branch, one body) stays one routine
// with one copy.
TEST_F(ProcedureModel, AlternativeDeclarationsAreNoCopies) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"#If Win64 Then", "Function Size() As LongPtr", "#Else",
                          "Function Size() As Long", "#End If", "    Size = 4", "End Function"}))
                   .Code();
    EXPECT_EQ(m.ProcCopies("Size", vbext_pk_Proc), 1);
    EXPECT_EQ(m.ProcCopyOfLine(4), 0);
}

// A name asked for again after an edit renamed, moved or added routines
// gets the new answer, not the one remembered from before the edit.
TEST_F(ProcedureModel, LookupsAfterAnEditSeeTheEdit) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"Sub A()", "End Sub", "Sub B()", "End Sub"}))
                   .Code();
    EXPECT_EQ(m.ProcBodyLine("A", vbext_pk_Proc), 1);
    m.DeleteLines(1, 1);
    m.InsertLines(1, "Sub C()");
    EXPECT_THROW(m.ProcBodyLine("A", vbext_pk_Proc), VbError);
    EXPECT_EQ(m.ProcBodyLine("C", vbext_pk_Proc), 1);
    m.InsertLines(1, "Sub A()\r\n    x = 1\r\nEnd Sub");
    EXPECT_EQ(m.ProcBodyLine("A", vbext_pk_Proc), 1);
    EXPECT_EQ(m.ProcCountLines("A", vbext_pk_Proc), 3);
    EXPECT_EQ(m.ProcBodyLine("B", vbext_pk_Proc), 6);
    m.DeleteLines(1, 1);
    EXPECT_EQ(m.ProcBodyLine("B", vbext_pk_Proc), 5);
}

}  // namespace
}  // namespace qv::host
