// Inserting the standard handler: where the blocks go, how they are laid
// out, which routines refuse them, and the code window's command. The
// handler of each kind of routine as the commands write it, below a
// continued declaration, a comment block and in a terminate routine, is in
// the golden run.

#include <random>

#include "analysis/markers.h"
#include "handler_test_support.h"
#include "host/memory/memory_host.h"
#include "platform/text.h"

namespace qv::errorhandling::test {
namespace {

const std::string kRaiseGo =
    "    Err.Raise Err.Number, \"modA.Go(\" & Erl & \"):\" & Err.Source, Err.Description";

class Insertion : public HandlerTest {};

TEST_F(Insertion, Refusals) {
    fx.Add("modA", host::vbext_ct_StdModule,
           Vb({"Sub ErrorSave()", "End Sub", "Sub Handled()", "on error goto ERROR_ROUTINE",
               "End Sub", "Sub Resumes()", "    On Error Resume Next", "End Sub", "Sub Commented()",
               "    ' On Error Resume Next", "    Rem On Error GoTo 0", "End Sub"}));
    const std::string before = fx.Text("modA");
    EXPECT_EQ(Insert("modA", "ErrorSave"),
              "Standard Error Handling should not be added to ErrorSave.");
    EXPECT_EQ(Insert("modA", "Handled"), "Error handling is already in this procedure!");
    EXPECT_EQ(Insert("modA", "Resumes"),
              "Some Error handling may exist in this procedure: remove it first.");
    EXPECT_EQ(fx.Text("modA"), before) << "a refused routine is not touched";
    EXPECT_EQ(Insert("modA", "Commented"), "") << "statements in comments do not count";
}

// A label that the handler defines (the exit and error labels, in any
// letter case) and that the routine defines already would stand twice: the
// routine is refused with the label named. A label's name elsewhere (in a
// comment, a jump, a continued line) defines nothing.
TEST_F(Insertion, ALabelOfTheHandlerThatTheRoutineDefinesIsRefused) {
    fx.Add("modA", host::vbext_ct_StdModule,
           Vb({"Sub Own()", "    If x Then GoTo Exit_Routine", "Exit_Routine:", "    Beep",
               "End Sub", "Sub Lower()", "  exit_routine: Beep", "End Sub", "Sub ErrorLabel()",
               "Error_Routine:", "End Sub", "Sub Named()", "    ' Exit_Routine: see below",
               "    Call Go(x, _", "Exit_Routine:=1)", "    GoTo Exit_Routine", "End Sub"}));
    const std::string before = fx.Text("modA");
    EXPECT_EQ(Insert("modA", "Own"),
              "Own already has a line labelled Exit_Routine, a label that the handler defines "
              "too, and a second one would not compile: rename the routine's own label first");
    EXPECT_EQ(Insert("modA", "Lower"),
              "Lower already has a line labelled exit_routine, a label that the handler defines "
              "too, and a second one would not compile: rename the routine's own label first");
    EXPECT_NE(Insert("modA", "ErrorLabel").find("labelled Error_Routine"), std::string::npos);
    EXPECT_EQ(fx.Text("modA"), before) << "a refused routine is not touched";
    EXPECT_EQ(Insert("modA", "Named"), "");

    settings::SettingsRecord renamed = Settings();
    renamed.label1 = "Leave_Here";
    std::string message;
    EXPECT_TRUE(AddRoutineErrorHandling(MemberOf("modA", "Own"), 0, renamed, message))
        << "the labels of the settings given count: " << message;
}

// The handler comes from the settings the caller hands over, whatever the
// process-wide settings hold: labels, templates and the omit list.
TEST_F(Insertion, BuildsTheHandlerFromTheSettingsItIsGiven) {
    fx.Add("modA", host::vbext_ct_StdModule,
           Vb({"Sub Go()", "    DoWork", "End Sub", "Sub Skipped()", "End Sub"}));
    settings::SettingsRecord given = Settings();
    given.label1 = "Leave_Here";
    given.label2 = "Trouble";
    given.add2 = "CleanUp";
    given.omit = "Skipped";
    std::string message;
    ASSERT_TRUE(AddRoutineErrorHandling(MemberOf("modA", "Go"), 0, given, message)) << message;
    EXPECT_EQ(fx.Text("modA"), Vb({"Sub Go()", "    On Error GoTo Trouble", "", "    DoWork", "",
                                   "Leave_Here:", "    CleanUp", "    Exit Sub",
                                   "Trouble:", "    Debug.Assert False", kRaiseGo, "End Sub",
                                   "Sub Skipped()", "End Sub"}));
    EXPECT_EQ(Settings().label2, "Error_Routine")
        << "the process-wide record is untouched";

    EXPECT_FALSE(AddRoutineErrorHandling(MemberOf("modA", "Skipped"), 0, given, message));
    EXPECT_EQ(message, "Standard Error Handling should not be added to Skipped.");
    EXPECT_EQ(OnErrorRefusal("On Error GoTo Trouble", given), 2);
    EXPECT_EQ(OnErrorRefusal("On Error GoTo Trouble", Settings()), 3);
}

// The insertion worked out without an edit is the one that is then made:
// each block at its line, the exit block first; a refusal is the same
// refusal with its message number.
TEST_F(Insertion, APlanIsTheInsertionWithoutTheEdit) {
    const std::vector<std::string> code = {"Sub Go()", "' Does it.", "\tDoWork", "End Sub",
                                           "Sub Handled()", "On Error GoTo Error_Routine",
                                           "End Sub"};
    fx.Add("modA", host::vbext_ct_StdModule, Vb(code));
    fx.Add("modB", host::vbext_ct_StdModule, Vb(code));
    std::string message;
    int number = -1;
    const std::optional<HandlerInsertion> plan =
        PlanRoutineErrorHandling(MemberOf("modA", "Go"), 0, Settings(), message, &number);
    ASSERT_TRUE(plan) << message;
    EXPECT_EQ(number, 0);
    EXPECT_EQ(fx.Text("modA"), Vb(code)) << "nothing changed";
    EXPECT_EQ(plan->topLine, 3);
    EXPECT_EQ(plan->exitLine, 4);
    host::CodeModule& planned = fx.Module("modA");
    planned.InsertLines(plan->exitLine, plan->exitText);
    planned.InsertLines(plan->topLine, plan->topText);
    EXPECT_EQ(Insert("modB", "Go"), "");
    EXPECT_EQ(fx.Text("modA"), text::ReplaceAll(fx.Text("modB"), "\"modB.", "\"modA."));

    // Planned with the blocks laid out before, the same.
    fx.Add("modC", host::vbext_ct_StdModule, Vb(code));
    BlockLayouts layouts;
    for (int pass = 0; pass < 2; ++pass) {
        const auto again = PlanRoutineErrorHandling(MemberOf("modC", "Go"), 0, Settings(), message,
                                                    nullptr, &layouts);
        ASSERT_TRUE(again);
        // ... given as shapes and what their literals hold.
        ASSERT_TRUE(again->topBlock && again->exitBlock);
        EXPECT_EQ(again->topText, "");
        EXPECT_EQ(again->exitText, "");
        auto filled = [](const ShapedBlock& block) {
            const std::vector<std::string_view> contents(block.contents.begin(),
                                                         block.contents.end());
            return tidy::FillLiterals(block.shape, contents);
        };
        EXPECT_EQ(filled(*again->topBlock) + "\r\n", plan->topText);
        EXPECT_EQ("\r\n" + filled(*again->exitBlock),
                  text::ReplaceAll(plan->exitText, "\"modA.", "\"modC."));
        EXPECT_EQ(again->exitBlock->shape.find("modC"), std::string::npos);
    }

    EXPECT_FALSE(PlanRoutineErrorHandling(MemberOf("modB", "Handled"), 0, Settings(), message,
                                          &number));
    EXPECT_EQ(number, 2);
    EXPECT_EQ(message, "Error handling is already in this procedure!");
}

// The blocks an insertion lays out, and the lines the host stores for them,
// are kept on the thread from routine to routine: whatever ran before, with
// other settings (select and comment change a layout) or other templates
// (tabs around and in literals, lines that go on), each
// insertion is the one its settings plan when nothing is kept.
TEST_F(Insertion, BlocksKeptFromInsertionToInsertionFollowTheSettings) {
    std::mt19937 random(7);
    const std::vector<std::string> templates = {
        "Debug.Assert False\r\nErr.Raise Err.Number, \"%m.%r(\" & Erl & \"):\", Err.Description",
        "Select Case Err.Number\r\nCase 5 ' \"%r\" retries\r\nResume\r\nCase Else\r\n"
        "Err.Raise Err.Number, \"%m.%r\"\r\nEnd Select",
        "If Err.Number = 5 Then\r\n' say \"%r\"\r\n\tLog \"%m\t%r\" _\r\n, \"x\"\r\nEnd If",
        "Log \"%r\"\t& \"a _\", _\r\n\"%m\"  ' \"x\"\r\nResume Exit_Routine"};
    for (int i = 0; i < 40; ++i) {
        settings::SettingsRecord given = Settings();
        given.select = static_cast<long>(random() % 2);
        given.comment = static_cast<long>(random() % 4);
        given.add4 = templates[random() % templates.size()];
        given.add1 = random() % 2 == 0 ? "" : "' started \"%r\"";
        const std::string name = "Go" + std::to_string(random() % 3);
        const std::vector<std::string> code = {"Sub " + name + "()", "    DoWork", "End Sub"};
        const std::string kept = "modK" + std::to_string(i), fresh = "modF" + std::to_string(i);
        fx.Add(kept, host::vbext_ct_StdModule, Vb(code));
        fx.Add(fresh, host::vbext_ct_StdModule, Vb(code));
        std::string message;
        ASSERT_TRUE(AddRoutineErrorHandling(MemberOf(kept, name), 0, given, message)) << message;
        const std::optional<HandlerInsertion> plan =
            PlanRoutineErrorHandling(MemberOf(fresh, name), 0, given, message);
        ASSERT_TRUE(plan) << message;
        host::CodeModule& planned = fx.Module(fresh);
        planned.InsertLines(plan->exitLine, plan->exitText);
        planned.InsertLines(plan->topLine, plan->topText);
        EXPECT_EQ(fx.Text(kept), text::ReplaceAll(fx.Text(fresh), fresh, kept))
            << "insertion " << i << ": select " << given.select << ", comment " << given.comment;
    }
}

// A block is laid out once while it is kept; past the few kept, each still
// comes out as its own layout.
TEST(BlockLayoutsKept, EachBlockItsOwnLayoutLaidOutOnceWhileKept) {
    BlockLayouts layouts;
    int calls = 0;
    const auto layOut = [&](const std::string& block) {
        ++calls;
        return "[" + block + "]";
    };
    // Blocks without literals: the shape is the whole layout.
    const auto laid = [&](const std::string& block) {
        const ShapedBlock shaped = layouts.ShapeOf(block, layOut);
        EXPECT_TRUE(shaped.contents.empty());
        return shaped.shape;
    };
    EXPECT_EQ(laid("top"), "[top]");
    EXPECT_EQ(laid("top"), "[top]");
    EXPECT_EQ(calls, 1);
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(laid("exit " + std::to_string(i)), "[exit " + std::to_string(i) + "]");
    }
    EXPECT_EQ(laid("top"), "[top]");
    EXPECT_EQ(calls, 202) << "laid out again once it was let go";
}

// The rule that refuses an insertion is the one that remove and replace
// check before they delete anything.
TEST_F(Insertion, OneRuleForTheOnErrorStatementsThatStopAnInsertion) {
    EXPECT_EQ(OnErrorRefusal("x = 1", Settings()), 0);
    EXPECT_EQ(OnErrorRefusal("x = 1\r\non error goto ERROR_ROUTINE", Settings()), 2);
    EXPECT_EQ(OnErrorRefusal("On Error Resume Next", Settings()), 3);
    EXPECT_EQ(OnErrorRefusal("On Error GoTo Other", Settings()), 3);
    EXPECT_EQ(OnErrorRefusal("on error resume next", Settings()), 0)
        << "other statements: case counts";
    EXPECT_EQ(OnErrorRefusal("ON ERROR GOTO error_routine", Settings()), 2);
    EXPECT_EQ(OnErrorRefusal("x = 1\r\nOn Error", Settings()), 0) << "not a statement yet";
    EXPECT_EQ(OnErrorRefusal("OnError GoTo Error_Routine", Settings()), 0);
}

// The statement is looked for eight bytes at a time: it is found wherever it
// stands in a long text, in any case, and near misses are not taken for it.
TEST_F(Insertion, TheStandardOnErrorLineIsFoundAtEveryPlace) {
    for (size_t at = 0; at < 40; ++at) {
        const std::string before = std::string(at, at % 3 == 0 ? 'r' : 'x') + "\r\n";
        const std::string after = "\r\n" + std::string(at % 11, 'r');
        EXPECT_EQ(OnErrorRefusal(before + "oN eRRor GoTo Error_Routine" + after, Settings()), 2)
            << at;
        EXPECT_EQ(OnErrorRefusal(before + "On Errorr" + after, Settings()), 0) << at;
        EXPECT_EQ(OnErrorRefusal(before + "On Errr GoTo Error_Routine" + after, Settings()), 0)
            << at;
    }
}

TEST_F(Insertion, RemovalAndReplaceSayWhetherTheRoutineChanged) {
    fx.Add("modA", host::vbext_ct_StdModule, Vb({"Sub Go()", "    DoWork", "End Sub"}));
    const std::string bare = fx.Text("modA");
    std::string message;
    EXPECT_TRUE(ReplaceHandler(MemberOf("modA", "Go"), 0, Settings(), message))
        << "nothing to take out";
    EXPECT_EQ(message, "");
    const std::string handled = fx.Text("modA");
    EXPECT_NE(handled, bare);
    EXPECT_FALSE(ReplaceHandler(MemberOf("modA", "Go"), 0, Settings(), message))
        << "renewed as it stood: no change";
    EXPECT_EQ(fx.Text("modA"), handled);
    EXPECT_TRUE(RemoveOld(MemberOf("modA", "Go"), 0, Settings()));
    EXPECT_EQ(fx.Text("modA"), bare);
    EXPECT_FALSE(RemoveOld(MemberOf("modA", "Go"), 0, Settings()));
}

// A stray closing line right below a routine opens the next block; it is
// not the routine's closing line, so nothing goes below the routine's own
// (found by fuzzing).
TEST_F(Insertion, AStrayEndBelowTheRoutineIsNotItsClosingLine) {
    const std::vector<std::string> original = {"Function Go() As Long", "    Go = 1", "End Sub",
                                               "End Sub", "Sub Next1()", "End Sub"};
    fx.Add("modA", host::vbext_ct_StdModule, Vb(original));
    EXPECT_EQ(Insert("modA", "Go"), "");
    EXPECT_EQ(fx.Module("modA").Lines(1, 11),
              Vb({"Function Go() As Long", "    On Error GoTo Error_Routine", "", "    Go = 1", "",
                  "Exit_Routine:", "    Exit Function", "Error_Routine:", "    Debug.Assert False",
                  "    Err.Raise Err.Number, \"modA.Go(\" & Erl & \"):\" & Err.Source, "
                  "Err.Description",
                  "End Sub"}));
    Remove("modA", "Go");
    EXPECT_EQ(fx.Text("modA"), Vb(original));
}

// The optional texts come fenced by the marker lines; their statements are
// laid out as code (an If block opens a level).
TEST_F(Insertion, MarkedTopBlockIsLaidOutAsCode) {
    settings::SettingsRecord& s = Settings();
    s.add0 = "If Tracing Then\r\nTrace \"%r\"\r\nEnd If";
    s.add1 = "Dim started As Date";
    fx.Add("modA", host::vbext_ct_StdModule, Vb({"Function Go() As Long", "End Function"}));
    Insert("modA", "Go");
    EXPECT_EQ(fx.Module("modA").Lines(2, 8),
              Vb({"    " + std::string(analysis::kOpeningMarker), "    If Tracing Then",
                  "        Trace \"Go\"", "    End If", "    On Error GoTo Error_Routine",
                  "    Dim started As Date", "    " + std::string(analysis::kClosingMarker), ""}));
    EXPECT_EQ(StatusOf("modA", "Go"), "OK / OK");
}

}  // namespace
}  // namespace qv::errorhandling::test
