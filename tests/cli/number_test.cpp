// qvaddin number and qvaddin unnumber on VB6 files.

#include "cli/code_change_fixture.h"
#include "settings/reg_settings.h"

namespace qv::test {
namespace {

class NumberCommandTest : public CodeChangeTest {};

// Numbering twice changes nothing the second time; that unnumber and tidy
// then give what tidy gives is one of the property runs.
TEST_F(NumberCommandTest, NumberingIsStable) {
    for (const auto& make : {+[] { return CopyOfFolder(ExampleFolder()); }, +ShapesProject}) {
        const TempFolder numbered = make();
        const std::string project =
            std::filesystem::exists(numbered.Path() / "Example.vbp") ? "Example.vbp" : "Shapes.vbp";
        const CliResult once = Run(numbered, {"number", project});
        ASSERT_EQ(once.code, 0) << once.err;
        const auto afterOnce = Files(numbered);
        const CliResult twice = Run(numbered, {"number", project});
        ASSERT_EQ(twice.code, 0) << twice.err;
        EXPECT_EQ(Files(numbered), afterOnce) << project;
        EXPECT_NE(twice.out.find("Changed 0 routines in 0 modules"), std::string::npos)
            << twice.out;
    }
}

TEST_F(NumberCommandTest, ModuleNumbersRoutinesLaysOutHeadersAndTidiesDeclarations) {
    const TempFolder shapes = ShapesProject();
    const CliResult r = Run(shapes, {"number", "Shapes.vbp", "--module", "modA"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(shapes.Read("modA.bas"),
              CrlfLines({"Attribute VB_Name = \"modA\"", "Option Explicit", "", "' Does it.",
                         "Public Sub Go(ByVal x As Long, _", "              ByVal y As Long)",
                         "    ' Notes on Go.", "", "1   If x Then Beep", "End Sub", "",
                         "Sub ErrorSave()", "End Sub", "", "Function Resumes() As Long",
                         "    On Error Resume Next", "1   Resumes = 1", "End Function"}));
    EXPECT_EQ(r.out,
              "modA  (modA.bas)\n  numbered  Go\n  numbered  Resumes\n"
              "Changed 2 routines in 1 module; 0 refused.\n");
}

TEST_F(NumberCommandTest, OneRoutineTheTerminateRoutineAndDeclarations) {
    const TempFolder shapes = ShapesProject();
    const CliResult r = Run(shapes, {"number", "Shapes.vbp", "--routine", "Value:Let"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string tx = shapes.Read("CTx.cls");
    EXPECT_NE(tx.find("Public Property Let Value(ByVal v As Long)\r\n1   mValue = v\r\n"),
              std::string::npos)
        << tx;
    EXPECT_NE(tx.find("Attribute Value.VB_UserMemId = 0\r\n    Value = mValue\r\n"),
              std::string::npos)
        << "the Get accessor is not touched";

    const CliResult terminate =
        Run(shapes, {"number", "Shapes.vbp", "--routine", "Class_Terminate"});
    EXPECT_EQ(terminate.code, 0) << terminate.err;
    EXPECT_NE(terminate.out.find("Nothing to do for Class_Terminate."), std::string::npos)
        << "a terminate routine gets no numbers:\n"
        << terminate.out;

    const CliResult declarations =
        Run(shapes, {"number", "Shapes.vbp", "--module", "CTx", "--line", "2"});
    EXPECT_EQ(declarations.code, 0);
    EXPECT_NE(declarations.out.find("is not inside a routine"), std::string::npos);
}

TEST_F(NumberCommandTest, UnnumberTakesOffNumbersAndNothingElse) {
    TempFolder folder = ShapesProject();
    const std::string numbered = CrlfLines(
        {"Attribute VB_Name = \"modA\"", "  Dim m As Long", "Sub Go()", "10  x = 1", "\t' a tab",
         "20:     If x Then y = 2", "End Sub", "Sub Plain()", "    x = 1", "End Sub"});
    folder.Write("modA.bas", numbered);
    const CliResult r = Run(folder, {"unnumber", "Shapes.vbp", "--module", "modA"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(folder.Read("modA.bas"),
              CrlfLines({"Attribute VB_Name = \"modA\"", "  Dim m As Long", "Sub Go()", "x = 1",
                         "\t' a tab", "     If x Then y = 2", "End Sub", "Sub Plain()", "    x = 1",
                         "End Sub"}));
    EXPECT_EQ(r.out,
              "modA  (modA.bas)\n  unnumbered Go\nChanged 1 routine in 1 module; 0 refused.\n");
}

// The IDE's tab width is read when a routine is numbered; a stored width
// that is not a number stops the run of each module with a routine to
// number, after its declarations were tidied. Such a module is left as it
// was; a module that got through is written.
TEST_F(NumberCommandTest, FailureHalfwayWritesNoModulePartially) {
    settings::CRegSettings ide;
    ide.SetCompany("Microsoft");
    ide.SetAppName("VBA");
    ASSERT_TRUE(ide.SaveSetting("Microsoft Visual Basic", "TabWidth", "wide"));
    TempFolder folder = ShapesProject();
    const std::string modA = CrlfLines(
        {"Attribute VB_Name = \"modA\"", "  Dim m As Long", "Sub First()", "Beep", "End Sub"});
    folder.Write("modA.bas", modA);
    folder.Write("frmMain.frm", CrlfLines({"VERSION 5.00", "Begin VB.Form frmMain", "End",
                                           "Attribute VB_Name = \"frmMain\"", "  Dim n As Long",
                                           "Private Sub Form_Load()", "End Sub"}));
    const CliResult r = Run(folder, {"number", "Shapes.vbp"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("modA.bas: routine First: Type mismatch"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("module modA was left as it was"), std::string::npos) << r.err;
    EXPECT_EQ(folder.Read("modA.bas"), modA);
    EXPECT_NE(folder.Read("frmMain.frm").find("\r\nDim n As Long\r\n"), std::string::npos)
        << "the module that got through is written";
}

}  // namespace
}  // namespace qv::test
