// The commands that change routines, where a run cannot be finished: a
// handler that would make a module line too long or the module too large is
// refused before anything is written, a failure halfway through number
// writes no module in part, and code nested deeper than any real code is
// not tidied. (What the commands write, refuse and say in every scope is in
// the golden run.)

#include "cli/code_change_fixture.h"
#include "host_files/temp_folder.h"
#include "settings/reg_settings.h"

namespace qv::test {
namespace {

class CodeChangeRefusals : public CodeChangeTest {};

TEST_F(CodeChangeRefusals, NoFileIsWrittenThatCouldNotBeReadAgain) {
    TempFolder copy;
    std::vector<std::string> parameters;
    for (int i = 0; i < 20; ++i) parameters.push_back("ByVal Parameter" + std::to_string(i) + " As Long");
    std::string declaration = "Public Sub Wide(";
    for (size_t i = 0; i < parameters.size(); ++i) declaration += (i ? ", " : "") + parameters[i];
    copy.Write("modW.bas", CrlfLines({"Attribute VB_Name = \"modW\"", declaration + ")",
                                      "    Beep", "End Sub"}));
    const auto original = Files(copy);
    // The template's line is short enough, but its placeholders make a line
    // of the handler longer than a module line may be.
    std::string wide = "Debug.Print \"";
    for (int i = 0; i < 300; ++i) wide += "%p";
    ASSERT_EQ(RunCli({"settings", "set", "add4", wide + "\""}).code, 0);
    CliResult r = Run(copy, {"add", "modW.bas"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("modW.bas:10: this line would be"), std::string::npos) << r.err.substr(0, 300);
    EXPECT_NE(r.err.find("a module line may be at most 65,536 bytes"), std::string::npos);
    EXPECT_EQ(Files(copy), original);

    // Many placeholders on short lines would make a handler of megabytes
    // for every routine: refused before it is built.
    std::string many;
    for (int i = 0; i < 3000; ++i) many += "Debug.Print %p\r\n";
    ASSERT_EQ(RunCli({"settings", "set", "add4", many}).code, 0);
    r = Run(copy, {"add", "modW.bas"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("an error handler of more than 256 KB"), std::string::npos)
        << r.err.substr(0, 300);
    EXPECT_EQ(Files(copy), original);
}

// The IDE's tab width is read when a routine is numbered; a stored width
// that is not a number stops the run of each module with a routine to
// number, after its declarations were tidied. Such a module is left as it
// was; a module that got through is written.
TEST_F(CodeChangeRefusals, FailureHalfwayWritesNoModulePartially) {
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

// The refusal's text names where in the code it arose, which the golden run
// would not keep stable.
TEST_F(CodeChangeRefusals, CodeNestedBeyondAnyRealCodeIsRefusedAndTheRestTidied) {
    // Ten thousand nested Ifs took 400 MB of tabs; it ended as an internal error.
    const TempFolder folder = CopyOfFolder(FixtureFolder("Tidy"));
    const std::string deep = folder.Read("modDeep.bas");
    const CliResult r = RunCliIn(folder.Path(), {"tidy", "Deep.vbp"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("modDeep.bas: routine Deep: the code is nested more than 256 levels deep"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(folder.Read("modDeep.bas"), deep);
    EXPECT_NE(folder.Read("modA.bas"), qv::test::ReadFile(FixtureFolder("Tidy") / "modA.bas"))
        << "the rest is tidied";
}

}  // namespace
}  // namespace qv::test
