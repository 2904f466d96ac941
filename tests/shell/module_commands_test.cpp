// The module and project commands: which routines they touch, what the
// status window shows, what they pass over, and what they report.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "errorhandling/default_templates.h"
#include "host/memory/memory_host.h"
#include "settings/settings_record.h"
#include "shell/command_catalogue.h"
#include "shell/module_commands.h"
#include "support/recording_services.h"
#include "support/settings_home.h"
#include "support/vb_fixture.h"

namespace qv::shell {
namespace {

using qv::test::Vb;

// Every call to the status window, as text.
class RecordingStatusWindow : public StatusWindow {
  public:
    void SetTitle(std::string_view title) override { Log("title " + std::string(title)); }
    void SetLabel(std::string_view label) override {
        Log("label " + std::string(label));
        if (onLabel) onLabel(label);
    }
    void SetBarMax(int bar, int max) override { Log(Bar(bar) + " max " + std::to_string(max)); }
    void SetBarValue(int bar, int value) override { Log(Bar(bar) + " " + std::to_string(value)); }
    void SetBarVisible(int bar, bool visible) override {
        Log(Bar(bar) + (visible ? " shown" : " hidden"));
    }
    void Show() override { Log("show"); }
    void Unload() override { Log("unload"); }

    std::vector<std::string> calls;
    // What the events that run during a command do.
    std::function<void(std::string_view label)> onLabel;

  private:
    static std::string Bar(int bar) { return bar == 0 ? "components" : "routines"; }
    void Log(std::string call) { calls.push_back(std::move(call)); }
};

class WindowServices : public qv::test::RecordingServices {
  public:
    StatusWindow& GetStatusWindow() override { return window; }
    RecordingStatusWindow window;
};

class ModuleCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        Settings().comment = 1;
        Settings().select = 1;
        Settings().header = 1;
        Settings().ten = 0;
        modA_ = &fx.Add("modA", host::vbext_ct_StdModule,
                        Vb({"Option Explicit", "  Dim m As Long", "", "Sub Go()", "x = 1",
                            "End Sub", "", "Sub ErrorSave()", "End Sub", "",
                            "Function Done() As Boolean", "On Error Resume Next", "End Function"}));
        modA_->AddFile("modA.bas");
        fx.Vbe().SetActiveProject(&fx.Project());
        fx.Vbe().SetSelectedComponent(modA_);
    }

    // "name: done" or "name: refused <reason>" for every routine that did
    // or refused something.
    static std::vector<std::string> Summary(const ModuleOutcome& module) {
        std::vector<std::string> lines;
        for (const RoutineOutcome& r : module.routines) {
            if (r.changed) lines.push_back(r.name + ": " + r.done);
            if (!r.refusal.empty()) lines.push_back(r.name + ": refused " + r.refusal);
        }
        return lines;
    }

    WindowServices services;
    qv::test::DefaultTemplates defaults;
    settings::SettingsRecord& Settings() { return defaults.Record(); }
    qv::test::VbFixture fx;
    host::memory::MemoryComponent* modA_ = nullptr;

  private:
    qv::test::SettingsHome settingsHome_;
};

TEST_F(ModuleCommands, ModuleAddGivesEveryRoutineAHandlerAndReportsRefusals) {
    const RunOutcome outcome = RunModuleCommand(fx.Vbe(), ModuleCommand::Add, Settings());
    ASSERT_EQ(outcome.modules.size(), 1u);
    EXPECT_EQ(Summary(outcome.modules[0]),
              (std::vector<std::string>{
                  "Go: added",
                  "ErrorSave: refused Standard Error Handling should not be added to ErrorSave.",
                  "Done: refused Some Error handling may exist in this procedure: remove it "
                  "first."}));
    EXPECT_EQ(fx.Module("modA").Lines(5, 1), "    On Error GoTo Error_Routine");
    EXPECT_EQ(fx.Module("modA").Lines(2, 1), "  Dim m As Long") << "declarations untouched";
    EXPECT_TRUE(services.messages.empty()) << "refusals are not shown in module runs";
    EXPECT_EQ(services.window.calls,
              (std::vector<std::string>{"title Adding Module Error Handling to modA",
                                        "label Listing Procedures", "routines hidden", "show",
                                        "routines max 4", "routines shown", "label (Declarations)",
                                        "routines 0", "label Go", "routines 1", "label ErrorSave",
                                        "routines 2", "label Done", "routines 3", "unload"}));
}

// The run returns the refusal; the command shows message 4, unless its
// caller reports outcomes itself.
TEST_F(ModuleCommands, ReadOnlyModuleIsRefusedWithMessage4) {
    services.readOnlyFiles.insert("modA.bas");
    const std::string before = fx.Text("modA");
    const RunOutcome outcome = RunModuleCommand(fx.Vbe(), ModuleCommand::Line, Settings());
    EXPECT_TRUE(outcome.refused);
    EXPECT_TRUE(services.messages.empty());
    CommandContext quiet{.vbe = fx.Vbe(), .showMessages = false, .settings = Settings()};
    EXPECT_TRUE(Execute(CommandId::ModuleLine, quiet).run.refused);
    EXPECT_TRUE(services.messages.empty());
    for (CommandId id : {CommandId::ModuleLine, CommandId::ModuleUnnumber}) {
        CommandContext context{.vbe = fx.Vbe(), .settings = Settings()};
        EXPECT_TRUE(Execute(id, context).run.refused);
    }
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(services.messages[0].prompt, "A read-only module cannot be updated.");
    EXPECT_EQ(fx.Text("modA"), before);
    EXPECT_TRUE(services.window.calls.empty());
}

TEST_F(ModuleCommands, ModuleLineNumbersRoutinesAndTidiesDeclarations) {
    const RunOutcome outcome = RunModuleCommand(fx.Vbe(), ModuleCommand::Line, Settings());
    EXPECT_EQ(
        Summary(outcome.modules[0]),
        (std::vector<std::string>{"(Declarations): tidied", "Go: numbered", "Done: numbered"}));
    EXPECT_EQ(fx.Text("modA"),
              Vb({"Option Explicit", "Dim m As Long", "", "Sub Go()", "1   x = 1", "End Sub", "",
                  "Sub ErrorSave()", "End Sub", "", "Function Done() As Boolean",
                  "    On Error Resume Next", "End Function"}));
    EXPECT_EQ(services.window.calls.front(), "title Adding Module Line Numbers to modA");
}

TEST_F(ModuleCommands, ProjectRunPassesOverReadOnlyRelatedAndCodelessComponents) {
    auto& locked = fx.Add("modLocked", host::vbext_ct_StdModule, Vb({"Sub L()", "End Sub"}));
    locked.AddFile("modLocked.bas");
    services.readOnlyFiles.insert("modLocked.bas");
    fx.Add("Notes", host::vbext_ct_RelatedDocument, "");
    auto& form = fx.Add("frmMain", host::vbext_ct_VBForm,
                        Vb({"Private Sub Form_Load()", "Show", "End Sub"}));
    const std::string lockedBefore = fx.Text("modLocked");

    const RunOutcome outcome = RunProjectCommand(fx.Vbe(), ModuleCommand::Tidy, Settings());
    ASSERT_EQ(outcome.modules.size(), 4u);
    EXPECT_EQ(outcome.modules[1].skipped, Skip::ReadOnly);
    EXPECT_EQ(outcome.modules[2].skipped, Skip::RelatedDocument);
    EXPECT_EQ(Summary(outcome.modules[3]), (std::vector<std::string>{"Form_Load: tidied"}));
    EXPECT_EQ(fx.Text("modLocked"), lockedBefore);
    EXPECT_EQ(form.Code()->Lines(2, 1), "    Show");
    EXPECT_TRUE(services.messages.empty());

    const auto& calls = services.window.calls;
    EXPECT_EQ(calls[0], "title Tidying Project Project1");
    EXPECT_EQ(calls[1], "components max 5");
    // The read-only module is not counted: the related document is number 2.
    const std::vector<std::string> counted({"components 1", "components 2", "components 3"});
    std::vector<std::string> seen;
    for (const std::string& c : calls) {
        if (c.rfind("components ", 0) == 0 && c.find("max") == std::string::npos &&
            c != "components shown") {
            seen.push_back(c);
        }
    }
    EXPECT_EQ(seen, counted);
    EXPECT_NE(std::find(calls.begin(), calls.end(), "label frmMain: Form_Load"), calls.end());
    EXPECT_EQ(calls.back(), "unload");
}

// The GUI lets events run while a long command works; a command that they
// start runs on its own state and leaves the outer one's as it was.
TEST_F(ModuleCommands, ACommandStartedWhileAnotherRunsDisturbsNeither) {
    const std::string untidy = Vb({"  Dim m As Long", "Sub Go()", "If m Then", "Select Case m",
                                   "Case 1", "m = 2", "End Select", "End If", "End Sub"});
    const std::string tidied =
        Vb({"Dim m As Long", "Sub Go()", "    If m Then", "        Select Case m",
            "            Case 1", "                m = 2", "        End Select", "    End If",
            "End Sub"});
    fx.Module("modA").LoadText(untidy);
    auto& modB = fx.Add("modB", host::vbext_ct_StdModule, untidy);
    bool nested = false;
    services.window.onLabel = [&](std::string_view label) {
        if (nested || label != "Go") return;
        nested = true;
        fx.Vbe().SetSelectedComponent(&modB);
        CommandContext inner{.vbe = fx.Vbe(), .settings = Settings()};
        Execute(CommandId::ModuleTidy, inner);
        fx.Vbe().SetSelectedComponent(modA_);
    };
    CommandContext outer{.vbe = fx.Vbe(), .settings = Settings()};
    const RunOutcome outcome = Execute(CommandId::ModuleTidy, outer).run;
    ASSERT_TRUE(nested);
    EXPECT_EQ(Summary(outcome.modules.at(0)),
              (std::vector<std::string>{"(Declarations): tidied", "Go: tidied"}));
    EXPECT_EQ(fx.Text("modA"), tidied);
    EXPECT_EQ(fx.Text("modB"), tidied);
}

// An action that fails at the routine named Broken, after the routines
// before it got their handler.
RoutineAction AddOrFail(const settings::SettingsRecord& settings) {
    return [&settings](host::CodeModule& module, const analysis::RoutineEntry& routine) {
        if (routine.name == "Broken") Raise(err::kInvalidProcedureCall, {}, "Test.Broken");
        return RunCommandOn(ModuleCommand::Add, module, routine, settings);
    };
}

TEST_F(ModuleCommands, FailureHalfwayLeavesNoModuleHalfChanged) {
    fx.Module("modA").LoadText(
        Vb({"Sub Go()", "x = 1", "End Sub", "Sub Broken()", "End Sub", "Sub After()", "End Sub"}));
    auto& other = fx.Add("modB", host::vbext_ct_StdModule, Vb({"Sub B()", "End Sub"}));
    const std::string before = fx.Text("modA");
    const RunOutcome outcome =
        RunOnProject(fx.Vbe(), "Testing ", AddOrFail(Settings()), OnModuleFailure::KeepWhole);
    EXPECT_EQ(std::count_if(outcome.modules.begin(), outcome.modules.end(),
                            [](const ModuleOutcome& m) { return m.failure.has_value(); }),
              1);
    ASSERT_TRUE(outcome.modules[0].failure.has_value());
    EXPECT_EQ(outcome.modules[0].failedRoutine, "Broken");
    EXPECT_EQ(outcome.modules[0].failure->Number(), err::kInvalidProcedureCall);
    EXPECT_TRUE(outcome.modules[0].routines.empty());
    EXPECT_EQ(fx.Text("modA"), before);
    EXPECT_TRUE(outcome.modules[1].Changed()) << "the next module is run";
    EXPECT_NE(other.Code()->Lines(2, 1).find("On Error GoTo"), std::string::npos);

    // Passed up, the error goes on, with the run's location, and the
    // lines changed before it stay changed.
    try {
        RunOnModule(fx.Vbe(), "Testing ", AddOrFail(Settings()));
        FAIL() << "the error was swallowed";
    } catch (const VbError& e) {
        EXPECT_NE(e.Source().find("clsVBEEvents.RunOnModule("), std::string::npos) << e.Source();
        EXPECT_NE(e.Source().find("Test.Broken"), std::string::npos) << e.Source();
    }
    EXPECT_NE(fx.Text("modA"), before);
    EXPECT_FALSE(fx.Module("modA").InTransaction());
    EXPECT_EQ(services.window.calls.back(), "unload") << "the window goes however the run ends";
}

// A project run tells of each module it ran as soon as its run ends
// (changed, or put back after a failure), before the next one starts; the
// caller may let the module's code go then, and the run goes on.
TEST_F(ModuleCommands, EachModuleIsToldAsItsRunEnds) {
    fx.Module("modA").LoadText(Vb({"Sub Go()", "x = 1", "End Sub", "Sub Broken()", "End Sub"}));
    auto& modB = fx.Add("modB", host::vbext_ct_StdModule, Vb({"Sub B()", "End Sub"}));
    fx.Project().AddComponent("Notes", host::vbext_ct_RelatedDocument);
    std::vector<std::string> told;
    const RunOutcome outcome = RunOnProject(
        fx.Vbe(), "Testing ", AddOrFail(Settings()), OnModuleFailure::KeepWhole, nullptr,
        [&](ModuleOutcome& module) {
            auto& component = static_cast<host::memory::MemoryComponent&>(*module.component);
            told.push_back(component.Name() + (module.failure ? " failed" : "") +
                           (module.Changed() ? " changed" : "") +
                           (component.Code()->InTransaction() ? " still open" : ""));
            component.ReleaseCode();
        });
    EXPECT_EQ(told, (std::vector<std::string>{"modA failed", "modB changed"}))
        << "a related document is passed over, not told of";
    EXPECT_EQ(outcome.modules.size(), 3u);
    EXPECT_EQ(modB.Code(), nullptr);
}


// A project of many modules run side by side comes out as one run in turn:
// the same texts, outcomes and failures, and each module told in the
// project's order, whichever thread ran it and whenever it ended. The
// modules differ in length, so that the threads finish them out of order.
TEST_F(ModuleCommands, SideBySideRunIsTheRunInTurn) {
    const auto fill = [](qv::test::VbFixture& into, qv::test::RecordingServices& files) {
        for (int m = 0; m < 48; ++m) {
            std::vector<std::string> lines{"Option Explicit", "  Dim m As Long"};
            for (int r = 0; r < 1 + (m * 7) % 23; ++r) {
                const std::string name = (m % 11 == 5 && r == 1) ? "Broken" : "R" + std::to_string(r);
                lines.insert(lines.end(), {"Sub " + name + "()", "If m Then", "x = " +
                                           std::to_string(r), "End If", "End Sub", ""});
            }
            const std::string name = "mod" + std::to_string(m);
            auto& c = into.Add(name, m % 13 == 4 ? host::vbext_ct_RelatedDocument
                                                 : host::vbext_ct_StdModule,
                               m % 13 == 4 ? "" : Vb(lines));
            c.AddFile(name + ".bas");
            if (m % 17 == 3) files.readOnlyFiles.insert(name + ".bas");
        }
    };
    // What each module came to, in the order told, and the outcomes.
    const auto run = [&](qv::test::VbFixture& on, const RoutineAction& action, bool sideBySide) {
        std::vector<std::string> told;
        const RunOutcome outcome = RunOnProject(
            on.Vbe(), "Testing ", action, OnModuleFailure::KeepWhole, &on.Project(),
            [&](ModuleOutcome& module) {
                auto& component = static_cast<host::memory::MemoryComponent&>(*module.component);
                told.push_back(component.Name() + (module.failure ? " failed at " +
                                                                        module.failedRoutine
                                                                  : "") +
                               "\n" + on.Text(component.Name()));
            },
            sideBySide);
        for (const ModuleOutcome& m : outcome.modules) {
            told.push_back(std::to_string(static_cast<int>(m.skipped)));
            for (const std::string& line : Summary(m)) told.push_back(line);
        }
        return told;
    };
    for (const ModuleCommand command : {ModuleCommand::Add, ModuleCommand::Line,
                                        ModuleCommand::Tidy}) {
        qv::test::VbFixture inTurn;
        qv::test::VbFixture together;
        fill(inTurn, services);
        fill(together, services);
        const RoutineAction action = [&](host::CodeModule& module,
                                         const analysis::RoutineEntry& routine) {
            if (routine.name == "Broken") Raise(err::kInvalidProcedureCall, {}, "Test.Broken");
            return RunCommandOn(command, module, routine, Settings());
        };
        const std::vector<std::string> expected = run(inTurn, action, false);
        EXPECT_NE(std::find(expected.begin(), expected.end(), "1"), expected.end())
            << "a read-only module is passed over";
        EXPECT_EQ(run(together, action, true), expected) << static_cast<int>(command);
    }
}

}  // namespace
}  // namespace qv::shell
