// Removing a handler the system inserted, and what a removal would leave.
// The removal of standard handlers from every kind of routine is in the
// golden run and the property runs (add, then remove).

#include "analysis/markers.h"
#include "handler_test_support.h"

namespace qv::errorhandling::test {
namespace {

class Removal : public HandlerTest {};

const Lines kGoWithHandler = {
    "Sub Go()",
    "    On Error GoTo Error_Routine",
    "",
    "    DoWork",
    "",
    "Exit_Routine:",
    "    Exit Sub",
    "Error_Routine:",
    "    Debug.Assert False",
    "    Err.Raise Err.Number, \"modA.Go(\" & Erl & \"):\" & Err.Source, Err.Description",
    "End Sub",
    "",
    "Sub Next1()",
    "End Sub"};

// Insertion puts the top block at the blank line that ends a comment block;
// only the blank line insertion added goes with it, not the user's.
TEST_F(Removal, UserBlankLinesBelowACommentBlockStay) {
    const Lines original = {"Sub Go()", "' Notes.", "", "", "    DoWork", "End Sub"};
    fx.Add("modA", host::vbext_ct_StdModule, Vb(original));
    Insert("modA", "Go");
    EXPECT_EQ(fx.Module("modA").Lines(3, 4), Vb({"    On Error GoTo Error_Routine", "", "", ""}));
    Remove("modA", "Go");
    EXPECT_EQ(fx.Text("modA"), Vb(original));

    const Lines onlyComments = {"Sub Go()", "' Notes.", "", "End Sub"};
    fx.Module("modA").LoadText(Vb(onlyComments));
    Insert("modA", "Go");
    Remove("modA", "Go");
    EXPECT_EQ(fx.Text("modA"), Vb(onlyComments));
}

TEST_F(Removal, TopBlockGoesEvenWhenTheExitLabelWasDeleted) {
    Lines lines = kGoWithHandler;
    lines.erase(lines.begin() + 5);  // Exit_Routine:
    fx.Add("modA", host::vbext_ct_StdModule, Vb(lines));
    Remove("modA", "Go");
    EXPECT_EQ(fx.Module("modA").Lines(1, 4), Vb({"Sub Go()", "    DoWork", "", "    Exit Sub"}))
        << "without its label the rest of the exit block is the user's code";
}

TEST_F(Removal, ExitBlockGoesWithoutATopBlock) {
    Lines lines = kGoWithHandler;
    lines.erase(lines.begin() + 1, lines.begin() + 3);
    fx.Add("modA", host::vbext_ct_StdModule, Vb(lines));
    Remove("modA", "Go");
    EXPECT_EQ(fx.Module("modA").Lines(1, 3), Vb({"Sub Go()", "    DoWork", "End Sub"}));
}

TEST_F(Removal, OpeningMarkerWithNothingToEndTheBlockDeletesNothing) {
    const Lines lines = {"Sub Go()", "    " + std::string(analysis::kOpeningMarker),
                         "    Trace \"Go\"", "    DoWork", "End Sub"};
    fx.Add("modA", host::vbext_ct_StdModule, Vb(lines));
    Remove("modA", "Go");
    EXPECT_EQ(fx.Text("modA"), Vb(lines));
}

// Insert then remove gives the routine back, also where a note names the
// handler's lines and where the closing line is indented with a tab or has
// a tab after its End (all found by fuzzing).
// A note, a named argument or a label of the user's own that ends in the
// exit label's name is no exit label: the removal takes out what insertion
// wrote, and nothing of the user's.
TEST_F(Removal, InsertThenRemoveWhereNotesNameTheHandlerOrTheEndIsIndented) {
    const std::vector<Lines> originals = {
        {"Sub Go()", "    If x Then GoTo Local_Exit_Routine", "    DoWork", "Local_Exit_Routine:",
         "    Beep", "End Sub"},
        {"Sub Go()", "    Call Jump(Exit_Routine:=1)", "    DoWork", "End Sub"},
        {"Sub Go() ' no On Error GoTo Error_Routine here, nor Exit_Routine:", "    DoWork",
         "End Sub"},
        {"Sub Go()", "    DoWork ' then Exit_Routine: below", "    Msg \"Exit_Routine:\"",
         "End Sub"},
        {"Public Property Let Value(ByVal v As Long)", "    mValue = v", "\tEnd Property"},
        {"Public Property Let Value(ByVal v As Long)", "    mValue = v", "End\t Property"}};
    for (const Lines& original : originals) {
        fx.Add("modA", host::vbext_ct_StdModule, Vb(original));
        const std::string name = original[0].find("Value") != std::string::npos ? "Value" : "Go";
        const int kind = name == "Value" ? host::vbext_pk_Let : 0;
        EXPECT_EQ(Insert("modA", name, kind), "");
        EXPECT_EQ(StatusOf("modA", name, kind), "OK / OK");
        Remove("modA", name, kind);
        EXPECT_EQ(fx.Text("modA"), Vb(original));
        fx.Project().Components().Remove(*fx.Project().Components().Find("modA"));
    }
}

TEST_F(Removal, TerminateBlocksGoWhereTheyStandAsInsertionWroteThem) {
    const Lines original = {"Private Sub Class_Terminate()", "    Set mOwner = Nothing",
                            "End Sub", "Sub Other()", "    On Error Resume Next", "End Sub"};
    fx.Add("CThing", host::vbext_ct_ClassModule, Vb(original));
    Insert("CThing", "Class_Terminate");
    Remove("CThing", "Class_Terminate");
    Remove("CThing", "Other");
    EXPECT_EQ(fx.Text("CThing"), Vb(original)) << "insert then remove gives the routine back";

    // An empty body, and blocks re-indented by a tidy, come back as well.
    const Lines empty = {"Private Sub Class_Terminate()", "End Sub"};
    fx.Module("CThing").LoadText(Vb(empty));
    Insert("CThing", "Class_Terminate");
    Remove("CThing", "Class_Terminate");
    EXPECT_EQ(fx.Text("CThing"), Vb(empty));
    fx.Module("CThing").LoadText(Vb({"Private Sub Class_Terminate()", "If Err.Number <> 0 Then",
                                     "\t\tErrorSave", "End If", "On Error Resume Next", "",
                                     "\tx = 1", "", "ErrorRestore", "End Sub"}));
    Remove("CThing", "Class_Terminate");
    EXPECT_EQ(fx.Text("CThing"), Vb({"Private Sub Class_Terminate()", "\tx = 1", "End Sub"}));
}

TEST_F(Removal, TerminateBlocksThatDifferStay) {
    const std::vector<Lines> changed = {
        {"Private Sub Class_Terminate()", "    If Err.Number <> 0 Then", "        ErrorSave",
         "        Log \"pending\"", "    End If", "    On Error Resume Next", "", "    x = 1",
         "", "    ErrorRestore", "End Sub"},
        {"Private Sub Class_Terminate()", "    If Err.Number <> 0 Then", "        ErrorSave",
         "    End If", "    On Error Resume Next", "", "    x = 1", "    ErrorRestore",
         "    y = 2", "End Sub"},
        {"Private Sub Class_Terminate()", "    On Error Resume Next", "    x = 1",
         "    ErrorRestore", "End Sub"}};
    for (const Lines& lines : changed) {
        fx.Add("CThing", host::vbext_ct_ClassModule, Vb(lines));
        Remove("CThing", "Class_Terminate");
        EXPECT_EQ(fx.Text("CThing"), Vb(lines));
        fx.Project().Components().Remove(*fx.Project().Components().Find("CThing"));
    }
    // Only a terminate routine's blocks are the terminate blocks.
    const Lines other = {"Sub Close()", "    If Err.Number <> 0 Then", "        ErrorSave",
                         "    End If", "    On Error Resume Next", "", "    ErrorRestore", "End Sub"};
    fx.Add("modA", host::vbext_ct_StdModule, Vb(other));
    Remove("modA", "Close");
    EXPECT_EQ(fx.Text("modA"), Vb(other));
}

TEST_F(Removal, PlanTellsWhatStays) {
    Lines lines = kGoWithHandler;
    lines.insert(lines.begin() + 4, "    If Failed Then GoTo Exit_Routine");
    fx.Add("modA", host::vbext_ct_StdModule, Vb(lines));
    host::CodeModule& module = fx.Module("modA");
    const RemovalPlan plan = PlanRemoval(module, "Go", 0, Settings());
    EXPECT_EQ(plan.exitBlock.first, 6);
    EXPECT_EQ(plan.exitBlock.count, 6) << "the blank line above and the exit block";
    EXPECT_EQ(plan.topBlock.first, 2);
    EXPECT_EQ(plan.topBlock.count, 2) << "the On Error line and the blank line below";
    EXPECT_EQ(CodeAfterRemoval(module, plan),
              Vb({"    DoWork", "    If Failed Then GoTo Exit_Routine"}));
    EXPECT_EQ(fx.Text("modA"), Vb(lines)) << "planning changes nothing";
}

// What removal may leave undefined: only labels it deletes count, and only
// where the code it leaves still jumps to them.
TEST_F(Removal, LabelsLeftUndefinedAreThoseItDeletesAndTheCodeStillUses) {
    Lines lines = kGoWithHandler;
    lines.insert(lines.begin() + 4, "    If Failed Then GoTo Exit_Routine ' leave early");
    fx.Add("modA", host::vbext_ct_StdModule, Vb(lines));
    host::CodeModule& module = fx.Module("modA");
    EXPECT_EQ(
        LabelsLeftUndefined(module, PlanRemoval(module, "Go", 0, Settings())),
        std::vector<std::string>{"Exit_Routine"});

    // The standard On Error line over the user's own error part: removing
    // the line deletes no label, whatever the code jumps to.
    const Lines own = {"Sub Own()",     "    On Error GoTo Error_Routine",
                       "    DoWork",    "    Exit Sub",
                       "Error_Routine:", "    If Retry Then Resume Error_Routine",
                       "End Sub"};
    fx.Add("modB", host::vbext_ct_StdModule, Vb(own));
    host::CodeModule& b = fx.Module("modB");
    const RemovalPlan plan = PlanRemoval(b, "Own", 0, Settings());
    EXPECT_TRUE(plan.exitBlock.Empty());
    EXPECT_EQ(plan.topBlock.first, 2);
    EXPECT_TRUE(LabelsLeftUndefined(b, plan).empty());

    // A mention in a comment or a string is no jump.
    const Lines mentions = {"Sub Go()", "    On Error GoTo Error_Routine", "",
                            "    Msg \"GoTo Exit_Routine\" ' GoTo Exit_Routine", "",
                            "Exit_Routine:", "    Exit Sub", "Error_Routine:", "    Resume Next",
                            "End Sub"};
    fx.Add("modC", host::vbext_ct_StdModule, Vb(mentions));
    host::CodeModule& c = fx.Module("modC");
    EXPECT_TRUE(
        LabelsLeftUndefined(c, PlanRemoval(c, "Go", 0, Settings())).empty());
}

TEST_F(Removal, DecisionFollowsTheShownTopStatus) {
    fx.Add("modA", host::vbext_ct_StdModule, Vb(kGoWithHandler));
    host::CodeModule& module = fx.Module("modA");
    EXPECT_EQ(DecideRemoval(module, "Go", 0, Settings()).need, RemovalNeed::Remove);
    EXPECT_EQ(DecideRemoval(module, "Next1", 0, Settings()).need, RemovalNeed::Nothing);
    // A standard handler where none belongs shows EXTRA CODE: it goes only
    // after a confirmation, whatever its exit part holds.
    Lines omitted = kGoWithHandler;
    omitted[0] = "Sub ErrorSave()";
    fx.Add("modB", host::vbext_ct_StdModule, Vb(omitted));
    const RemovalDecision decision =
        DecideRemoval(fx.Module("modB"), "ErrorSave", 0, Settings());
    EXPECT_EQ(decision.need, RemovalNeed::Confirm);
    EXPECT_FALSE(decision.required);
    // One line of the user's own in the exit part does not ask (top OK).
    module.InsertLines(7, "    CleanUp");
    EXPECT_EQ(StatusOf("modA", "Go"), "OK / EXTRA CODE");
    EXPECT_EQ(DecideRemoval(module, "Go", 0, Settings()).need, RemovalNeed::Remove);
}

// A routine defined once under each branch of an #If: the removal planned at
// the second copy's place works there, with no copy chosen for the lookups
// by name, which would find the first.
class RemovalAtAPlace : public HandlerTest {
  protected:
    void SetUp() override {
        HandlerTest::SetUp();
        fx.Add("modCopies", host::vbext_ct_StdModule,
               Vb({"Option Explicit", "#If Win64 Then", "Public Function Peek(ByVal a As Long) As Long",
                   "' Copy one.", "Peek = a", "End Function", "#Else",
                   "Public Function Peek(ByVal a As Long) As Long", "' Copy two,", "' noted.",
                   "Peek = a + 0", "End Function", "#End If", "", "Sub Other()", "x = 1",
                   "End Sub"}));
        host::CodeModule& module = fx.Module("modCopies");
        for (long copy : {0L, 1L}) {
            const host::ProcCopyScope scope(module, "Peek", copy);
            Insert("modCopies", "Peek");
        }
    }
    // The second copy's place, read as the catalogue finds it.
    analysis::RoutineSpan SecondCopy() {
        host::CodeModule& module = fx.Module("modCopies");
        const host::ProcCopyScope scope(module, "Peek", 1);
        return analysis::FirstAndLast(module, "Peek", 0);
    }
    // The module from the #Else on.
    std::string SecondBranch() {
        const std::string text = fx.Text("modCopies");
        return text.substr(text.find("#Else"));
    }
    std::string FirstBranch() {
        const std::string text = fx.Text("modCopies");
        return text.substr(0, text.find("#Else"));
    }
};

TEST_F(RemovalAtAPlace, TheRoutineIsFoundAgainWhereTheRemovalLeftIt) {
    host::CodeModule& module = fx.Module("modCopies");
    const std::string first = FirstBranch();
    const RemovalPlan plan = PlanRemoval(module, "Peek", SecondCopy(), Settings());
    ASSERT_FALSE(plan.Empty());
    EXPECT_TRUE(RemoveOld(module, plan));
    EXPECT_EQ(FirstBranch(), first);
    EXPECT_EQ(SecondBranch(),
              Vb({"#Else", "Public Function Peek(ByVal a As Long) As Long", "' Copy two,",
                  "' noted.", "Peek = a + 0", "End Function", "#End If", "", "Sub Other()",
                  "x = 1", "End Sub"}));
    // Found by the lines the removal deleted, it is where a fresh look finds it.
    const analysis::RoutineSpan moved = SpanAfterRemoval(module, plan);
    const analysis::RoutineSpan fresh = SecondCopy();
    EXPECT_EQ(moved.startLine, fresh.startLine);
    EXPECT_EQ(moved.afterDeclarationLine, fresh.afterDeclarationLine);
    EXPECT_EQ(moved.firstLine, fresh.firstLine);
    EXPECT_EQ(moved.lastLine, fresh.lastLine);
    EXPECT_EQ(moved.blockEnd, fresh.blockEnd);
    EXPECT_EQ(module.Lines(moved.firstLine, 1), "Peek = a + 0")
        << "below the copy's own comment block";
}

TEST_F(RemovalAtAPlace, ReplacingAtThePlanRenewsOnlyThatCopy) {
    host::CodeModule& module = fx.Module("modCopies");
    Settings().add4 = "LogIt \"%m.%r\"";
    const std::string first = FirstBranch();
    const RemovalPlan plan = PlanRemoval(module, "Peek", SecondCopy(), Settings());
    std::string message;
    EXPECT_TRUE(ReplaceHandler(MemberOf("modCopies", "Peek"), 0, plan, Settings(), message))
        << message;
    EXPECT_EQ(FirstBranch(), first) << "the first copy keeps its old handler";
    const std::string second = SecondBranch();
    EXPECT_NE(second.find("LogIt \"modCopies.Peek\""), std::string::npos) << second;
    EXPECT_EQ(second.find("LogIt", second.find("LogIt") + 1), std::string::npos) << second;
    EXPECT_LT(second.find("' noted."), second.find("On Error GoTo")) << second;
    EXPECT_LT(second.find("Exit_Routine:"), second.find("End Function")) << second;

    // The same plan again finds nothing to change: the routine stands as the
    // templates build it.
    const RemovalPlan again = PlanRemoval(module, "Peek", SecondCopy(), Settings());
    EXPECT_FALSE(ReplaceHandler(MemberOf("modCopies", "Peek"), 0, again, Settings(), message));
    EXPECT_EQ(SecondBranch(), second);
}

}  // namespace
}  // namespace qv::errorhandling::test
