// Shapes of real VB6 code bases, one fixture module each
// (fixtures/RealShapes): routines declared in both branches of an #If,
// a branch holding body lines, an #If that opens above an earlier routine,
// one-line routines, events that share a routine's name, WithEvents
// variables declared under #If with their attribute lines, labels of the
// user's own and a terminate routine. Each goes through list, check, add,
// remove, number, unnumber and tidy against the text it must give.


#include "cli/shape_fixture.h"

namespace qv::test {
namespace {

using namespace shapes;

class RealShapes : public ShapeFolderTest {
  protected:
    RealShapes() : ShapeFolderTest("RealShapes") {}

    void Restore() {
        for (const auto& [name, bytes] : Files(original)) folder.Write(name, bytes);
    }
    // tidy gives tidied; add, then remove, gives the module back; number,
    // unnumber, tidy gives what tidy gives.
    void ExpectRoundTrips(const std::string& module, const Lines& tidied) {
        Restore();
        ExpectAfter({"tidy"}, module, tidied);
        Restore();
        ASSERT_EQ(Run({"add", "RealShapes.vbp"}).code, 0);
        ASSERT_EQ(Run({"remove", "RealShapes.vbp"}).code, 0);
        ExpectOriginal(module);
        Restore();
        ASSERT_EQ(Run({"number", "RealShapes.vbp"}).code, 0);
        ASSERT_EQ(Run({"unnumber", "RealShapes.vbp"}).code, 0);
        ASSERT_EQ(Run({"tidy", "RealShapes.vbp"}).code, 0);
        EXPECT_EQ(folder.Read(FileOf(module)), ModuleFile(module, tidied));
    }
};

TEST_F(RealShapes, EveryRoutineIsListedOnceAndJudged) {
    const CliResult list = Run({"list", "RealShapes.vbp"});
    EXPECT_EQ(list.code, 0) << list.err;
    EXPECT_EQ(list.out,
              "RealShapes (Standard EXE)  RealShapes.vbp\n"
              "  modCond (Module)  modCond.bas\n"
              "    Function CallSlot\n"
              "    Sub After\n"
              "  modBranchBody (Module)  modBranchBody.bas\n"
              "    Function Scale\n"
              "  modSpan (Module)  modSpan.bas\n"
              "    Sub Start\n"
              "    Sub Run\n"
              "  modOneLine (Module)  modOneLine.bas\n"
              "    Function Lo16\n"
              "    Sub UseIt\n"
              "    Sub Nothing1\n"
              "  CEvents (Class)  CEvents.cls\n"
              "    Sub Opened\n"
              "    Property Let Failed\n"
              "    Property Get Failed\n"
              "  CWithEvents (Class)  CWithEvents.cls\n"
              "    Sub mSource_Opened\n"
              "  modLabels (Module)  modLabels.bas\n"
              "    Sub Retry\n"
              "    Sub Guarded\n"
              "  CTerm (Class)  CTerm.cls\n"
              "    Sub Class_Terminate\n");

    const CliResult check = Run({"check", "RealShapes.vbp", "--module", "modLabels"});
    EXPECT_EQ(check.code, 1);
    EXPECT_EQ(check.out,
              "RealShapes  RealShapes.vbp\n"
              "  modLabels  Good 0  Some 1  Error 1  None 0\n"
              "    Routine name  Type  Top Status  Exit Status\n"
              "    Retry               OK          IN ERROR\n"
              "    Guarded             SOME        N/A\n"
              "2 routines judged: Good 0, Some 1, Error 1, None 0\n");
    ASSERT_EQ(Run({"add", "RealShapes.vbp"}).code, 0);
    const CliResult judged = Run({"check", "RealShapes.vbp", "--module", "modCond"});
    EXPECT_EQ(judged.code, 0) << judged.out;
    EXPECT_NE(judged.out.find("    CallSlot            OK          OK\n"), std::string::npos)
        << "the whole body is read: " << judged.out;
}

// The 64-bit idiom: the top block and the header layout go below the #End If
// that closes the alternative declarations; numbering leaves every
// conditional line and declaration alone.
TEST_F(RealShapes, AlternativeDeclarations) {
    // The lines above the body: the Declares indented by indent, the second
    // lines of the routine's declarations by continued.
    auto declarations = [](const std::string& indent, const std::string& continued) {
        return Lines{
            "Option Explicit",
            "",
            "#If Win64 Then",
            indent + "Private Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As Long",
            "#Else",
            indent + "Private Declare Function GetTickCount Lib \"kernel32\" () As Long",
            "#End If",
            "",
            "' Calls the slot.",
            "#If Win64 Then",
            "Public Function CallSlot(ByVal target As LongPtr, _",
            continued + "ByVal args As LongPtr) As Long",
            "#Else",
            "Public Function CallSlot(ByVal target As Long, _",
            continued + "ByVal args As Long) As Long",
            "#End If"};
    };
    const Lines head = declarations("", "    ") + Lines{"' The slot's result."};
    const Lines added = head +
                        WithHandler({"    If target = 0 Then", "        CallSlot = -1", "    Else",
                                     "        CallSlot = 1", "    End If"},
                                    "Function", "modCond.CallSlot") +
                        Lines{"End Function", "", "Private Sub After()"} +
                        WithHandler({"    Debug.Print GetTickCount"}, "Sub", "modCond.After") +
                        Lines{"End Sub"};
    ExpectAfter({"add"}, "modCond", added);

    const Lines laidOut = declarations("    ", std::string(25, ' '));
    Restore();
    ExpectAfter({"number"}, "modCond",
                laidOut + Lines{"    ' The slot's result.", "1   If target = 0 Then",
                                "2       CallSlot = -1", "3   Else", "4       CallSlot = 1",
                                "5   End If", "End Function", "", "Private Sub After()",
                                "1   Debug.Print GetTickCount", "End Sub"});
    ExpectAfter({"unnumber"}, "modCond",
                laidOut + Lines{"' The slot's result.", "If target = 0 Then", "    CallSlot = -1",
                                "Else", "    CallSlot = 1", "End If", "End Function", "",
                                "Private Sub After()", "Debug.Print GetTickCount", "End Sub"});
    Restore();
    const Lines tidied = laidOut + Lines{"    ' The slot's result.",
                                         "    If target = 0 Then",
                                         "        CallSlot = -1",
                                         "    Else",
                                         "        CallSlot = 1",
                                         "    End If",
                                         "End Function",
                                         "",
                                         "Private Sub After()",
                                         "    Debug.Print GetTickCount",
                                         "End Sub"};
    ExpectRoundTrips("modCond", tidied);
}

// A branch that holds body lines before the other declaration: the
// declaration still ends at the #End If, and the lines in the branch are
// neither numbered nor re-indented as body.
TEST_F(RealShapes, BodyLinesInABranchOfTheDeclarations) {
    const Lines head = {
        "Option Explicit",
        "",
        "#If VBA7 Then",
        "Function Scale(ByVal v As Double) As Double",
        "    Scale = v",
        "#Else",
        "Function Scale(ByVal v As Double, Optional ByVal by As Double = 1) As Double",
        "    Scale = v * by",
        "#End If"};
    ExpectAfter({"add"}, "modBranchBody",
                head + WithHandler({"    Scale = Scale + 1"}, "Function", "modBranchBody.Scale") +
                    Lines{"End Function"});
    Restore();
    ExpectAfter({"number"}, "modBranchBody", head + Lines{"1   Scale = Scale + 1", "End Function"});
    ExpectAfter({"unnumber"}, "modBranchBody", head + Lines{"Scale = Scale + 1", "End Function"});
    Restore();
    const Lines tidied = head + Lines{"    Scale = Scale + 1", "End Function"};
    ExpectRoundTrips("modBranchBody", tidied);
}

// An #If whose first branch opens above an earlier routine and whose #Else
// holds a second declaration of the next one: that routine is refused by
// every command that changes code; the earlier one is changed as usual.
TEST_F(RealShapes, IfOpeningAboveAnEarlierRoutine) {
    const Lines run = {"",        "Private Sub Run(ByVal p As LongPtr)",
                       "#Else",   "    Private Sub Run(ByVal p As Long)",
                       "#End If", "    Debug.Print p",
                       "End Sub"};
    const std::string reason =
        "the #If ... #End If lines around Run do not nest inside it (a branch opens or closes "
        "outside the routine), so code put into it could land in the wrong branch: change it "
        "by hand\n";
    const std::string refusal = "refused   Run: " + reason;
    for (const char* command : {"add", "number", "unnumber", "remove", "replace"}) {
        const CliResult r = Run({command, "RealShapes.vbp", "--module", "modSpan"});
        EXPECT_EQ(r.code, 0) << command;
        EXPECT_NE(r.out.find(refusal), std::string::npos) << command << ": " << r.out;
        const CliResult one = Run({command, "RealShapes.vbp", "--routine", "Run"});
        EXPECT_EQ(one.code, 1) << command << " refuses the routine at the cursor";
        Restore();
    }
    const CliResult tidy = Run({"tidy", "RealShapes.vbp", "--routine", "Run"});
    EXPECT_EQ(tidy.code, 1);
    EXPECT_EQ(tidy.out,
              "refused modSpan.Run: " + reason + "Nothing to tidy: the code is tidy already.\n");
    ExpectOriginal("modSpan");

    const Lines start = {"Option Explicit", "", "#If Win64 Then", "Private Sub Start()"};
    const Lines added = start + WithHandler({"    Debug.Print \"start\""}, "Sub", "modSpan.Start") +
                        Lines{"End Sub"} + run;
    ExpectAfter({"add"}, "modSpan", added);
    Restore();
    ExpectAfter({"number"}, "modSpan", start + Lines{"1   Debug.Print \"start\"", "End Sub"} + run);
    const Lines tidied = start + Lines{"    Debug.Print \"start\"", "End Sub"} + run;
    ExpectRoundTrips("modSpan", tidied);
}

// A routine written on one line with its body and End: refused with its
// reason; nothing is written outside a routine.
TEST_F(RealShapes, OneLineRoutines) {
    const std::string lo16 =
        "Private Function Lo16(ByVal v As Long) As Long: Lo16 = v And &HFFFF&: End Function";
    const CliResult r = Run({"add", "RealShapes.vbp", "--module", "modOneLine"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out,
              "modOneLine  (modOneLine.bas)\n"
              "  refused   Lo16: Lo16 is written on one line with its body and closing statement, "
              "so there is no body to change: put its statements on lines of their own first\n"
              "  added     UseIt\n"
              "  refused   Nothing1: Nothing1 is written on one line with its body and closing "
              "statement, so there is no body to change: put its statements on lines of their "
              "own first\n"
              "Changed 1 routine in 1 module; 2 refused.\n");
    EXPECT_EQ(
        folder.Read("modOneLine.bas"),
        ModuleFile("modOneLine",
                   Lines{"Option Explicit", "", lo16, "", "Private Sub UseIt()"} +
                       WithHandler({"    Debug.Print Lo16(70000)"}, "Sub", "modOneLine.UseIt") +
                       Lines{"End Sub", "", "Private Sub Nothing1(): End Sub"}));
    Restore();
    const Lines numbered = {"Option Explicit",
                            "",
                            lo16,
                            "",
                            "Private Sub UseIt()",
                            "1   Debug.Print Lo16(70000)",
                            "End Sub",
                            "",
                            "Private Sub Nothing1(): End Sub"};
    ExpectAfter({"number"}, "modOneLine", numbered);
    Lines unnumbered = numbered;
    unnumbered[5] = "Debug.Print Lo16(70000)";
    ExpectAfter({"unnumber"}, "modOneLine", unnumbered);
    Restore();
    const CliResult tidy = Run({"tidy", "RealShapes.vbp", "--module", "modOneLine"});
    EXPECT_NE(tidy.out.find("refused modOneLine.Lo16: Lo16 is written on one line"),
              std::string::npos)
        << tidy.out;
    ExpectOriginal("modOneLine");
    ExpectRoundTrips("modOneLine", {"Option Explicit", "", lo16, "", "Private Sub UseIt()",
                                    "    Debug.Print Lo16(70000)", "End Sub", "",
                                    "Private Sub Nothing1(): End Sub"});
}

// Events and routines of one name are separate members: the routines are
// judged and changed like any other.
TEST_F(RealShapes, RoutinesNamedLikeEvents) {
    const Lines events = {"Option Explicit", "", "Public Event Opened()",
                          "Public Event Failed(ByVal reason As String)", ""};
    const Lines added =
        events + Lines{"Public Sub Opened()"} +
        WithHandler({"    RaiseEvent Opened"}, "Sub", "CEvents.Opened") +
        Lines{"End Sub", "", "Public Property Get Failed() As Boolean"} +
        WithHandler({"    Failed = False"}, "Property", "CEvents.Failed(Get)") +
        Lines{"End Property", "", "Public Property Let Failed(ByVal v As Boolean)"} +
        WithHandler({"    If v Then RaiseEvent Failed(\"set\")"}, "Property",
                    "CEvents.Failed(Let)") +
        Lines{"End Property"};
    ExpectAfter({"add"}, "CEvents", added);
    Restore();
    const Lines numbered = events + Lines{"Public Sub Opened()",
                                          "1   RaiseEvent Opened",
                                          "End Sub",
                                          "",
                                          "Public Property Get Failed() As Boolean",
                                          "1   Failed = False",
                                          "End Property",
                                          "",
                                          "Public Property Let Failed(ByVal v As Boolean)",
                                          "1   If v Then RaiseEvent Failed(\"set\")",
                                          "End Property"};
    ExpectAfter({"number"}, "CEvents", numbered);
    ExpectRoundTrips(
        "CEvents",
        {"Option Explicit", "", "Public Event Opened()",
         "Public Event Failed(ByVal reason As String)", "", "Public Sub Opened()",
         "    RaiseEvent Opened", "End Sub", "", "Public Property Get Failed() As Boolean",
         "    Failed = False", "End Property", "", "Public Property Let Failed(ByVal v As Boolean)",
         "    If v Then RaiseEvent Failed(\"set\")", "End Property"});
}

// A WithEvents variable declared in both branches keeps an attribute line
// under each declaration, whatever changes in the module.
TEST_F(RealShapes, WithEventsDeclaredInBothBranches) {
    // The declarations, with each declaration indented by as much as given.
    auto declarations = [](const std::string& indent) {
        return Lines{"Option Explicit",
                     "",
                     "#If UseNew Then",
                     indent + "Private WithEvents mSource As CEvents",
                     "Attribute mSource.VB_VarHelpID = -1",
                     "#Else",
                     indent + "Private WithEvents mSource As CEvents",
                     "Attribute mSource.VB_VarHelpID = -1",
                     "#End If",
                     "",
                     "Private Sub mSource_Opened()"};
    };
    ExpectAfter({"add"}, "CWithEvents",
                declarations("") + Lines{"    On Error GoTo Error_Routine", "",
                                         "    Debug.Print \"opened\"", "", "Exit_Routine:",
                                         "    Exit Sub", "Error_Routine:", "    Debug.Assert False",
                                         "    Errorlog \"CWithEvents.mSource_Opened\"",
                                         "    Resume Exit_Routine", "End Sub"});
    const Lines body = {"    Debug.Print \"opened\"", "End Sub"};
    ExpectAfter({"remove"}, "CWithEvents", declarations("") + body);
    const Lines tidied = declarations("    ") + body;
    ExpectRoundTrips("CWithEvents", tidied);
}

// Labels of the user's own: removing the standard On Error line above an
// error part of the user's own deletes no label; "Error:" goes to column 1
// and no label gets a line number.
TEST_F(RealShapes, LabelsOfTheUsersOwn) {
    const Lines guarded = {"",
                           "Public Sub Guarded()",
                           "    On Error GoTo Error",
                           "    Debug.Print 1",
                           "    Exit Sub",
                           "Error:",
                           "    Debug.Print 2",
                           "End Sub"};
    Lines removed = {"Option Explicit",
                     "",
                     "Public Sub Retry()",
                     "    Debug.Print 1",
                     "    Exit Sub",
                     "Error_Routine:",
                     "    If Err.Number = 5 Then Resume",
                     "    MsgBox Err.Description",
                     "End Sub"};
    const CliResult r = Run({"remove", "RealShapes.vbp", "--routine", "Retry"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out,
              "modLabels  (modLabels.bas)\n  removed   Retry\n"
              "Changed 1 routine in 1 module; 0 refused.\n");
    Lines expected = removed;
    expected.insert(expected.end(), guarded.begin(), guarded.end());
    expected[expected.size() - 3] = "    Error:";
    EXPECT_EQ(folder.Read("modLabels.bas"), ModuleFile("modLabels", expected));
    Restore();
    ExpectAfter({"number"}, "modLabels",
                {"Option Explicit", "", "Public Sub Retry()", "    On Error GoTo Error_Routine",
                 "1   Debug.Print 1", "2   Exit Sub", "Error_Routine:",
                 "3   If Err.Number = 5 Then Resume", "4   MsgBox Err.Description", "End Sub", "",
                 "Public Sub Guarded()", "    On Error GoTo Error", "1   Debug.Print 1",
                 "2   Exit Sub", "Error:", "3   Debug.Print 2", "End Sub"});
    Restore();
    Lines tidied = {"Option Explicit",
                    "",
                    "Public Sub Retry()",
                    "    On Error GoTo Error_Routine",
                    "    Debug.Print 1",
                    "    Exit Sub",
                    "Error_Routine:",
                    "    If Err.Number = 5 Then Resume",
                    "    MsgBox Err.Description",
                    "End Sub"};
    tidied.insert(tidied.end(), guarded.begin(), guarded.end());
    ExpectAfter({"tidy"}, "modLabels", tidied);
}

// A terminate routine: add then remove gives it back.
TEST_F(RealShapes, TerminateRoutine) {
    const Lines head = {"Option Explicit", "", "Private mOwner As Object", "",
                        "Private Sub Class_Terminate()"};
    const Lines added = head + Lines{"    If Err.Number <> 0 Then",
                                     "        ErrorSave",
                                     "    End If",
                                     "    On Error Resume Next",
                                     "",
                                     "    Set mOwner = Nothing",
                                     "",
                                     "    ErrorRestore",
                                     "End Sub"};
    ExpectAfter({"add"}, "CTerm", added);
    const CliResult check = Run({"check", "RealShapes.vbp", "--module", "CTerm"});
    EXPECT_EQ(check.code, 0) << "the terminate blocks pass the gate";
    const CliResult removed = Run({"remove", "RealShapes.vbp", "--module", "CTerm"});
    EXPECT_EQ(removed.out,
              "CTerm  (CTerm.cls)\n  removed   Class_Terminate\n"
              "Changed 1 routine in 1 module; 0 refused.\n");
    ExpectOriginal("CTerm");
    const Lines numbered = head + Lines{"    Set mOwner = Nothing", "End Sub"};
    ExpectAfter({"number"}, "CTerm", numbered);
    ExpectRoundTrips("CTerm", numbered);
}

// A form of nothing but NUL bytes and a module whose routine never closes:
// every command reports them, leaves them as they are, does the rest and
// exits 3.
TEST_F(RealShapes, ModulesThatCannotBeModelledAreReportedAndLeftAlone) {
    const std::string nul(2048, '\0');
    const std::string unclosed =
        CrlfLines({"Attribute VB_Name = \"modUnclosed\"", "Sub Open()", "    x = 1"});
    folder.Write("frmBroken.frm", nul);
    folder.Write("modUnclosed.bas", unclosed);
    std::string project = folder.Read("RealShapes.vbp");
    project.insert(project.find("Name="),
                   "Form=frmBroken.frm\r\nModule=modUnclosed; modUnclosed.bas\r\n");
    folder.Write("RealShapes.vbp", project);
    for (const char* command :
         {"list", "check", "stats", "add", "number", "tidy", "remove", "replace", "unnumber"}) {
        const CliResult r = Run({command, "RealShapes.vbp"});
        EXPECT_EQ(r.code, 3) << command << ": " << r.err;
        EXPECT_NE(r.err.find("frmBroken.frm: the file holds NUL bytes"), std::string::npos)
            << command << ": " << r.err;
        EXPECT_NE(r.err.find("modUnclosed.bas:2: the Sub Open declared here has no End Sub line"),
                  std::string::npos)
            << command << ": " << r.err;
        EXPECT_EQ(folder.Read("frmBroken.frm"), nul);
        EXPECT_EQ(folder.Read("modUnclosed.bas"), unclosed);
    }
    EXPECT_NE(folder.Read("modCond.bas"), original.Read("modCond.bas")) << "the rest was done";
    const CliResult json = Run({"--format", "json", "check", "RealShapes.vbp"});
    Json errors = ParseJson(json.out)["errors"];
    ASSERT_EQ(errors.size(), 2);
    EXPECT_EQ(errors[0]["module"].get<std::string>(), "frmBroken");
    EXPECT_EQ(errors[1]["module"].get<std::string>(), "modUnclosed");
    EXPECT_EQ(errors[1]["line"].get<int>(), 2);
    EXPECT_FALSE(ParseJson(json.out)["allGood"].get<bool>());
    const CliResult found = Run({"find", "RealShapes.vbp", "x = 1"});
    EXPECT_EQ(found.code, 3) << "the NUL form is reported";
    EXPECT_NE(found.out.find("modUnclosed"), std::string::npos) << "a search reads the text";
}

// Folders of one name given together, and a group of two projects of one
// name: the second is called Name_2, and every command works.
TEST_F(RealShapes, ProjectsOfOneName) {
    folder.Write("copy/RealShapes.vbp",
                 "Type=Exe\r\nModule=modCond; modCond.bas\r\n"
                 "Name=\"RealShapes\"\r\n");
    folder.Write("copy/modCond.bas", original.Read("modCond.bas"));
    folder.Write("All.vbg",
                 "VBGROUP 5.0\r\nStartupProject=RealShapes.vbp\r\n"
                 "Project=copy/RealShapes.vbp\r\n");
    for (const std::vector<std::string>& command :
         std::vector<std::vector<std::string>>{{"list", "All.vbg"},
                                               {"check", "All.vbg"},
                                               {"stats", "All.vbg", "--group"},
                                               {"find", "All.vbg", "CallSlot", "--scope", "group"},
                                               {"add", "All.vbg", "--project", "RealShapes_2"}}) {
        const CliResult r = Run(command);
        EXPECT_LT(r.code, 2) << command[0] << ": " << r.err;
        EXPECT_NE(r.err.find("a project named RealShapes is already loaded; this one "
                             "(copy/RealShapes.vbp) is called RealShapes_2 here"),
                  std::string::npos)
            << command[0] << ": " << r.err;
    }
    EXPECT_NE(folder.Read("copy/modCond.bas"), original.Read("modCond.bas"));
    ExpectOriginal("modCond");
    const CliResult loose = Run({"check", "modCond.bas", "copy/modCond.bas"});
    EXPECT_EQ(loose.code, 1) << loose.err;
}

}  // namespace
}  // namespace qv::test
