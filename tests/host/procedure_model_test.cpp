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

TEST_F(ProcedureModel, ConditionalCompilationAroundProcedures) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"#If DEBUG_BUILD Then", "Sub Trace()", "End Sub", "#End If",
                          "Sub Other()", "End Sub"}))
                   .Code();
    EXPECT_EQ(m.CountOfDeclarationLines(), 1);
    EXPECT_EQ(SpanOf(m, "Other").start, 4) << "the #End If heads the next block";
}

TEST_F(ProcedureModel, CommentContinuationIsNotADeclaration) {
    auto& m = *fx.Add("Module1", vbext_ct_StdModule,
                      Vb({"' a comment that goes on _", "Sub Hidden()", "Sub Shown()", "End Sub"}))
                   .Code();
    EXPECT_THROW(m.ProcStartLine("Hidden", 0), VbError);
    EXPECT_EQ(SpanOf(m, "Shown").body, 3);
}

}  // namespace
}  // namespace qv::host
