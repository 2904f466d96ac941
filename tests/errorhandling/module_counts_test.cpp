#include <gtest/gtest.h>

#include "errorhandling/module_counts.h"
#include "errorhandling/default_templates.h"
#include "platform/vb_error.h"
#include "support/recording_services.h"
#include "support/vb_fixture.h"

namespace qv::analysis {
namespace {

using test::Vb;

std::vector<std::string> Handled(const std::string& declaration, const std::string& raiseName,
                                 const std::string& exitWord = "Sub",
                                 const std::string& end = "End Sub") {
    return {declaration,
            "    On Error GoTo Error_Routine",
            "    DoWork",
            "Exit_Routine:",
            "    Exit " + exitWord,
            "Error_Routine:",
            "    Debug.Assert False",
            "    Err.Raise Err.Number, \"" + raiseName + "(\" & Erl & \"):\" & Err.Source, "
            "Err.Description",
            end};
}

std::string Join(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return Vb(all);
}

std::string Describe(const RoutineStatusRow& r) {
    return r.name + "|" + r.typeWord + "|" + r.routineType + "|" + StatusString(r.status.top) +
           "|" + StatusString(r.status.exit);
}

class Counts : public ::testing::Test {
protected:
    test::RecordingServices services;
    test::DefaultTemplates defaults;
    test::VbFixture fx;
};

// A routine judged IN ERROR is told what its blocks lack, from its full
// text, which judging reads only for routines with the standard On Error
// line: the words are those the full text read at once gives.
TEST_F(Counts, GapsOfBlocksInErrorComeFromTheFullText) {
    fx.Add("Module1", host::vbext_ct_StdModule,
           Join({{"Public Sub Alone()", "    ' why", "    On Error GoTo Error_Routine",
                  "    DoWork", "End Sub"},
                 {"Public Sub Missing()", "    DoWork", "End Sub"},
                 {"Public Sub Commented()", "    On Error GoTo Error_Routine ' here",
                  "End Sub"},
                 Handled("Public Sub Renamed()", "Module1.OldName")}));
    host::CodeModule& module = fx.Module("Module1");
    const settings::SettingsRecord& settings = defaults.Record();
    for (const char* name : {"Alone", "Missing", "Commented", "Renamed"}) {
        const RoutineStatusRow row = JudgeRoutine(module, {name, 0, 0}, false, settings);
        std::string fullText;
        const std::string code = RemoveComments(module, name, 0, fullText);
        EXPECT_EQ(row.status, GetRoutineStatus(module, name, 0, code, fullText, settings)) << name;
        EXPECT_EQ(row.topGap, row.status.top == kStatusInError ? TopBlockGap(fullText, settings)
                                                               : std::string())
            << name;
        EXPECT_EQ(row.exitGap, row.status.exit == kStatusInError
                                   ? ExitBlockGap(fullText, settings)
                                   : std::string())
            << name;
    }
    const RoutineStatusRow alone = JudgeRoutine(module, {"Alone", 0, 0}, false, settings);
    EXPECT_EQ(alone.status.exit, kStatusInError);
    EXPECT_NE(alone.exitGap, "") << "no exit block below the On Error line";
    const RoutineStatusRow commented = JudgeRoutine(module, {"Commented", 0, 0}, false, settings);
    EXPECT_EQ(commented.status.top, kStatusInError);
    EXPECT_NE(commented.topGap, "") << "no line holds the On Error statement alone";
    EXPECT_EQ(JudgeRoutine(module, {"Missing", 0, 0}, false, settings).status.top, kStatusMissing);
}

TEST_F(Counts, EveryTallyFromOneModule) {
    fx.Add("Module1", host::vbext_ct_StdModule,
           Join({{"Option Explicit", "Private mValue As Long", ""},
                 Handled("Public Sub Good()", "Module1.Good"),
                 {"Public Sub Some()", "    On Error Resume Next", "End Sub"},
                 Handled("Public Sub Renamed()", "Module1.OldName"),
                 {"Public Function None() As Long", "    None = 1", "End Function"},
                 {"Public Sub ErrorSave()", "    Save", "End Sub"},
                 Handled("Public Sub ErrorRestore()", "Module1.ErrorRestore"),
                 Handled("Public Property Get Value() As Long", "Module1.Value(Get)",
                         "Property", "End Property"),
                 {"Public Property Let Value(ByVal v As Long)", "    mValue = v",
                  "End Property"}}));
    const ModuleCounts counts =
        CountModule(fx.Vbe(), "Project1", "Module1", true, defaults.Record());
    std::vector<std::string> rows;
    for (const RoutineStatusRow& r : counts.routines) rows.push_back(Describe(r));
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "Good||Sub|OK|OK",
                        "Some||Sub|SOME|N/A",
                        "Renamed||Sub|OK|IN ERROR",
                        "None||Function|MISSING|N/A",
                        "ErrorSave||Sub|OK|N/A",            // needs none, has none
                        "ErrorRestore||Sub|EXTRA CODE|OK",  // needs none, has one
                        "Value|Let|Property|MISSING|N/A",
                        "Value|Get|Property|OK|OK",
                    }));
    EXPECT_EQ(counts.good, 3);
    EXPECT_EQ(counts.some, 1);
    EXPECT_EQ(counts.error, 2);
    EXPECT_EQ(counts.none, 2);
    EXPECT_FALSE(counts.AllGood());
    EXPECT_FALSE(counts.routines[5].required);

    // The same figures through the code module, and without the rows.
    const ModuleCounts again = CountModule(fx.Module("Module1"), false, defaults.Record());
    EXPECT_TRUE(again.routines.empty());
    EXPECT_EQ(again.good + again.some + again.error + again.none, 8);
    EXPECT_EQ(again.error, 2);
}

TEST_F(Counts, DeclarationsAreNeverCounted) {
    fx.Add("modDecl", host::vbext_ct_StdModule,
           Vb({"Option Explicit", "Private Declare Function GetTickCount Lib \"kernel32\" () As Long",
               "Public Const Answer = 42"}));
    const ModuleCounts counts =
        CountModule(fx.Vbe(), "Project1", "modDecl", true, defaults.Record());
    EXPECT_TRUE(counts.AllGood());
    EXPECT_EQ(counts.good, 0);
    EXPECT_TRUE(counts.routines.empty());
}

TEST_F(Counts, ComponentWithoutCodeCountsNothing) {
    fx.Add("Notes", host::vbext_ct_RelatedDocument, "");
    const ModuleCounts counts =
        CountModule(fx.Vbe(), "Project1", "Notes", true, defaults.Record());
    EXPECT_EQ(counts.good + counts.some + counts.error + counts.none, 0);
}

TEST_F(Counts, UnknownComponentRaisesWithTheLocation) {
    try {
        CountModule(fx.Vbe(), "Project1", "Nowhere", false, defaults.Record());
        FAIL();
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), err::kSubscriptOutOfRange);
        EXPECT_NE(e.Source().find("AddIn.CountModule("), std::string::npos);
    }
}

TEST_F(Counts, RoutineBarRunsOnFromHalfWay) {
    fx.Add("Module1", host::vbext_ct_StdModule, Vb({"Sub A()", "End Sub", "Sub B()", "End Sub"}));
    CountModule(fx.Vbe(), "Project1", "Module1", false, defaults.Record());
    // Three entries with "(Declarations)": maximum 6, values 2, 3, 4.
    std::vector<std::vector<int>> tail(services.statusCalls.end() - 4, services.statusCalls.end());
    EXPECT_EQ(tail, (std::vector<std::vector<int>>{
                        {-1, -1, -1, 6}, {-1, 2, -1, -1}, {-1, 3, -1, -1}, {-1, 4, -1, -1}}));
}

}  // namespace
}  // namespace qv::analysis
