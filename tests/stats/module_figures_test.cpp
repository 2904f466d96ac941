#include <gtest/gtest.h>

#include "platform/vb_error.h"
#include "stats/module_figures.h"
#include "support/vb_fixture.h"

namespace qv::stats {
namespace {

using analysis::RoutineEntry;

const std::vector<std::string> kModule = {
    "Option Explicit",          // 1  declaration
    "' module notes",           // 2  comment
    "",                         // 3  blank
    "Private m As Long",        // 4  declaration (last declaration line)
    "",                         // 5  blank
    "' Adds one",               // 6  comment above Foo
    "Public Sub Foo()",         // 7
    "    ' inside",             // 8  comment
    "    m = m + 1",            // 9
    "",                         // 10 blank
    "End Sub",                  // 11
    "' trailing comment",       // 12 last line: never examined
};

TEST(ModuleFigures, FiguresOfAModuleAddUpToItsLines) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, test::Vb(kModule));
    const ModuleFigures f =
        GetModuleFigures(fx.Vbe(), "Project1", "Module1", RoutineCounting::RoutineList);
    EXPECT_EQ(f, (ModuleFigures{.routines = 1,
                                .totalLines = 12,
                                .declaration = 2,
                                .blank = 3,
                                .comments = 3,
                                .code = 4}))
        << "the final comment line counts as code";
}

TEST(ModuleFigures, AnEmptyModuleGivesZeroes) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, "");
    EXPECT_EQ(GetModuleFigures(fx.Vbe(), "Project1", "Module1", RoutineCounting::RoutineList),
              ModuleFigures{});
    EXPECT_EQ(GetDeclarationsFigures(fx.Module("Module1")), RoutineFigures{});
}

TEST(ModuleFigures, DeclarationsRowLeavesItsLastLineUnexamined) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, test::Vb(kModule));
    EXPECT_EQ(GetDeclarationsFigures(fx.Module("Module1")),
              (RoutineFigures{.totalLines = 4, .blank = 1, .comments = 1, .actualCode = 2}));
}

TEST(ModuleFigures, RoutineRowCountsTheCommentBlockAboveItsDeclaration) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, test::Vb(kModule));
    // Foo's block runs from line 5 to the end of the module; its last line
    // (the trailing comment) is not examined.
    EXPECT_EQ(GetRoutineFigures(fx.Module("Module1"), RoutineEntry{"Foo", 0}),
              (RoutineFigures{.totalLines = 8, .blank = 2, .comments = 2, .actualCode = 4}));
}

TEST(ModuleFigures, RoutineRowOfAProcedureThatIsNotThereIsAnError) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, test::Vb(kModule));
    try {
        GetRoutineFigures(fx.Module("Module1"), RoutineEntry{"Missing", 0});
        FAIL() << "no error raised";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), err::kSubOrFunctionNotDefined);
        EXPECT_EQ(e.Source().rfind("frmStats.GetRoutineFigures(", 0), 0u) << e.Source();
    }
}

const std::vector<std::string> kClass = {
    "Private Declare Function GetTickCount Lib \"kernel32\" () As Long",
    "Private Const kLimit = 10",
    "Public Event Changed()",
    "Private mValue As Long",
    "",
    "Public Property Get Value() As Long",
    "    Value = mValue",
    "End Property",
    "",
    "Public Property Let Value(ByVal v As Long)",
    "    mValue = v",
    "End Property",
    "",
    "Public Sub Reset()",
    "    mValue = 0",
    "End Sub",
};

TEST(ModuleFigures, RoutinesCountAccessorsInAProjectAndMembersInAGroup) {
    test::VbFixture fx;
    fx.Add("Class1", host::vbext_ct_ClassModule, test::Vb(kClass));
    // Routine list: Value (Let), Value (Get), Reset; the Declare is not a routine.
    EXPECT_EQ(
        GetModuleFigures(fx.Vbe(), "Project1", "Class1", RoutineCounting::RoutineList).routines, 3);
    // Members: the Declare, the property once, Reset.
    EXPECT_EQ(GetModuleFigures(fx.Vbe(), "Project1", "Class1", RoutineCounting::Members).routines,
              3);
    fx.Add("Class2", host::vbext_ct_ClassModule,
           test::Vb({"Private mValue As Long", "Public Property Get Value() As Long",
                     "End Property", "Public Property Let Value(ByVal v As Long)",
                     "End Property"}));
    EXPECT_EQ(
        GetModuleFigures(fx.Vbe(), "Project1", "Class2", RoutineCounting::RoutineList).routines, 2);
    EXPECT_EQ(GetModuleFigures(fx.Vbe(), "Project1", "Class2", RoutineCounting::Members).routines,
              1);
    // The module at hand counts alike, without looking it up by name.
    for (const char* name : {"Class1", "Class2"}) {
        host::CodeModule& module = *fx.Vbe().VBProjects().Item("Project1").VBComponents().Item(name).CodeModule();
        for (RoutineCounting counting : {RoutineCounting::RoutineList, RoutineCounting::Members}) {
            EXPECT_EQ(GetModuleFigures(module, counting),
                      GetModuleFigures(fx.Vbe(), "Project1", name, counting))
                << name;
        }
    }
}

TEST(ModuleFigures, KeywordsCountInAnyCase) {
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule,
           test::Vb({"Option Explicit", "REM a note in capitals", "PUBLIC SUB A()", "end sub",
                     "private function B()", "10 END FUNCTION", "sTaTiC Sub C()", "End Sub",
                     "Friend Property Get D()", "End Property", "Set x = Nothing"}));
    auto& module = fx.Module("Module1");
    EXPECT_EQ(module.CountOfDeclarationLines(), 1) << "a Rem line in any case is a comment";
    EXPECT_EQ(
        GetModuleFigures(fx.Vbe(), "Project1", "Module1", RoutineCounting::RoutineList).routines,
        4);
    EXPECT_EQ(GetRoutineFigures(module, RoutineEntry{"B", 0}).totalLines, 2)
        << "a numbered closing line ends the function";
}

}  // namespace
}  // namespace qv::stats
