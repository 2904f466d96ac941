// The code window's commands through the catalogue: the routine at the
// cursor of the active code pane, the cursor put back, and the refusals shown
// where the add-in shows them (message 4 as a plain box, a routine's reason at
// the mouse pointer without a title), or only reported when asked.

#include <gtest/gtest.h>

#include "errorhandling/handler_test_support.h"
#include "host/memory/memory_host.h"
#include "shell/command_catalogue.h"

namespace qv::shell {
namespace {

using qv::test::Vb;

class CodeWindowCommands : public errorhandling::test::HandlerTest {
  protected:
    void SetUp() override {
        HandlerTest::SetUp();
        component_ = &fx.Add("modA", host::vbext_ct_StdModule,
                             Vb({"Option Explicit", "  Dim m As Long", "", "Sub Go()", "x = 1",
                                 "End Sub", "Sub Resumes()", "    On Error Resume Next", "End Sub",
                                 "Property Get P() As Long", "P = m", "End Property",
                                 "Property Let P(ByVal v As Long)", "m = v", "End Property"}));
        component_->AddFile("modA.bas");
        fx.Vbe().SetActiveCodePane(&fx.Module("modA").CodePane());
    }

    CommandResult RunAt(CommandId id, long line, bool showMessages = true) {
        host::CodePane& pane = fx.Module("modA").CodePane();
        pane.SetSelection(line, 2, line, 3);
        pane.SetTopLine(2);
        CommandContext context{
            .vbe = fx.Vbe(), .showMessages = showMessages, .settings = Settings()};
        return Execute(id, context);
    }
    std::string Line(long n) { return fx.Module("modA").Lines(n, 1); }
    std::vector<long> Cursor() {
        long sl = 0, sc = 0, el = 0, ec = 0;
        fx.Module("modA").CodePane().GetSelection(sl, sc, el, ec);
        return {sl, sc, el, ec, fx.Module("modA").CodePane().TopLine()};
    }

    host::memory::MemoryComponent* component_ = nullptr;
};

TEST_F(CodeWindowCommands, AddInsertsIntoTheRoutineAtTheCursor) {
    const CommandResult result = RunAt(CommandId::CodeAdd, 5);
    ASSERT_EQ(result.run.modules.size(), 1u);
    ASSERT_EQ(result.run.modules[0].routines.size(), 1u);
    EXPECT_EQ(result.run.modules[0].routines[0].name, "Go");
    EXPECT_TRUE(result.run.modules[0].routines[0].changed);
    EXPECT_NE(fx.Text("modA").find("On Error GoTo Error_Routine"), std::string::npos);
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(CodeWindowCommands, ARefusalIsShownAtThePointerWithoutTitle) {
    const std::string before = fx.Text("modA");
    RunAt(CommandId::CodeAdd, 8);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].prompt,
              "Some Error handling may exist in this procedure: remove it first.");
    EXPECT_EQ(services.messages[0].buttons, 4160);
    EXPECT_EQ(services.messages[0].title, "");
    EXPECT_TRUE(services.messages[0].atCursor);
    EXPECT_EQ(fx.Text("modA"), before);
}

TEST_F(CodeWindowCommands, ARefusalIsOnlyReportedWhenAsked) {
    const CommandResult result = RunAt(CommandId::CodeAdd, 8, false);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(result.run.modules[0].routines[0].refusal,
              "Some Error handling may exist in this procedure: remove it first.");
}

TEST_F(CodeWindowCommands, AReadOnlyModuleIsRefusedWithMessageFour) {
    services.readOnlyFiles.insert("modA.bas");
    const std::string before = fx.Text("modA");
    for (CommandId id : {CommandId::CodeAdd, CommandId::CodeLine, CommandId::CodeTidy,
                         CommandId::CodeRemove, CommandId::CodeUnnumber}) {
        services.messages.clear();
        EXPECT_TRUE(RunAt(id, 5).run.refused) << Info(id).name;
        ASSERT_EQ(services.messages.size(), 1u) << Info(id).name;
        EXPECT_EQ(services.messages[0].prompt, "A read-only module cannot be updated.");
        EXPECT_EQ(services.messages[0].buttons, mb::kExclamation + mb::kSystemModal);
        EXPECT_EQ(services.messages[0].title, "Brell's Add-In");
    }
    EXPECT_EQ(fx.Text("modA"), before);
}

TEST_F(CodeWindowCommands, TheDeclarationsGetNoHandlerAndNoNumbersButATidy) {
    const std::string before = fx.Text("modA");
    EXPECT_TRUE(RunAt(CommandId::CodeAdd, 2).run.modules[0].routines.empty());
    EXPECT_TRUE(RunAt(CommandId::CodeLine, 2).run.modules[0].routines.empty());
    EXPECT_EQ(fx.Text("modA"), before);
    // Each says why it did nothing there.
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(services.messages[0].prompt, "Select a procedure first.");
    EXPECT_EQ(services.messages[1].prompt, "Select a procedure first.");
    RunAt(CommandId::CodeTidy, 2);
    EXPECT_EQ(Line(2), "Dim m As Long");
    EXPECT_EQ(Line(5), "x = 1") << "the routines are not touched";
    EXPECT_EQ(services.messages.size(), 2u) << "tidy had the declarations to do";
}

TEST_F(CodeWindowCommands, LineNumbersAndTidyPutTheCursorBack) {
    RunAt(CommandId::CodeLine, 5);
    EXPECT_EQ(Line(5), "1   x = 1");
    EXPECT_EQ(Cursor(), (std::vector<long>{5, 2, 5, 3, 2}));
    RunAt(CommandId::CodeTidy, 14);
    EXPECT_EQ(Line(14), "    m = v") << "the Let below the Get";
    EXPECT_EQ(Line(11), "P = m");
    EXPECT_EQ(Cursor(), (std::vector<long>{14, 2, 14, 3, 2}));
    RunAt(CommandId::CodeUnnumber, 5);
    EXPECT_EQ(Line(5), "x = 1");
}

TEST_F(CodeWindowCommands, AModuleWithoutRoutines) {
    fx.Module("modA").LoadText(Vb({"  Dim a", "", "' the end"}));
    RunAt(CommandId::CodeAdd, 3);
    EXPECT_EQ(fx.Text("modA"), Vb({"  Dim a", "", "' the end"}));
    EXPECT_NO_THROW(RunAt(CommandId::CodeTidy, 3));
    EXPECT_EQ(fx.Text("modA"), Vb({"Dim a", "", "' the end"}));
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].prompt, "Select a procedure first.");
}

TEST_F(CodeWindowCommands, NothingWithoutACodePane) {
    fx.Vbe().SetActiveCodePane(nullptr);
    const std::string before = fx.Text("modA");
    CommandContext context{.vbe = fx.Vbe(), .settings = Settings()};
    for (CommandId id : {CommandId::CodeAdd, CommandId::CodeLine, CommandId::CodeTidy}) {
        EXPECT_TRUE(Execute(id, context).run.modules.empty());
    }
    EXPECT_EQ(fx.Text("modA"), before);
}

}  // namespace
}  // namespace qv::shell
