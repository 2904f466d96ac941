// Commands run on a target named outright, as the command line and the
// language server run them: the project, module, routine (copy by copy) or
// line they name, whatever the IDE's selection and the code pane's cursor
// say, which stay as they were.

#include <gtest/gtest.h>

#include "errorhandling/handler_test_support.h"
#include "host/memory/memory_host.h"
#include "platform/vb_error.h"
#include "shell/command_catalogue.h"

namespace qv::shell {
namespace {

using qv::test::Vb;

class CommandTargets : public errorhandling::test::HandlerTest {
  protected:
    void SetUp() override {
        HandlerTest::SetUp();
        copies_ = &fx.Add("modCopies", host::vbext_ct_StdModule,
                          Vb({"Option Explicit", "#If Win64 Then",
                              "Public Function Peek(ByVal a As LongPtr) As LongPtr", "Peek = a",
                              "End Function", "#Else", "Public Function Peek(ByVal a As Long) As Long",
                              "Peek = a + 0", "End Function", "#End If", "", "Sub Other()",
                              "x = 1", "End Sub"}));
        other_ = &fx.Add("modOther", host::vbext_ct_StdModule,
                         Vb({"Sub Here()", "y = 1", "End Sub"}));
        // The IDE's selection stands on the other module, its cursor at line 2.
        fx.Vbe().SetSelectedComponent(other_);
        fx.Vbe().SetActiveCodePane(&other_->Code()->CodePane());
        other_->Code()->CodePane().SetSelection(2, 3, 2, 4);
        copies_->Code()->CodePane().SetSelection(13, 1, 13, 1);
    }

    CommandResult Run(CommandId id, CommandTarget target) {
        CommandContext context{
            .vbe = fx.Vbe(), .showMessages = false, .target = target, .settings = Settings()};
        return Execute(id, context);
    }
    std::vector<long> CursorOf(host::memory::MemoryComponent& component) {
        long sl = 0, sc = 0, el = 0, ec = 0;
        component.Code()->CodePane().GetSelection(sl, sc, el, ec);
        return {sl, sc, el, ec};
    }
    std::string Line(long n) { return fx.Module("modCopies").Lines(n, 1); }

    host::memory::MemoryComponent* copies_ = nullptr;
    host::memory::MemoryComponent* other_ = nullptr;
};

TEST_F(CommandTargets, ARoutineTargetWorksOnTheCopyItNames) {
    const CommandResult result =
        Run(CommandId::CodeLine, CommandTarget::Routine(*copies_, {"Peek", 0, 1}));
    ASSERT_EQ(result.run.modules.size(), 1u);
    ASSERT_EQ(result.run.modules[0].routines.size(), 1u);
    EXPECT_EQ(result.run.modules[0].component, copies_);
    EXPECT_EQ(result.run.modules[0].routines[0].copy, 1);
    EXPECT_TRUE(result.run.modules[0].routines[0].changed);
    EXPECT_EQ(Line(4), "Peek = a") << "the first copy is left alone";
    EXPECT_EQ(Line(8), "1   Peek = a + 0");
    EXPECT_EQ(fx.Text("modOther"), Vb({"Sub Here()", "y = 1", "End Sub"}));
    EXPECT_EQ(CursorOf(*copies_), (std::vector<long>{13, 1, 13, 1}));
    EXPECT_EQ(CursorOf(*other_), (std::vector<long>{2, 3, 2, 4}));
}

TEST_F(CommandTargets, ALineTargetFindsTheCopyThatHoldsIt) {
    Run(CommandId::CodeAdd, CommandTarget::Line(*copies_, 8));
    const std::string text = fx.Text("modCopies");
    const size_t handler = text.find("On Error GoTo");
    ASSERT_NE(handler, std::string::npos);
    EXPECT_GT(handler, text.find("#Else")) << "the handler went into the second copy";
    EXPECT_EQ(text.find("On Error GoTo", handler + 1), std::string::npos);
    EXPECT_EQ(CursorOf(*other_), (std::vector<long>{2, 3, 2, 4}));
}

TEST_F(CommandTargets, AModuleTargetIsNotTheSelectedComponent) {
    const CommandResult result = Run(CommandId::ModuleLine, CommandTarget::Module(*copies_));
    ASSERT_EQ(result.run.modules.size(), 1u);
    EXPECT_EQ(result.run.modules[0].component, copies_);
    EXPECT_EQ(Line(4), "1   Peek = a");
    EXPECT_EQ(Line(8), "1   Peek = a + 0") << "each copy numbered";
    EXPECT_EQ(fx.Text("modOther"), Vb({"Sub Here()", "y = 1", "End Sub"}));
    EXPECT_EQ(fx.Vbe().SelectedVBComponent(), other_);
}

TEST_F(CommandTargets, AProjectTargetIsNotTheActiveProject) {
    host::memory::MemoryProject& second = fx.Vbe().AddProject("Second");
    host::memory::MemoryComponent& there = second.AddComponent("modThere", host::vbext_ct_StdModule);
    there.Code()->LoadText(Vb({"Sub There()", "z = 1", "End Sub"}));
    fx.Vbe().SetActiveProject(&fx.Project());
    const CommandResult result = Run(CommandId::ProjectLine, CommandTarget::Project(second));
    ASSERT_EQ(result.run.modules.size(), 1u);
    EXPECT_EQ(result.run.modules[0].component, &there);
    EXPECT_EQ(there.Code()->Lines(2, 1), "1   z = 1");
    EXPECT_EQ(Line(13), "x = 1") << "the active project is left alone";
}

TEST_F(CommandTargets, TheCommentStampsTheTargetLineAndLeavesTheCursor) {
    Settings().insert = "' checked";
    const CommandResult result = Run(CommandId::CodeComment, CommandTarget::Line(*copies_, 13));
    ASSERT_EQ(result.run.modules.size(), 1u);
    EXPECT_EQ(result.run.modules[0].component, copies_);
    EXPECT_EQ(Line(13), "x = 1' checked");
    EXPECT_EQ(fx.Text("modOther"), Vb({"Sub Here()", "y = 1", "End Sub"}));
    EXPECT_EQ(CursorOf(*copies_), (std::vector<long>{13, 1, 13, 1}));
}

// A target is the whole of what a command works on: a module command given
// one that names no module refuses, rather than work on the IDE's selection.
TEST_F(CommandTargets, AModuleCommandWithATargetOfNoModuleLeavesTheSelectionAlone) {
    try {
        Run(CommandId::ModuleLine, CommandTarget::Project(fx.Project()));
        FAIL() << "a module command ran without a module";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), err::kObjectRequired);
    }
    EXPECT_EQ(fx.Text("modOther"), Vb({"Sub Here()", "y = 1", "End Sub"}));
}

// Handler changes on one copy of a routine whose other copy differs: each
// step (the decision, the removal, the new handler) works on the copy named.
TEST_F(CommandTargets, ReplaceAndRemoveWorkOnTheCopyNamedThoughTheOtherDiffers) {
    const CommandTarget first = CommandTarget::Routine(*copies_, {"Peek", 0, 0});
    const CommandTarget second = CommandTarget::Routine(*copies_, {"Peek", 0, 1});
    Run(CommandId::CodeAdd, first);
    Run(CommandId::CodeAdd, second);
    // The first copy's exit block gets a line of the user's own.
    host::CodeModule& module = fx.Module("modCopies");
    long line = 1;
    while (module.Lines(line, 1) != "Error_Routine:") ++line;
    module.InsertLines(line + 1, "    LogLocally");
    const auto firstBranch = [&] {
        const std::string text = fx.Text("modCopies");
        return text.substr(0, text.find("#Else"));
    };
    const std::string before = firstBranch();

    Settings().add4 = "Err.Raise Err.Number";
    CommandResult result = Run(CommandId::CodeReplace, second);
    ASSERT_EQ(result.run.modules.size(), 1u);
    EXPECT_EQ(result.run.modules[0].routines[0].done, "replaced")
        << result.run.modules[0].routines[0].refusal;
    EXPECT_EQ(firstBranch(), before);
    std::string text = fx.Text("modCopies");
    EXPECT_NE(text.find("    Err.Raise Err.Number\r\nEnd Function", text.find("#Else")),
              std::string::npos)
        << text;

    result = Run(CommandId::CodeRemove, second);
    EXPECT_EQ(result.run.modules[0].routines[0].done, "removed")
        << result.run.modules[0].routines[0].refusal;
    EXPECT_EQ(firstBranch(), before);
    text = fx.Text("modCopies");
    EXPECT_EQ(text.substr(text.find("#Else")),
              Vb({"#Else", "Public Function Peek(ByVal a As Long) As Long", "Peek = a + 0",
                  "End Function", "#End If", "", "Sub Other()", "x = 1", "End Sub"}));
}

}  // namespace
}  // namespace qv::shell
