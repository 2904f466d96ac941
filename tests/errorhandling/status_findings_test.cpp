#include <gtest/gtest.h>

#include "errorhandling/default_templates.h"
#include "errorhandling/status_findings.h"
#include "support/recording_services.h"
#include "support/vb_fixture.h"

namespace qv::analysis {
namespace {

using test::Vb;

RoutineStatusRow Row(int top, int exit, bool required = true) {
    RoutineStatusRow row;
    row.name = "Work";
    row.status = {top, exit};
    row.required = required;
    return row;
}

// "rule id / severity" of a routine's finding, "-" when it is none.
std::string Describe(const RoutineStatusRow& row, const SeverityOverrides& overrides = {}) {
    const std::optional<Finding> f = FindingOf(row, overrides);
    if (!f) return "-";
    return std::string(f->rule->id) + " / " + std::string(SeverityName(f->severity));
}

class Findings : public ::testing::Test {
protected:
    test::RecordingServices services;
    test::DefaultTemplates defaults;
    test::VbFixture fx;
};

TEST_F(Findings, RoutinesOfAModule) {
    fx.Add("Module1", host::vbext_ct_StdModule,
           Vb({"Option Explicit",
               "Public Sub Good()",
               "    On Error GoTo Error_Routine",
               "    DoWork",
               "Exit_Routine:",
               "    Exit Sub",
               "Error_Routine:",
               "    Debug.Assert False",
               "    Err.Raise Err.Number, \"Module1.Good(\" & Erl & \"):\" & Err.Source, "
               "Err.Description",
               "End Sub",
               "Public Sub Renamed()",
               "    On Error GoTo Error_Routine",
               "    DoWork",
               "Exit_Routine:",
               "    Exit Sub",
               "Error_Routine:",
               "    Debug.Assert False",
               "    Err.Raise Err.Number, \"Module1.Old(\" & Erl & \"):\" & Err.Source, "
               "Err.Description",
               "End Sub",
               "Public Sub Tolerant()",
               "    On Error Resume Next",
               "End Sub",
               "Public Function Bare() As Long",
               "    Bare = 1",
               "End Function",
               "Public Sub ErrorSave()",  // on the omit list, and without a handler
               "    Save",
               "End Sub"}));
    const ModuleCounts counts = CountModule(fx.Module("Module1"), true, defaults.Record());
    std::vector<std::string> found;
    for (const RoutineStatusRow& row : counts.routines) {
        found.push_back(row.name + ": " + Describe(row));
    }
    EXPECT_EQ(found, (std::vector<std::string>{"Good: -", "Renamed: QV-IN-ERROR / warning",
                                               "Tolerant: QV-SOME / information",
                                               "Bare: QV-MISSING / warning", "ErrorSave: -"}));
}

// IN ERROR where a block is not there at all: the message says what is
// missing instead of a block that differs from the templates.
TEST_F(Findings, ABlockThatIsNotThereIsNamedAsMissing) {
    fx.Add("Module1", host::vbext_ct_StdModule,
           Vb({"Public Sub Bare()",
               "    On Error GoTo Error_Routine",
               "    DoWork",
               "End Sub",
               "Public Sub Commented()",
               "    On Error GoTo Error_Routine ' trap",
               "    DoWork",
               "Error_Routine:",
               "    Resume Next",
               "End Sub",
               "Public Sub Indented()",
               "    On Error GoTo Error_Routine",
               "    DoWork",
               "  Exit_Routine:",
               "    Exit Sub",
               "Error_Routine:",
               "    Debug.Assert False",
               "End Sub",
               "Public Sub Renamed()",
               "    On Error GoTo Error_Routine",
               "Exit_Routine:",
               "    Exit Sub",
               "Error_Routine:",
               "    Debug.Assert False",
               "    Err.Raise Err.Number, \"Module1.Old(\" & Erl & \"):\" & Err.Source, "
               "Err.Description",
               "End Sub"}));
    const ModuleCounts counts = CountModule(fx.Module("Module1"), true, defaults.Record());
    ASSERT_EQ(counts.routines.size(), 4u);
    EXPECT_EQ(FindingOf(counts.routines[0])->message,
              "Top Status OK, Exit Status IN ERROR. Exit: there is no exit block: no line reads "
              "\"Exit_Routine:\", and no line defines the label Error_Routine that the On Error "
              "line goes to.");
    EXPECT_EQ(FindingOf(counts.routines[1])->message,
              "Top Status IN ERROR, Exit Status IN ERROR. Top: no line reads \"On Error GoTo "
              "Error_Routine\" by itself (the statement is written in other letter case, or "
              "shares its line with other code or a comment), so the top block is not found. "
              "Exit: there is no exit block: no line reads \"Exit_Routine:\".");
    EXPECT_EQ(StatusMeaning(counts.routines[2], false),
              "the exit label is not found as the exit block's first line: it must read "
              "\"Exit_Routine:\" alone, at the start of its line, below the body's first line");
    EXPECT_EQ(StatusMeaning(counts.routines[3], false),
              "the standard block is there but differs from the templates")
        << "a block that is there keeps the word's meaning";

    // With texts around the On Error line, a bare one lacks them.
    settings::SettingsRecord marked = defaults.Record();
    marked.add0 = "' Routine: %r";
    EXPECT_EQ(StatusMeaning(JudgeRoutine(fx.Module("Module1"), {"Bare", 0}, false, marked), true),
              "the On Error line stands alone: the templates' lines around it, between the "
              "marker lines, are missing");
}

TEST(FindingRows, WhichPairsAreFindings) {
    EXPECT_FALSE(IsFinding(Row(kStatusOk, kStatusOk)));
    EXPECT_FALSE(IsFinding(Row(kStatusOk, kStatusNotApplicable)));
    EXPECT_TRUE(IsFinding(Row(kStatusOk, kStatusExtraCode)));
    EXPECT_TRUE(IsFinding(Row(kStatusMissing, kStatusNotApplicable)));
    EXPECT_TRUE(IsFinding(Row(kStatusExtraCode, kStatusOk, false)));

    // A terminate routine with the blocks insertion gives it counts Some but passes.
    RoutineStatusRow terminate = Row(kStatusSome, kStatusNotApplicable);
    terminate.standardTerminate = true;
    EXPECT_FALSE(IsFinding(terminate));
    EXPECT_FALSE(FindingOf(terminate).has_value());
}

TEST(FindingRows, TheTopWordNamesTheFindingUnlessItIsOk) {
    EXPECT_EQ(FindingStatus(Row(kStatusOk, kStatusOk)), -1);
    EXPECT_EQ(FindingStatus(Row(kStatusOk, kStatusInErrorExtraCode)), kStatusInErrorExtraCode);
    EXPECT_EQ(FindingStatus(Row(kStatusInError, kStatusExtraCode)), kStatusInError);
    EXPECT_EQ(Describe(Row(kStatusOk, kStatusExtraCode)), "QV-EXTRA-CODE / warning");
}

TEST(FindingRows, MessageGivesBothWordsAndTheirMeanings) {
    const Finding both = *FindingOf(Row(kStatusInError, kStatusExtraCode));
    EXPECT_EQ(both.message,
              "Top Status IN ERROR, Exit Status EXTRA CODE. Top: the standard block is there but "
              "differs from the templates. Exit: the templates' lines are all there, with other "
              "text between them.");
    const Finding missing = *FindingOf(Row(kStatusMissing, kStatusNotApplicable));
    EXPECT_EQ(missing.message,
              "Top Status MISSING, Exit Status N/A. Top: the routine holds no \"On Error \" "
              "statement at all.");
    // A handler in a routine that needs none is EXTRA CODE with its own meaning.
    const Finding unwanted = *FindingOf(Row(kStatusExtraCode, kStatusOk, false));
    EXPECT_NE(unwanted.message.find("needs no standard handler"), std::string::npos);
}

TEST(FindingRows, SeverityOverridesByWordOrRuleId) {
    SeverityOverrides overrides;
    EXPECT_TRUE(overrides.Set("missing", FindingSeverity::Error));
    EXPECT_TRUE(overrides.Set("qv-some", FindingSeverity::Hint));
    EXPECT_TRUE(overrides.Set("IN ERROR & EXTRA CODE", FindingSeverity::Information));
    EXPECT_FALSE(overrides.Set("OK", FindingSeverity::Error));
    EXPECT_FALSE(overrides.Set("QV-NOTHING", FindingSeverity::Error));
    EXPECT_EQ(Describe(Row(kStatusMissing, kStatusNotApplicable), overrides),
              "QV-MISSING / error");
    EXPECT_EQ(Describe(Row(kStatusSome, kStatusNotApplicable), overrides), "QV-SOME / hint");
    EXPECT_EQ(Describe(Row(kStatusOk, kStatusInErrorExtraCode), overrides),
              "QV-IN-ERROR-EXTRA-CODE / information");
    // The defaults stay for the words not overridden, and a copy keeps its own values.
    SeverityOverrides copy = overrides;
    copy.Set(kStatusMissing, FindingSeverity::Warning);
    EXPECT_EQ(overrides.SeverityOf(kStatusMissing), FindingSeverity::Error);
    EXPECT_EQ(copy.SeverityOf(kStatusInError), FindingSeverity::Warning);
    EXPECT_NE(copy, overrides);
}

TEST(FindingRows, TheMostSevereWordDecides) {
    SeverityOverrides overrides;
    overrides.Set(kStatusInError, FindingSeverity::Hint);
    overrides.Set(kStatusExtraCode, FindingSeverity::Error);
    // Named by its top word, as severe as its exit word.
    EXPECT_EQ(Describe(Row(kStatusInError, kStatusExtraCode), overrides), "QV-IN-ERROR / error");
    EXPECT_EQ(Describe(Row(kStatusInError, kStatusOk), overrides), "QV-IN-ERROR / hint");
}

TEST(FindingRules, EveryFindingWordHasOneRule) {
    std::vector<std::string> ids;
    for (const StatusRule& rule : StatusRules()) {
        ids.emplace_back(rule.id);
        EXPECT_EQ(RuleOfStatus(rule.status), &rule);
        EXPECT_EQ(RuleWithId(rule.id), &rule);
        EXPECT_FALSE(rule.meaning.empty());
        EXPECT_FALSE(rule.name.empty());
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"QV-SOME", "QV-MISSING", "QV-IN-ERROR",
                                             "QV-EXTRA-CODE", "QV-IN-ERROR-EXTRA-CODE"}));
    EXPECT_EQ(RuleOfStatus(kStatusOk), nullptr);
    EXPECT_EQ(RuleOfStatus(kStatusNotApplicable), nullptr);
    EXPECT_EQ(RuleOfStatus(7), nullptr);
    EXPECT_EQ(RuleWithId("qv-missing"), RuleOfStatus(kStatusMissing));
}

TEST(FindingRules, SeverityNamesReadBack) {
    for (FindingSeverity s : {FindingSeverity::Error, FindingSeverity::Warning,
                              FindingSeverity::Information, FindingSeverity::Hint}) {
        EXPECT_EQ(ParseSeverity(SeverityName(s)), s);
    }
    EXPECT_EQ(ParseSeverity("WARNING"), FindingSeverity::Warning);
    EXPECT_EQ(ParseSeverity("info"), std::nullopt);
    EXPECT_EQ(ParseSeverity(""), std::nullopt);
}

}  // namespace
}  // namespace qv::analysis
