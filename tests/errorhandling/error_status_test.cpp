#include <gtest/gtest.h>

#include "errorhandling/error_status.h"
#include "analysis/markers.h"
#include "analysis/routine_parsing.h"
#include "errorhandling/default_templates.h"
#include "support/recording_services.h"
#include "support/vb_fixture.h"

namespace qv::analysis {
namespace {

using test::Vb;

// The handler that insertion writes into Module1.Go with the default
// templates, as the editor shows it (indented with spaces).
std::vector<std::string> GoWithHandler(const std::string& name = "Go") {
    return {"Public Sub " + name + "()",
            "    On Error GoTo Error_Routine",
            "",
            "    DoWork",
            "",
            "Exit_Routine:",
            "    Exit Sub",
            "Error_Routine:",
            "    Debug.Assert False",
            "    Err.Raise Err.Number, \"Module1.Go(\" & Erl & \"):\" & Err.Source, "
            "Err.Description",
            "End Sub"};
}

std::vector<std::string> With(std::vector<std::string> lines, size_t at, std::string line) {
    lines.insert(lines.begin() + static_cast<long>(at), std::move(line));
    return lines;
}

class Status : public ::testing::Test {
protected:
    void Load(const std::vector<std::string>& code) {
        fx.Project().Components().At(1).Code()->LoadText(Vb(code));
    }
    StatusPair Of(const std::vector<std::string>& code, const std::string& name = "Go") {
        Load(code);
        return Judge(name);
    }
    StatusPair Judge(const std::string& name, int kind = 0) {
        host::CodeModule& module = fx.Module("Module1");
        std::string fullText;
        const std::string code = RemoveComments(module, name, kind, fullText);
        return GetRoutineStatus(module, name, kind, code, defaults.Record());
    }
    std::string Words(const StatusPair& s) {
        return StatusString(s.top) + " / " + StatusString(s.exit);
    }

    test::RecordingServices services;
    test::DefaultTemplates defaults;
    test::VbFixture fx;
    host::memory::MemoryComponent& module1 = fx.Add("Module1", host::vbext_ct_StdModule, "");
};

// The words of each shape of a routine, with the default templates.
TEST_F(Status, WordsOfEachShape) {
    std::vector<std::string> tabs = GoWithHandler();
    for (std::string& line : tabs) {
        if (line.rfind("    ", 0) == 0) line = "\t" + line.substr(4);
    }
    tabs[1] += "\t";  // a trailing tab is as invisible as a trailing space
    std::vector<std::string> otherCase = GoWithHandler();
    otherCase[8] = "    debug.assert FALSE";
    otherCase[6] = "    exit sub";
    const auto onErrorLine = [](const std::string& line) {
        std::vector<std::string> lines = GoWithHandler();
        lines[1] = line;
        return lines;
    };
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        std::string name;
        std::string words;
    };
    const std::vector<Case> cases = {
        {"the untouched handler", GoWithHandler(), "Go", "OK / OK"},
        {"no On Error", {"Sub Go()", "    DoWork", "End Sub"}, "Go", "MISSING / N/A"},
        {"other handling", {"Sub Go()", "    on error resume next", "    DoWork", "End Sub"}, "Go",
         "SOME / N/A"},
        {"a commented-out handler is no handler",
         {"Sub Go()", "    ' On Error GoTo Error_Routine", "End Sub"}, "Go", "MISSING / N/A"},
        {"indented with tabs in the file", tabs, "Go", "OK / OK"},
        {"template lines in another letter case", otherCase, "Go", "OK / OK"},
        {"a renamed routine is in error where the name is used", GoWithHandler("Run"), "Run",
         "OK / IN ERROR"},
        {"extra code in the exit block", With(GoWithHandler(), 6, "    CloseFiles"), "Go",
         "OK / EXTRA CODE"},
        {"renamed, with extra code", With(GoWithHandler("Run"), 9, "    LogIt"), "Run",
         "OK / IN ERROR & EXTRA CODE"},
        {"no exit block", {"Sub Go()", "    On Error GoTo Error_Routine", "    DoWork", "End Sub"},
         "Go", "OK / IN ERROR"},
        {"the first body line is never taken as the exit label",
         {"Sub Go()", "Exit_Routine:", "    On Error GoTo Error_Routine", "    Exit Sub",
          "Error_Routine:", "    Debug.Assert False",
          "    Err.Raise Err.Number, \"Module1.Go(\" & Erl & \"):\" & Err.Source, Err.Description",
          "End Sub"},
         "Go", "OK / IN ERROR"},
        // An On Error line that is not exact is in error instead of failing.
        {"a comment after On Error", onErrorLine("    On Error GoTo Error_Routine ' trap everything"),
         "Go", "IN ERROR / OK"},
        {"On Error in lower case", onErrorLine("    on error goto error_routine"), "Go",
         "IN ERROR / OK"},
        {"On Error after a label", onErrorLine("    DoFirst: On Error GoTo Error_Routine"), "Go",
         "IN ERROR / OK"},
    };
    for (const Case& c : cases) EXPECT_EQ(Words(Of(c.lines, c.name)), c.words) << c.what;
}

TEST_F(Status, ChangedErrorLabelTurnsTheHandlerIntoSome) {
    defaults.Record().label2 = "Handler";
    EXPECT_EQ(Words(Of(GoWithHandler())), "SOME / N/A");
}

class StatusWithMarkers : public Status {
protected:
    StatusWithMarkers() { defaults.Record().add1 = "Trace \"%r\""; }
    // The handler inserted into Go; name: the routine's name now.
    std::vector<std::string> Handler(const std::string& name = "Go") {
        std::vector<std::string> lines = GoWithHandler(name);
        lines.insert(lines.begin() + 2, {"    Trace \"Go\"", std::string(kClosingMarker)});
        return lines;
    }
};

TEST_F(StatusWithMarkers, EveryTopStatus) {
    EXPECT_EQ(Words(Of(Handler())), "OK / OK");
    EXPECT_EQ(Words(Of(With(Handler(), 2, "    Counter = Counter + 1"))), "EXTRA CODE / OK");
    EXPECT_EQ(Words(Of(With(Handler(), 3, "    Counter = Counter + 1"))), "EXTRA CODE / OK");
    EXPECT_EQ(StatusString(Of(Handler("Run"), "Run").top), "IN ERROR");
    EXPECT_EQ(StatusString(Of(With(Handler("Run"), 2, "    Counter = 1"), "Run").top),
              "IN ERROR & EXTRA CODE");
}

TEST_F(StatusWithMarkers, OpeningMarkerAloneComparesAnEmptyBlock) {
    defaults.Record().add1.clear();
    defaults.Record().add0 = "' checked";
    EXPECT_EQ(Words(Of({"Sub Go()", std::string(kOpeningMarker), "    ' checked",
                        "    On Error GoTo Error_Routine", "End Sub"})),
              "OK / IN ERROR");
    EXPECT_EQ(StatusString(Of({"Sub Go()", std::string(kOpeningMarker), "    ' checked",
                               "    On Error GoTo Error_Routine ' x", "End Sub"})
                               .top),
              "IN ERROR");
}

TEST_F(Status, HandlerInsertedThroughTheHostWithTabsReadsOk) {
    Load({"Public Sub Go()", "    ' does the work", "    DoWork", "End Sub"});
    host::CodeModule& module = fx.Module("Module1");
    const RoutineSpan span = FirstAndLast(module, "Go", 0);
    // What insertion writes: the blocks as the indentation engine leaves them.
    module.InsertLines(span.lastLine,
                       Vb({"", "Exit_Routine:", "\tExit Sub", "Error_Routine:",
                           "\tDebug.Assert False",
                           "\tErr.Raise Err.Number, \"Module1.Go(\" & Erl & \"):\" & "
                           "Err.Source, Err.Description"}));
    module.InsertLines(span.firstLine, Vb({"\tOn Error GoTo Error_Routine", ""}));
    EXPECT_EQ(module.Lines(span.firstLine, 1), "    On Error GoTo Error_Routine");
    EXPECT_EQ(Words(Judge("Go")), "OK / OK");
}

TEST_F(Status, PublicTestsReadTheRoutineThemselves) {
    Load(With(GoWithHandler(), 6, "    CloseFiles"));
    EXPECT_EQ(TestForTop(fx.Module("Module1"), "Go", 0, defaults.Record()), kStatusOk);
    EXPECT_EQ(TestForOldStuff(fx.Module("Module1"), "Go", 0, defaults.Record()),
              kStatusExtraCode);
}

TEST_F(Status, PropertyAccessorsAreJudgedByKind) {
    Load({"Public Property Get Value() As Long", "    On Error GoTo Error_Routine",
        "    Value = 1", "Exit_Routine:", "    Exit Property", "Error_Routine:",
        "    Debug.Assert False",
        "    Err.Raise Err.Number, \"Module1.Value(Get)(\" & Erl & \"):\" & Err.Source, "
        "Err.Description",
        "End Property", "Public Property Let Value(ByVal v As Long)", "End Property"});
    EXPECT_EQ(Words(Judge("Value", host::vbext_pk_Get)), "OK / OK");
    EXPECT_EQ(Words(Judge("Value", host::vbext_pk_Let)), "MISSING / N/A");
}

class Required : public ::testing::Test {
protected:
    bool Of(const std::string& module, const std::string& name) {
        return ErrorHandlingRequired(fx.Module(module).Members().Item(name), defaults.Record());
    }
    test::DefaultTemplates defaults;
    test::VbFixture fx;
};

TEST_F(Required, OmitListMatchesWholeNamesIgnoringCase) {
    fx.Add("Module1", host::vbext_ct_StdModule,
           Vb({"Sub errorsave()", "End Sub", "Sub ErrorSaveAll()", "End Sub"}));
    EXPECT_FALSE(Of("Module1", "errorsave"));
    EXPECT_TRUE(Of("Module1", "ErrorSaveAll"));
    defaults.Record().omit.clear();
    EXPECT_TRUE(Of("Module1", "errorsave"));
}

TEST_F(Required, ClassInitializeAndTerminate) {
    const std::string code = Vb({"Private Sub Class_Initialize()", "End Sub",
                                 "Private Sub Class_Terminate()", "End Sub"});
    auto& creatable = fx.Add("CPublic", host::vbext_ct_ClassModule, code);
    creatable.Props().Set("Instancing", "5");
    fx.Add("CPrivate", host::vbext_ct_ClassModule, code);
    EXPECT_FALSE(Of("CPublic", "Class_Initialize"));
    EXPECT_TRUE(Of("CPrivate", "Class_Initialize"));
    defaults.Record().omit = "Class_Initialize\r\nClass_Terminate";
    EXPECT_FALSE(Of("CPrivate", "Class_Initialize"));
    EXPECT_TRUE(Of("CPrivate", "Class_Terminate")) << "even when the omit list names it";
    EXPECT_TRUE(Of("CPublic", "Class_Terminate"));
}

}  // namespace
}  // namespace qv::analysis
