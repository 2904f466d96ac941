#include <gtest/gtest.h>

#include "analysis/markers.h"
#include "errorhandling/default_templates.h"
#include "errorhandling/templates.h"
#include "platform/code_page.h"
#include "platform/text.h"
#include "platform/vb_error.h"
#include "support/recording_services.h"
#include "support/vb_fixture.h"

namespace qv::errorhandling {
namespace {

using test::Vb;

constexpr const char* kRaiseCalcTotal =
    "Err.Raise Err.Number, \"Calc.Total(\" & Erl & \"):\" & Err.Source, Err.Description";

class Templates : public ::testing::Test {
protected:
    host::Member& MemberOf(std::string_view module, std::string_view name) {
        return fx.Module(module).Members().Item(name);
    }
    std::string Top(std::string_view module, std::string_view name, int kind = 0,
                    bool pattern = false) {
        return TopBit(MemberOf(module, name), kind, defaults.Record(), pattern);
    }
    std::string Last(std::string_view module, std::string_view name, int kind = 0,
                     bool pattern = false) {
        return LastBit(MemberOf(module, name), kind, defaults.Record(), pattern);
    }

    test::RecordingServices services;
    test::DefaultTemplates defaults;
    test::VbFixture fx;
};

TEST_F(Templates, WorkedExampleFunctionInAClass) {
    fx.Add("Calc", host::vbext_ct_ClassModule,
           Vb({"Option Explicit", "", "Private Function Total(ByVal x As Long) As Long",
               "    Total = x * 2", "End Function"}));
    EXPECT_EQ(Top("Calc", "Total"), "On Error GoTo Error_Routine");
    EXPECT_EQ(Last("Calc", "Total"),
              Vb({"Exit_Routine:", "Exit Function", "Error_Routine:", "Debug.Assert False",
                  kRaiseCalcTotal}));
}

TEST_F(Templates, WorkedExampleFormEventGetsTheLoggingText) {
    auto& form = fx.Add("frmMain", host::vbext_ct_VBForm,
                        Vb({"Private Sub Command1_Click()", "    Beep", "End Sub"}));
    EXPECT_EQ(Last("frmMain", "Command1_Click"),
              Vb({"Exit_Routine:", "Exit Sub", "Error_Routine:", "Debug.Assert False",
                  "Err.Raise Err.Number, \"frmMain.Command1_Click(\" & Erl & \"):\" & "
                  "Err.Source, Err.Description"}))
        << "without a control named Command1 it is an ordinary routine";
    form.EnsureDesigner().Controls().Add("Command1");
    EXPECT_EQ(Last("frmMain", "Command1_Click"),
              Vb({"Exit_Routine:", "Exit Sub", "Error_Routine:", "Debug.Assert False",
                  "Errorlog \"frmMain.Command1_Click\"", "Resume Exit_Routine"}));
}

TEST_F(Templates, PlaceholdersInBothModes) {
    fx.Add("Calc", host::vbext_ct_ClassModule,
           Vb({"Public Function Sum(ByVal a As Long, Optional b() As String) As Long",
               "End Function", "Public Sub Clear()", "End Sub",
               "Public Property Get Value() As Long", "End Property"}));
    const std::string all = "%m|%r|%p|%P|%e|%f|%F";
    host::Member& sum = MemberOf("Calc", "Sum");
    EXPECT_EQ(DoSubs(all, false, sum, 0), "Calc|Sum| a, b|, a, b|Exit Function| Sum|, Sum");
    EXPECT_EQ(DoSubs(all, true, sum, 0), "*|*|*|*|Exit Function|, *|, *");

    host::Member& clear = MemberOf("Calc", "Clear");
    EXPECT_EQ(DoSubs(all, false, clear, 0), "Calc|Clear|||Exit Sub||");
    EXPECT_EQ(DoSubs(all, true, clear, 0), "*|*|*|*|Exit Sub||");

    host::Member& value = MemberOf("Calc", "Value");
    EXPECT_EQ(DoSubs("%r %e", false, value, host::vbext_pk_Get), "Value(Get) Exit Property");
    EXPECT_EQ(DoSubs("%r %e", true, value, host::vbext_pk_Get), "* Exit Property");
}

// Placeholders are replaced one after another, in a fixed order: a '%' that
// stands before a placeholder makes a new one from what goes in for it,
// which a later replacement then takes.
TEST_F(Templates, APercentBeforeAPlaceholderMeetsWhatReplacesIt) {
    fx.Add("Calc", host::vbext_ct_ClassModule,
           Vb({"Public Function mSum(ByVal a As Long) As Long", "End Function",
               "Public Sub Clear()", "End Sub"}));
    host::Member& sum = MemberOf("Calc", "mSum");
    EXPECT_EQ(DoSubs("%%rm", false, sum, 0), "CalcSumm");   // %r, then the %m it made
    EXPECT_EQ(DoSubs("%m%%r", false, sum, 0), "CalcCalcSum");  // %r comes before %m
    EXPECT_EQ(DoSubs("%%FF|%%ff", false, sum, 0), "%, mSumF|% mSumf");
    EXPECT_EQ(DoSubs("%%ff|%%FF", false, MemberOf("Calc", "Clear"), 0), "%f|%F");
    EXPECT_EQ(DoSubs("%r%|%e%", false, sum, 0), "mSum%|Exit Function%");
}

// The blocks of a run are read once and filled for each routine: what that
// gives must be what substituting each block and dropping its blank lines
// gives, for each routine in turn (a Function, a Sub, each the other's
// next), over templates with placeholders that may come out empty, lines
// blank before or after substitution, '%' that is no placeholder, "%%",
// breaks that are not CR LF and lines of spaces.
TEST_F(Templates, BlocksReadOnceGiveWhatSubstitutionGives) {
    fx.Add("Calc", host::vbext_ct_ClassModule,
           Vb({"Public Function Sum(ByVal a As Long) As Long", "End Function",
               "Public Sub Clear()", "End Sub", "Public Sub Go(x As Long, y As Long)",
               "End Sub"}));
    // What LastBit builds: the labels, add2, the exit, add4.
    auto expected = [&](host::Member& member, const settings::SettingsRecord& s) {
        const std::string block = s.label1 + ":\r\n" + s.add2 + "\r\n%e\r\n" + s.label2 +
                                  ":\r\n" + s.add4;
        std::string out;
        for (const std::string& line : text::SplitLines(DoSubs(block, false, member, 0))) {
            if (text::Trim(line).empty()) continue;
            if (!out.empty()) out += "\r\n";
            out += line;
        }
        return out;
    };
    const std::vector<std::string> add4s{
        "Debug.Print \"%m.%r\"\r\n%f\r\n  %p  \r\nX = 1%F",
        "%P\r\n\r\n   \r\n%e %e\r\nY%",
        "50% of %r%x\r\n%f%p",
        "%%r and %m\r\n%f",
        "a\nb %r\r\n\rc %m",
        "",
    };
    settings::SettingsRecord& record = defaults.Record();
    for (const std::string& add2 : {std::string(), std::string("Set x = Nothing %f")}) {
        record.add2 = add2;
        for (const std::string& add4 : add4s) {
            record.add4 = add4;
            for (int round = 0; round < 2; ++round) {
                for (const char* name : {"Sum", "Clear", "Go"}) {
                    host::Member& member = MemberOf("Calc", name);
                    EXPECT_EQ(LastBit(member, 0, record, false), expected(member, record))
                        << name << " with " << add4;
                }
            }
        }
    }
}

TEST_F(Templates, EmptyStringLiteralsBecomeWildcardsInPatternModeOnly) {
    fx.Add("Module1", host::vbext_ct_StdModule, Vb({"Sub Go()", "End Sub"}));
    host::Member& go = MemberOf("Module1", "Go");
    EXPECT_EQ(DoSubs("Errorlog \"\", \"%m\"", false, go, 0), "Errorlog \"\", \"Module1\"");
    EXPECT_EQ(DoSubs("Errorlog \"\", \"%m\"", true, go, 0), "Errorlog \"*\", \"*\"");
}

TEST_F(Templates, TopBlockMarkersAndBlankTemplateLines) {
    fx.Add("Module1", host::vbext_ct_StdModule, Vb({"Sub Go()", "End Sub"}));
    settings::SettingsRecord& s = defaults.Record();
    s.add0 = "' enter %r\r\n   \r\nTrace \"%m\"";
    s.add1 = "Dim started As Date";
    EXPECT_EQ(Top("Module1", "Go"),
              Vb({std::string(analysis::kOpeningMarker), "' enter Go", "Trace \"Module1\"",
                  "On Error GoTo Error_Routine", "Dim started As Date",
                  std::string(analysis::kClosingMarker)}));
    EXPECT_EQ(Top("Module1", "Go", 0, true),
              Vb({std::string(analysis::kOpeningMarker), "' enter *", "Trace \"*\"",
                  "On Error GoTo Error_Routine", "Dim started As Date",
                  std::string(analysis::kClosingMarker)}));

    s.add0 = "   ";  // not empty, so the marker comes; its own line is blank and dropped
    s.add1.clear();
    EXPECT_EQ(Top("Module1", "Go"),
              Vb({std::string(analysis::kOpeningMarker), "On Error GoTo Error_Routine"}));

    s.add2 = "  \r\nCleanUp";
    EXPECT_EQ(Last("Module1", "Go"),
              Vb({"Exit_Routine:", "CleanUp", "Exit Sub", "Error_Routine:", "Debug.Assert False",
                  "Err.Raise Err.Number, \"Module1.Go(\" & Erl & \"):\" & Err.Source, "
                  "Err.Description"}));
}

TEST_F(Templates, ParameterPlaceholderWithAndWithoutParameters) {
    fx.Add("Module1", host::vbext_ct_StdModule,
           Vb({"Sub NoArgs()", "End Sub", "Sub TwoArgs(a As Long, _", "    ByVal b As String)",
               "End Sub"}));
    EXPECT_EQ(DoSubs("Log \"%r\"%P", false, MemberOf("Module1", "NoArgs"), 0), "Log \"NoArgs\"");
    EXPECT_EQ(DoSubs("Log \"%r\"%P", false, MemberOf("Module1", "TwoArgs"), 0),
              "Log \"TwoArgs\", a, b");
}

TEST_F(Templates, MainOfAStandardModuleIsAnEventRoutine) {
    fx.Add("modStart", host::vbext_ct_StdModule,
           Vb({"Sub MAIN()", "End Sub", "Sub Helper()", "End Sub"}));
    EXPECT_EQ(Last("modStart", "MAIN"),
              Vb({"Exit_Routine:", "Exit Sub", "Error_Routine:", "Debug.Assert False",
                  "Errorlog \"modStart.MAIN\"", "Resume Exit_Routine"}));
    EXPECT_NE(Last("modStart", "Helper").find("Err.Raise"), std::string::npos);
}

TEST_F(Templates, WithEventsHandlerOfAClassIsAnEventRoutine) {
    fx.Add("CTimer", host::vbext_ct_ClassModule,
           Vb({"Private WithEvents  tmr As CTicker", "", "Private Sub tmr_Tick()", "End Sub",
               "Private Sub Other_Tick()", "End Sub"}));
    EXPECT_NE(Last("CTimer", "tmr_Tick").find("Errorlog \"CTimer.tmr_Tick\""), std::string::npos);
    EXPECT_NE(Last("CTimer", "Other_Tick").find("Err.Raise"), std::string::npos);
}

TEST_F(Templates, MtsClassRoutines) {
    auto& c = fx.Add("CTx", host::vbext_ct_ClassModule,
                     Vb({"Private Sub ObjectControl_Activate()", "End Sub",
                         "Public Function Save() As Boolean", "End Function",
                         "Private Sub Class_Terminate()", "End Sub"}));
    c.Props().Set("MTSTransactionMode", "2");
    EXPECT_EQ(Last("CTx", "ObjectControl_Activate"),
              Vb({"Exit_Routine:", "Exit Sub", "Error_Routine:", "Debug.Assert False",
                  "Err.Raise Err.Number, \"CTx.ObjectControl_Activate(\" & Erl & \"):\" & "
                  "Err.Source, Err.Description"}));
    EXPECT_EQ(Last("CTx", "Save"),
              Vb({"Exit_Routine:", "mctxObject.SetComplete", "Exit Function", "Error_Routine:",
                  "Debug.Assert False", "mctxObject.SetAbort",
                  "Err.Raise Err.Number, \"CTx.Save(\" & Erl & \"):\" & Err.Source, "
                  "Err.Description"}));
    EXPECT_EQ(Last("CTx", "Class_Terminate"), "ErrorRestore");
    EXPECT_EQ(Last("CTx", "Save", 0, true),
              Vb({"Exit_Routine:", "mctxObject.SetComplete", "Exit Function", "Error_Routine:",
                  "Debug.Assert False", "mctxObject.SetAbort",
                  "Err.Raise Err.Number, \"*.*(\" & Erl & \"):\" & Err.Source, "
                  "Err.Description"}));
}

TEST_F(Templates, TerminateRoutines) {
    fx.Add("CThing", host::vbext_ct_ClassModule,
           Vb({"Private Sub class_terminate()", "End Sub", "Private Sub Other_Terminate()",
               "End Sub"}));
    fx.Add("dsrReport", host::vbext_ct_ActiveXDesigner,
           Vb({"Private Sub DataReport_Terminate()", "End Sub", "Private Sub Report_terminate()",
               "End Sub"}));
    fx.Add("frmMain", host::vbext_ct_VBForm, Vb({"Private Sub Form_Terminate()", "End Sub"}));
    EXPECT_TRUE(IsTermimate(MemberOf("CThing", "class_terminate")));
    EXPECT_FALSE(IsTermimate(MemberOf("CThing", "Other_Terminate")));
    EXPECT_TRUE(IsTermimate(MemberOf("dsrReport", "DataReport_Terminate")));
    EXPECT_FALSE(IsTermimate(MemberOf("dsrReport", "Report_terminate"))) << "case-sensitive";
    EXPECT_FALSE(IsTermimate(MemberOf("frmMain", "Form_Terminate")));

    // Whatever the templates say.
    defaults.Record().add2 = "CleanUp";
    EXPECT_EQ(Last("CThing", "class_terminate"), "ErrorRestore");
    EXPECT_EQ(Last("CThing", "class_terminate", 0, true), "ErrorRestore");
    EXPECT_EQ(kTerminateTopBlock,
              Vb({"\tIf Err.Number <> 0 Then", "\t\tErrorSave", "\tEnd If",
                  "\tOn Error Resume Next"}));
}

TEST_F(Templates, DesignerEventsArePrivateMethodsWithAnUnderscore) {
    fx.Add("dsrData", host::vbext_ct_ActiveXDesigner,
           Vb({"Private Sub Connection_Open()", "End Sub", "Public Sub Connection_Close()",
               "End Sub", "Private Sub Refresh()", "End Sub"}));
    EXPECT_NE(Last("dsrData", "Connection_Open").find("Errorlog"), std::string::npos);
    EXPECT_EQ(Last("dsrData", "Connection_Close").find("Errorlog"), std::string::npos);
    EXPECT_EQ(Last("dsrData", "Refresh").find("Errorlog"), std::string::npos);
}

TEST(CheckAtTop, DesignerAndControlEvents) {
    test::VbFixture fx;
    auto& form = fx.Add("frmMain", host::vbext_ct_VBForm, "");
    host::VBControls& controls = form.EnsureDesigner().VBControls();
    form.EnsureDesigner().Controls().Add("Command1");
    EXPECT_TRUE(CheckAtTop("Form_Load", &controls, host::vbext_ct_VBForm));
    EXPECT_TRUE(CheckAtTop("FORM_Unload", &controls, host::vbext_ct_VBForm));
    EXPECT_FALSE(CheckAtTop("Sub_Form_Load", &controls, host::vbext_ct_VBForm));
    EXPECT_FALSE(CheckAtTop("FormLoad", &controls, host::vbext_ct_VBForm));
    EXPECT_TRUE(CheckAtTop("Command1_Click", &controls, host::vbext_ct_VBForm));
    EXPECT_FALSE(CheckAtTop("Command2_Click", &controls, host::vbext_ct_VBForm));
    EXPECT_FALSE(CheckAtTop("Command1_Click", nullptr, host::vbext_ct_VBForm));
    EXPECT_TRUE(CheckAtTop("MDIForm_Load", nullptr, host::vbext_ct_VBMDIForm));
    EXPECT_TRUE(CheckAtTop("propertypage_Paint", nullptr, host::vbext_ct_PropPage));
    EXPECT_TRUE(CheckAtTop("UserControl_Resize", nullptr, host::vbext_ct_UserControl));
    EXPECT_TRUE(CheckAtTop("UserDocument_Show", nullptr, host::vbext_ct_DocObject));
    EXPECT_FALSE(CheckAtTop("Form_Load", nullptr, host::vbext_ct_UserControl));
}

class CountingServices : public test::RecordingServices {
public:
    void DoEvents() override { ++doEvents; }
    int doEvents = 0;
};

// Top blocks are read once for the runs that follow: a change of any field
// they are built from, or of the run's code page, makes the block anew, and
// more settings than are kept come back right when met again.
TEST_F(Templates, TopBlocksFollowTheSettingsFromCallToCall) {
    fx.Add("Calc", host::vbext_ct_StdModule, Vb({"Public Sub Go()", "End Sub"}));
    const std::string opening(analysis::kOpeningMarker), closing(analysis::kClosingMarker);
    struct Case {
        settings::SettingsRecord record;
        std::string expected;
    };
    std::vector<Case> cases;
    auto add = [&](const std::string& label2, const std::string& add0, const std::string& add1,
                   std::string expected, text::CodePage page = text::CodePage::Windows1252()) {
        settings::SettingsRecord record = defaults.Record();
        record.label2 = label2;
        record.add0 = add0;
        record.add1 = add1;
        record.codePage = page;
        cases.push_back({record, std::move(expected)});
    };
    add("Error_Routine", "", "", "On Error GoTo Error_Routine");
    add("Oops", "", "", "On Error GoTo Oops");
    add("Oops", "' in %r", "", Vb({opening, "' in Go", "On Error GoTo Oops"}));
    add("Oops", "' in %r", "Trace \"%m\"",
        Vb({opening, "' in Go", "On Error GoTo Oops", "Trace \"Calc\"", closing}));
    add("Oops", "", "' \xC5\x99", Vb({"On Error GoTo Oops", "' \xF8", closing}),
        *text::CodePage::Named("1250"));
    add("Oops", "", "' \xC5\x99", Vb({"On Error GoTo Oops", "' ?", closing}));
    for (int round = 0; round < 2; ++round) {
        for (const Case& c : cases) {
            EXPECT_EQ(TopBit(MemberOf("Calc", "Go"), 0, c.record, false), c.expected);
        }
    }
}

TEST(TopBitEvents, PendingEventsRunOncePerTopBlock) {
    CountingServices services;
    test::DefaultTemplates defaults;
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, Vb({"Sub Go()", "End Sub"}));
    host::Member& go = fx.Module("Module1").Members().Item("Go");
    TopBit(go, 0, defaults.Record(), false);
    TopBit(go, 0, defaults.Record(), true);
    EXPECT_EQ(services.doEvents, 2);
}

TEST(TemplateErrors, UnknownRoutinePassesTheErrorUpWithItsLocation) {
    test::DefaultTemplates defaults;
    test::VbFixture fx;
    fx.Add("Module1", host::vbext_ct_StdModule, Vb({"Sub Go()", "End Sub"}));
    host::Member& go = fx.Module("Module1").Members().Item("Go");
    try {
        LastBit(go, host::vbext_pk_Get, defaults.Record(), false);
        FAIL() << "a kind the routine does not have must raise";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), err::kSubOrFunctionNotDefined);
        EXPECT_NE(e.Source().find("ErrorHandling.LastBit("), std::string::npos) << e.Source();
    }
}

// The run's code page writes the templates (settings are UTF-8), and only a
// file written in UTF-8 keeps its own: the host's page of the module is the
// IDE's, not the run's.
TEST_F(Templates, TemplateTextIsWrittenInTheRunsCodePageOrAUtf8FilesOwn) {
    const text::CodePage centralEurope = *text::CodePage::Named("1250");
    fx.Add("Calc", host::vbext_ct_StdModule, Vb({"Public Sub Go()", "End Sub"}));
    auto& utf8 = fx.Add("Utf8", host::vbext_ct_StdModule, Vb({"Public Sub Go()", "End Sub"}));
    utf8.SetTextCodePage(text::CodePage::Utf8());
    settings::SettingsRecord record = defaults.Record();
    record.add0 = "' Dvořák";
    record.codePage = centralEurope;
    const std::string inRunsPage = text::FromUtf8Replacing(record.add0, centralEurope);
    ASSERT_EQ(inRunsPage.find('?'), std::string::npos);
    EXPECT_NE(TopBit(MemberOf("Calc", "Go"), 0, record, false).find(inRunsPage),
              std::string::npos);
    EXPECT_NE(TopBit(MemberOf("Utf8", "Go"), 0, record, false).find(record.add0),
              std::string::npos);
}

}  // namespace
}  // namespace qv::errorhandling
