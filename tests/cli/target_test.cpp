// The target loading, selectors and saving that every command shares, run
// through a small command of this test program that edits at the cursor.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <ostream>

#include "app/cli/command.h"
#include "app/cli/project_target.h"
#include "host/files/temp_files.h"
#include "cli/cli_test_support.h"
#include "cli/code_change_fixture.h"

namespace qv::cli {
namespace {

// "test-edit": reports the selection and inserts a comment above the
// cursor line of the active code pane.
class TestEditCommand : public Command {
  public:
    std::string Name() const override { return "test-edit"; }
    std::string Summary() const override { return "Test: insert a line at the cursor."; }
    void AddOptions(OptionParser& parser) const override { AddTargetOptions(parser); }
    int Run(CommandContext& context) override {
        auto target = LoadTarget(context);
        const Selection s = SelectTarget(context, *target);
        auto& vbe = target->Vbe();
        context.out << "project=" << s.project->Name()
                    << " active=" << vbe.ActiveVBProject()->Name();
        if (s.component != nullptr) {
            context.out << " module=" << s.component->Name()
                        << " selected=" << vbe.SelectedVBComponent()->Name();
        }
        if (!s.routine.empty()) context.out << " routine=" << s.routine << ":" << s.routineKind;
        if (host::CodePane* pane = vbe.ActiveCodePane()) {
            long l1, c1, l2, c2;
            pane->GetSelection(l1, c1, l2, c2);
            context.out << " pane=" << pane->CodeModule().Name() << "@" << l1 << "," << c1;
            pane->CodeModule().InsertLines(l1, "' edited here");
        }
        context.out << '\n';
        return SaveChanges(context, *target);
    }
};
QV_REGISTER_COMMAND("test-edit", TestEditCommand);

}  // namespace
}  // namespace qv::cli

namespace qv::test {
namespace {

class Target : public ::testing::Test {
  protected:
    Target() : copy_(CopyOfFolder(FixtureFolder("Sample"))) {}
    CliResult Run(const std::vector<std::string>& arguments) {
        return RunCliIn(copy_.Path(), arguments);
    }
    TempFolder copy_;
};

TEST_F(Target, WithoutSelectorsTheActiveProject) {
    const CliResult r = Run({"test-edit", "Sample.vbp"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "project=Sample active=Sample\n");
}

TEST_F(Target, ModuleByNameIgnoringCase) {
    const CliResult r = Run({"test-edit", "Sample.vbp", "--module", "ccounter", "--dry-run"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1),
              "project=Sample active=Sample module=CCounter selected=CCounter pane=CCounter@1,1\n");
}

TEST_F(Target, RoutineWithAndWithoutAccessor) {
    CliResult r = Run({"test-edit", "Sample.vbp", "--routine", "value:get", "--dry-run"});
    EXPECT_EQ(r.code, 0) << r.err;
    // The cursor stands on the declaration line; the module was found by the routine.
    EXPECT_NE(r.out.find("module=CCounter selected=CCounter routine=value:3 pane=CCounter@7,1"),
              std::string::npos)
        << r.out;
    r = Run({"test-edit", "Sample.vbp", "--routine", "Value"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("has several accessors; name one as Value:Get, :Let or :Set"),
              std::string::npos)
        << r.err;
    r = Run({"test-edit", "Sample.vbp", "--routine", "Add", "--module", "modUtil", "--dry-run"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("routine=Add:0 pane=modUtil@8,1"), std::string::npos) << r.out;
    r = Run({"test-edit", "Sample.vbp", "--routine", "Value:Fetch"});
    EXPECT_EQ(r.code, 2);
    r = Run({"test-edit", "Sample.vbp", "--routine", "Nowhere"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("there is no routine \"Nowhere\" in project Sample"), std::string::npos)
        << r.err;
}

TEST_F(Target, LineSetsTheCursorOfTheActiveCodePane) {
    CliResult r = Run({"test-edit", "Sample.vbp", "--module", "modUtil", "--line", "13"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("pane=modUtil@13,1"), std::string::npos) << r.out;
    EXPECT_EQ(copy_.Read("modUtil.bas").find("' edited here\r\nPublic Sub Report"),
              copy_.Read("modUtil.bas").find("' edited here"));
    r = Run({"test-edit", "Sample.vbp", "--module", "modUtil", "--line", "900"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("--line 900 is past the end of module modUtil"), std::string::npos)
        << r.err;
    EXPECT_EQ(Run({"test-edit", "Sample.vbp", "--line", "3"}).code, 2);
    EXPECT_EQ(Run({"test-edit", "Sample.vbp", "--module", "modUtil", "--line", "0"}).code, 2);
    r = Run({"test-edit", "Sample.vbp", "--routine", "Report", "--line", "3"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("is not in routine Report"), std::string::npos) << r.err;
}

TEST_F(Target, UnknownProjectOrModuleNamesTheChoices) {
    CliResult r = Run({"test-edit", "Sample.vbp", "--project", "Other"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("there is no project named \"Other\"; the projects are: Sample"),
              std::string::npos)
        << r.err;
    r = Run({"test-edit", "Sample.vbp", "--module", "modGone"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(
        r.err.find("has no module named \"modGone\"; its modules are: modUtil, CCounter, frmMain"),
        std::string::npos)
        << r.err;
}

TEST_F(Target, SaveKeepsHiddenLinesAndRefusesReadOnlyModules) {
    CliResult r = Run({"test-edit", "Sample.vbp", "--module", "frmMain", "--line", "3"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string form = copy_.Read("frmMain.frm");
    EXPECT_NE(form.find("Attribute VB_Exposed = False\r\nOption Explicit\r\n\r\n' edited here\r\n"
                        "Private WithEvents mCounter As CCounter\r\n"
                        "Attribute mCounter.VB_VarHelpID = -1\r\n"),
              std::string::npos)
        << form;

    ::chmod(copy_.File("CCounter.cls").c_str(), 0444);
    const std::string before = copy_.Read("CCounter.cls");
    for (const char* dry : {"--dry-run", "--format=text"}) {
        r = Run({dry, "test-edit", "Sample.vbp", "--module", "CCounter"});
        EXPECT_EQ(r.code, 3) << dry;
        EXPECT_NE(r.err.find("CCounter.cls: the module CCounter is read-only"), std::string::npos)
            << r.err;
        EXPECT_EQ(copy_.Read("CCounter.cls"), before);
    }
}

TEST_F(Target, MissingFileWarnsAndTheRestLoads) {
    copy_.Write("Sample.vbp",
                "Type=Exe\r\nModule=modGone; gone.bas\r\n" + copy_.Read("Sample.vbp").substr(10));
    std::filesystem::rename(copy_.Path() / "Sample.vbp", copy_.Path() / "SAMPLE.VBP");
    const CliResult r = Run({"list", "SAMPLE.VBP"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err,
              "qvaddin: warning: SAMPLE.VBP:2: Module file \"gone.bas\" is not there; the project "
              "is loaded without it (restore the file or remove the line)\n");
    EXPECT_NE(r.out.find("frmMain (Form)"), std::string::npos);
}

TEST_F(Target, ABrokenProjectFileStopsTheCommandAndChangesNothing) {
    TempFolder folder = CopyOfFolder(FixtureFolder("Sample"));
    const std::string bytes = "Type=Exe\r\nModule=modUtil; modUtil.bas\r\nrubbish\r\n";
    folder.Write("Sample.vbp", bytes);
    const CliResult r = RunCliIn(folder.Path(), {"test-edit", "Sample.vbp", "--module", "CCounter"});
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.err.rfind("qvaddin: Sample.vbp:3: this line is not \"Key=Value\"", 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(folder.Read("Sample.vbp"), bytes);
    EXPECT_EQ(folder.Read("CCounter.cls"), ReadFile(FixtureFolder("Sample") / "CCounter.cls"));
}

// A module file that cannot be modelled is reported and left as it is; the
// command does the rest and exits 3.
class BrokenModule : public CodeChangeTest {};

TEST_F(BrokenModule, IsReportedLeftAloneAndTheRestDone) {
    struct Case {
        std::string file;
        std::string bytes;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"modUtil.bas", "", "modUtil.bas: the file is empty"},
        {"modUtil.bas", std::string("\0\0\0\0", 4), "modUtil.bas: the file holds NUL bytes"},
        {"modUtil.bas", "Option Explicit\r\nSub A()\r\nEnd Sub\r\n",
         "modUtil.bas:1: there is no Attribute VB_Name"},
        {"modUtil.bas", "Attribute VB_Name = \"modUtil\"\r\nSub A()\r\n    x = 1\r\n",
         "modUtil.bas:2: the Sub A declared here has no End Sub line"},
        {"frmMain.frm",
         "VERSION 5.00\r\nBegin VB.Form frmMain\r\n   Caption = \"x\"\r\nAttribute VB_Name = "
         "\"frmMain\"\r\n",
         "frmMain.frm:2: the designer block"},
        {"modUtil.bas",
         "Attribute VB_Name = \"modUtil\"\r\n' " + std::string(1 << 20, 'x') + "\r\n",
         "modUtil.bas:2: this line is 1048578 bytes long"},
    };
    for (const Case& c : cases) {
        TempFolder folder = CopyOfFolder(FixtureFolder("Sample"));
        folder.Write(c.file, c.bytes);
        const std::string name = c.file.substr(0, c.file.find('.'));
        const CliResult added = RunCliIn(folder.Path(), {"add", "Sample.vbp"});
        EXPECT_EQ(added.code, 3) << c.message;
        EXPECT_NE(added.err.find("qvaddin: " + c.message), std::string::npos) << added.err;
        EXPECT_NE(added.err.find("; module " + name + " of project Sample is left out"),
                  std::string::npos)
            << added.err;
        EXPECT_EQ(folder.Read(c.file), c.bytes);
        EXPECT_NE(folder.Read("CCounter.cls"),
                  qv::test::ReadFile(FixtureFolder("Sample") / "CCounter.cls"))
            << "the other modules are done";

        const CliResult listed = RunCliIn(folder.Path(), {"--format", "json", "list", "Sample.vbp"});
        EXPECT_EQ(listed.code, 3);
        Json errors = ParseJson(listed.out)["errors"];
        ASSERT_EQ(errors.size(), 1);
        EXPECT_EQ(errors[0]["module"].get<std::string>(), name);
        EXPECT_EQ(errors[0]["file"].get<std::string>(), c.file);
        EXPECT_EQ(errors[0]["error"].get<std::string>().rfind(c.message, 0), 0u);
        const CliResult picked = RunCliIn(folder.Path(), {"tidy", "Sample.vbp", "--module", name});
        EXPECT_EQ(picked.code, 3);
        EXPECT_NE(picked.err.find("module " + name + " could not be loaded: " + c.message),
                  std::string::npos)
            << picked.err;
    }
}

TEST_F(Target, LooseModulesAndAGroup) {
    CliResult r = Run({"list", "modUtil.bas", "CCounter.cls"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
              copy_.Path().filename().string() + " (Standard EXE)");
    copy_.Write("Two/Two.vbp",
                "Type=OleDll\r\nModule=modUtil; ..\\modUtil.bas\r\nName=\"Two\"\r\n");
    copy_.Write("All.vbg", "VBGROUP 5.0\r\nProject=Sample.vbp\r\nStartupProject=Two\\Two.vbp\r\n");
    r = Run({"test-edit", "All.vbg", "--module", "modUtil", "--line", "1"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "project=Two active=Two module=modUtil selected=modUtil pane=modUtil@1,1\n");
    EXPECT_EQ(copy_.Read("modUtil.bas").find("' edited here"),
              copy_.Read("modUtil.bas").find("Option Explicit") - 15);
    r = Run({"list", "All.vbg", "--project", "sample", "--format", "json"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.find("\"Two\""), std::string::npos) << r.out;
}

TEST(Cli, WholeFailuresSayItInJsonToo) {
    // Scripts that read JSON got nothing on standard output for exit 2 and 3.
    for (const auto& [arguments, code] :
         std::vector<std::pair<std::vector<std::string>, int>>{
             {{"--format", "json", "list", "--no-such-option", "x.vbp"}, 2},
             {{"list", "--format=json", "no/such/project.vbp"}, 3}}) {
        const CliResult r = RunCli(arguments);
        EXPECT_EQ(r.code, code);
        Json error = ParseJson(r.out)["error"];
        EXPECT_EQ(error["code"].get<int>(), code);
        EXPECT_FALSE(error["message"].get<std::string>().empty());
        EXPECT_NE(r.err.find(error["message"].get<std::string>()), std::string::npos)
            << "the same message on standard error";
    }
    EXPECT_EQ(RunCli({"list", "no/such/project.vbp"}).out, "") << "text output stays quiet";
}

TEST_F(Target, ControlCharactersNeverReachTheTerminal) {
    // A module name, a path and an argument that would recolour the terminal
    // and set its title.
    const std::string escape = "\x1b[31m\x1b]0;owned\x07";
    copy_.Write("modEsc.bas", "Attribute VB_Name = \"mod" + escape + "Esc\"\r\nSub A()\r\nEnd Sub\r\n");
    CliResult r = Run({"list", "modEsc.bas"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_NE(r.out.find("mod\\x1b[31m\\x1b]0;owned\\x07Esc"), std::string::npos) << r.out;
    r = Run({"list", "gone" + escape + ".vbp"});
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
    EXPECT_NE(r.err.find("gone\\x1b[31m"), std::string::npos) << r.err;
    r = Run({"no-such-command" + escape});
    EXPECT_EQ(r.err.find('\x07'), std::string::npos);
    // The JSON keeps the name as it is (escaped the JSON way).
    r = Run({"--format", "json", "list", "modEsc.bas"});
    EXPECT_NE(r.out.find("\\u001b[31m"), std::string::npos) << r.out;
}

// The machine's part of this process's temporary names.
std::string OwnHostHash() {
    const std::string name = host::files::TempFileTemplate("x");
    return name.substr(name.size() - 7 - 8, 8);  // before "-XXXXXX"
}

TEST_F(Target, LeftoversOfAKilledRunAreRemovedWithANote) {
    // A temporary file of a writer that no longer runs (pid 1 never writes
    // here, and its start time differs), and one that is not ours.
    copy_.Write(".modUtil.bas.qvaddin-999999999.1.00000000-AbC123", "foreign host");
    const std::string ours = ".modUtil.bas.qvaddin-999999998.1." + OwnHostHash() + "-AbC123";
    copy_.Write(ours, "left by a killed run");
    // Removed by a command that writes there (work that only reads leaves
    // the folder alone).
    EXPECT_EQ(Run({"list", "Sample.vbp"}).code, 0);
    EXPECT_TRUE(std::filesystem::exists(copy_.File(ours)));
    const CliResult r = Run({"tidy", "Sample.vbp"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("qvaddin: note: removed " + ours + ", a temporary file"), std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(copy_.File(ours)));
    EXPECT_TRUE(std::filesystem::exists(copy_.File(".modUtil.bas.qvaddin-999999999.1.00000000-AbC123")));
}

}  // namespace
}  // namespace qv::test
