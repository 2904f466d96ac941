// Removing a handler the system inserted, and what a removal would leave.

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

TEST_F(Removal, RemovesBothBlocksAndTheirBlankLines) {
    fx.Add("modA", host::vbext_ct_StdModule, Vb(kGoWithHandler));
    Remove("modA", "Go");
    EXPECT_EQ(fx.Text("modA"),
              Vb({"Sub Go()", "    DoWork", "End Sub", "", "Sub Next1()", "End Sub"}));
    EXPECT_EQ(StatusOf("modA", "Go"), "MISSING / N/A");
}

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

TEST_F(Removal, RoutineWithoutHandlerAndTerminateBlockStayAsTheyAre) {
    fx.Add("CThing", host::vbext_ct_ClassModule,
           Vb({"Private Sub Class_Terminate()", "    Set mOwner = Nothing", "End Sub",
               "Sub Other()", "    On Error Resume Next", "End Sub"}));
    Insert("CThing", "Class_Terminate");
    const std::string inserted = fx.Text("CThing");
    Remove("CThing", "Class_Terminate");
    Remove("CThing", "Other");
    EXPECT_EQ(fx.Text("CThing"), inserted);
}

TEST_F(Removal, PlanTellsWhatStays) {
    Lines lines = kGoWithHandler;
    lines.insert(lines.begin() + 4, "    If Failed Then GoTo Exit_Routine");
    fx.Add("modA", host::vbext_ct_StdModule, Vb(lines));
    host::CodeModule& module = fx.Module("modA");
    const RemovalPlan plan = PlanRemoval(module, "Go", 0);
    EXPECT_EQ(plan.exitBlock.first, 6);
    EXPECT_EQ(plan.exitBlock.count, 6) << "the blank line above and the exit block";
    EXPECT_EQ(plan.topBlock.first, 2);
    EXPECT_EQ(plan.topBlock.count, 2) << "the On Error line and the blank line below";
    EXPECT_EQ(CodeAfterRemoval(module, "Go", 0, plan),
              Vb({"    DoWork", "    If Failed Then GoTo Exit_Routine"}));
    EXPECT_EQ(fx.Text("modA"), Vb(lines)) << "planning changes nothing";
}

}  // namespace
}  // namespace qv::errorhandling::test
