// The target loading, selectors and saving that every command shares, run
// through a small command of this test program that edits at the cursor.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <ostream>

#include "app/cli/command.h"
#include "app/cli/project_target.h"
#include "cli/cli_test_support.h"

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

}  // namespace
}  // namespace qv::test
