// qvaddin add on VB6 files: handlers in every scope, the report of what was
// added and refused, and the round trip with remove.

#include "cli/code_change_fixture.h"

namespace qv::test {
namespace {

class AddCommandTest : public CodeChangeTest {};

// What add reports, and that remove gives the example back, are in the
// stored runs and the property runs; here, how the fresh handlers are judged.
TEST_F(AddCommandTest, FreshHandlersAreJudgedOk) {
    const TempFolder copy = CopyOfFolder(ExampleFolder());
    ASSERT_EQ(Run(copy, {"add", "Example.vbp"}).code, 0);
    // Every fresh handler reads OK / OK; the terminate routine's own block
    // is other error handling.
    Json check = ParseJson(Run(copy, {"--format", "json", "check", "Example.vbp"}).out);
    int judged = 0;
    for (const auto& component : check["projects"][0]["components"]) {
        for (const auto& routine : component["routines"]) {
            Json r = routine;
            const bool terminate = r["name"].get<std::string>() == "Class_Terminate";
            EXPECT_EQ(r["top"].get<std::string>(), terminate ? "SOME" : "OK")
                << r["name"].get<std::string>();
            EXPECT_EQ(r["exit"].get<std::string>(), terminate ? "N/A" : "OK");
            ++judged;
        }
    }
    EXPECT_EQ(judged, 16);
}

TEST_F(AddCommandTest, EveryKindOfModuleAndRefusalsWithTheirReason) {
    const TempFolder shapes = ShapesProject();
    const CliResult r = Run(shapes, {"add", "Shapes.vbp"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "modA  (modA.bas)\n"
              "  added     Go\n"
              "  refused   ErrorSave: Standard Error Handling should not be added to ErrorSave.\n"
              "  refused   Resumes: Some Error handling may exist in this procedure: remove it "
              "first.\n"
              "CTx  (CTx.cls)\n"
              "  added     Class_Terminate\n"
              "  added     Value (Let)\n"
              "  added     Value (Get)\n"
              "  added     Save\n"
              "frmMain  (frmMain.frm)\n"
              "  added     cmdGo_Click\n"
              "  added     mTx_Changed\n"
              "Changed 7 routines in 3 modules; 2 refused.\n");
    const std::string modA = shapes.Read("modA.bas");
    EXPECT_NE(modA.find("' Notes on Go.\r\n    On Error GoTo Error_Routine\r\n\r\n\r\n"
                        "    If x Then Beep\r\n\r\nExit_Routine:\r\n"),
              std::string::npos)
        << modA;
    const std::string tx = shapes.Read("CTx.cls");
    EXPECT_NE(tx.find("Attribute Value.VB_UserMemId = 0\r\n    On Error GoTo Error_Routine\r\n"),
              std::string::npos)
        << "the hidden attribute line stays under the declaration:\n"
        << tx;
    EXPECT_NE(tx.find("    mctxObject.SetComplete\r\n    Exit Function\r\n"), std::string::npos);
    const std::string form = shapes.Read("frmMain.frm");
    EXPECT_NE(form.find("Errorlog \"frmMain.cmdGo_Click\""), std::string::npos);
    EXPECT_NE(form.find("Errorlog \"frmMain.mTx_Changed\""), std::string::npos);
    EXPECT_NE(form.find("\tmTx.Value = 1"), std::string::npos) << "the user's lines stay as read";

    const CliResult again = Run(shapes, {"add", "Shapes.vbp"});
    EXPECT_EQ(again.code, 0);
    EXPECT_NE(again.out.find("Changed 0 routines in 0 modules; 9 refused.\n"), std::string::npos)
        << again.out;
}

TEST_F(AddCommandTest, OneRoutineAndItsRefusal) {
    const TempFolder shapes = ShapesProject();
    const CliResult r = Run(shapes, {"add", "Shapes.vbp", "--routine", "Resumes"});
    EXPECT_EQ(r.code, 1) << "the routine asked for was refused";
    EXPECT_EQ(r.out,
              "modA  (modA.bas)\n"
              "  refused   Resumes: Some Error handling may exist in this procedure: remove it "
              "first.\n"
              "Changed 0 routines in 0 modules; 1 refused.\n");
    EXPECT_EQ(r.err, "") << "no message box on the terminal";

    const CliResult atLine = Run(shapes, {"add", "Shapes.vbp", "--module", "modA", "--line", "9"});
    EXPECT_EQ(atLine.code, 0) << atLine.err;
    EXPECT_NE(atLine.out.find("  added     Go\n"), std::string::npos) << atLine.out;
    EXPECT_EQ(shapes.Read("CTx.cls").find("On Error GoTo"), std::string::npos)
        << "nothing else changed";

    const CliResult declarations =
        Run(shapes, {"add", "Shapes.vbp", "--module", "modA", "--line", "1"});
    EXPECT_EQ(declarations.code, 0);
    EXPECT_NE(declarations.out.find("Nothing to do: line 1 of modA is not inside a routine."),
              std::string::npos)
        << declarations.out;
}

TEST_F(AddCommandTest, ReadOnlyModules) {
    const TempFolder shapes = ShapesProject();
    MakeFileReadOnly(shapes.Path() / "CTx.cls");
    const std::string tx = shapes.Read("CTx.cls");
    const CliResult refused = Run(shapes, {"add", "Shapes.vbp", "--module", "CTx"});
    EXPECT_EQ(refused.code, 3);
    EXPECT_NE(refused.err.find("a read-only module cannot be updated"), std::string::npos)
        << refused.err;

    const CliResult project = Run(shapes, {"add", "Shapes.vbp"});
    EXPECT_EQ(project.code, 0) << project.err;
    EXPECT_NE(project.err.find("CTx.cls is read-only and was skipped"), std::string::npos);
    EXPECT_EQ(shapes.Read("CTx.cls"), tx);
    EXPECT_NE(shapes.Read("modA.bas").find("On Error GoTo Error_Routine"), std::string::npos);
}

TEST_F(AddCommandTest, StoredSettingsThatWouldMakeBadCodeAreRefused) {
    // A label typed into the settings file by hand.
    settings::SystemStore().SaveSetting("ErrorHandling", "label2", "Err Label: x");
    const TempFolder copy = ShapesProject();
    const auto original = Files(copy);
    const CliResult r = Run(copy, {"add", "Shapes.vbp"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("label2 \"Err Label: x\" is not a VB label"), std::string::npos) << r.err;
    EXPECT_EQ(Files(copy), original);
}

TEST_F(AddCommandTest, NoFileIsWrittenThatCouldNotBeReadAgain) {
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

// A dry run's text is in the stored runs; its json, with the diff, is not.
TEST_F(AddCommandTest, DryRunJson) {
    const TempFolder shapes = ShapesProject();
    const auto before = Files(shapes);
    Json json =
        ParseJson(Run(shapes, {"--format", "json", "--dry-run", "add", "Shapes.vbp"}).out);
    EXPECT_EQ(Files(shapes), before);
    EXPECT_EQ(json["changed"].get<int>(), 7);
    EXPECT_EQ(json["refused"].get<int>(), 2);
    EXPECT_NE(json["diff"].get<std::string>().find("+Exit_Routine:"), std::string::npos);
    Json modA = json["modules"][0];
    EXPECT_EQ(modA["file"].get<std::string>(), "modA.bas");
    Json routines = modA["routines"];
    ASSERT_EQ(routines.size(), 3);
    EXPECT_EQ(routines[0]["done"].get<std::string>(), "added");
    EXPECT_EQ(routines[1]["refused"].get<std::string>(),
              "Standard Error Handling should not be added to ErrorSave.");
    EXPECT_EQ(json["modules"][1]["routines"][1]["kind"].get<int>(), 1) << "Value (Let)";
}

}  // namespace
}  // namespace qv::test
