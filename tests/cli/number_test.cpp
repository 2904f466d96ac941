// qvaddin number on VB6 files: a failure halfway writes no module in part.
// (What number and unnumber write and say is in the golden run.)

#include "cli/code_change_fixture.h"
#include "settings/reg_settings.h"

namespace qv::test {
namespace {

class NumberCommandTest : public CodeChangeTest {};

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
