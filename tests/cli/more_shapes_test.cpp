// More shapes of real VB6 code bases, one fixture module each
// (fixtures/MoreShapes): routines defined in full in each branch of an #If
// (a Function, a Sub and a property's accessors) beside the 64-bit idiom of
// alternative declarations, routines that define a label of the handler
// themselves, On Error lines without the rest of the handler, and loose
// module files of two folders. Each goes through list, check, find, add,
// remove, number, unnumber and tidy against the text it must give; the
// refusals are also looked at through --strict.


#include "cli/shape_fixture.h"

namespace qv::test {
namespace {

using namespace shapes;

// "' 表示する" in Shift-JIS: the second byte of its first character is "\".
const std::string kShiftJisComment = "' \x95\\\x8E\xA6\x82\xB7\x82\xE9";

// modCopies as the fixture holds it, its routines' bodies given.
Lines CopiesModule(const Lines& peek, const Lines& peek2, const Lines& size, const Lines& report,
                   const Lines& report2) {
    return Lines{"Option Explicit", "", kShiftJisComment, "#If Win64 Then",
                 "Public Function Peek(ByVal address As LongPtr) As LongPtr"} +
           peek + Lines{"End Function", "#Else", "Public Function Peek(ByVal address As Long) As Long"} +
           peek2 +
           Lines{"End Function",          "#End If", "",        "#If Win64 Then",
                 "Private Function Size() As LongPtr", "#Else", "Private Function Size() As Long",
                 "#End If"} +
           size + Lines{"End Function", "", "#If VBA7 Then", "Sub Report()"} + report +
           Lines{"End Sub", "#Else", "Sub Report()"} + report2 + Lines{"End Sub", "#End If"};
}

// CCopies as the fixture holds it, its accessors' bodies given.
Lines PropertyCopies(const Lines& get, const Lines& let, const Lines& get2, const Lines& let2) {
    return Lines{"Option Explicit", "Private mValue As Long", "", "#If VBA7 Then",
                 "Public Property Get Value() As LongPtr"} +
           get + Lines{"End Property", "", "Public Property Let Value(ByVal v As LongPtr)"} + let +
           Lines{"End Property", "#Else", "Public Property Get Value() As Long"} + get2 +
           Lines{"End Property", "", "Public Property Let Value(ByVal v As Long)"} + let2 +
           Lines{"End Property", "#End If"};
}

class MoreShapes : public ShapeFolderTest {
  protected:
    MoreShapes() : ShapeFolderTest("MoreShapes") {}

    // The fixture's project and module files as they were (the loose
    // folders are left as they are).
    void Restore() {
        for (const auto& entry : std::filesystem::directory_iterator(original.Path())) {
            if (!entry.is_regular_file()) continue;
            const std::string name = entry.path().filename().string();
            folder.Write(name, original.Read(name));
        }
    }
};

TEST_F(MoreShapes, EachCopyOfARoutineIsListedAndJudged) {
    const CliResult list = Run({"list", "MoreShapes.vbp"});
    EXPECT_EQ(list.code, 0) << list.err;
    EXPECT_EQ(list.out,
              "MoreShapes (Standard EXE)  MoreShapes.vbp\n"
              "  modCopies (Module)  modCopies.bas\n"
              "    Function Peek\n"
              "    Function Peek (copy 2)\n"
              "    Function Size\n"
              "    Sub Report\n"
              "    Sub Report (copy 2)\n"
              "  CCopies (Class)  CCopies.cls\n"
              "    Property Let Value\n"
              "    Property Get Value\n"
              "    Property Let Value (copy 2)\n"
              "    Property Get Value (copy 2)\n"
              "  modOwnLabels (Module)  modOwnLabels.bas\n"
              "    Sub Cleanup\n"
              "    Sub Fails\n"
              "    Sub Plain\n"
              "  modBare (Module)  modBare.bas\n"
              "    Sub Bare\n"
              "    Sub Commented\n");
    Json routines = ParseJson(Run({"--format", "json", "list", "MoreShapes.vbp",
                                               "--module", "modCopies"})
                                              .out)["projects"][0]["components"][0]["routines"]
                                    ;
    ASSERT_EQ(routines.size(), 5);
    EXPECT_FALSE(routines[0].contains("copy"));
    EXPECT_EQ(routines[1]["copy"].get<int>(), 2);
    EXPECT_EQ(routines[1]["routineType"].get<std::string>(), "Function");

    // One copy with its handler, the other without: check is not fooled.
    ASSERT_EQ(Run({"add", "MoreShapes.vbp", "--module", "modCopies", "--line", "5"}).code, 0);
    const CliResult check = Run({"check", "MoreShapes.vbp", "--module", "modCopies"});
    EXPECT_EQ(check.code, 1);
    EXPECT_EQ(check.out,
              "MoreShapes  MoreShapes.vbp\n"
              "  modCopies  Good 1  Some 0  Error 0  None 4\n"
              "    Routine name     Type  Top Status  Exit Status\n"
              "    Peek                   OK          OK\n"
              "    Peek (copy 2)          MISSING     N/A\n"
              "    Size                   MISSING     N/A\n"
              "    Report                 MISSING     N/A\n"
              "    Report (copy 2)        MISSING     N/A\n"
              "5 routines judged: Good 1, Some 0, Error 0, None 4\n");
    const CliResult one = Run({"check", "MoreShapes.vbp", "--routine", "Peek"});
    EXPECT_EQ(one.code, 1) << "--routine judges every copy";
    EXPECT_NE(one.out.find("    Peek (copy 2)        MISSING     N/A\n"), std::string::npos)
        << one.out;

    const CliResult sarif = Run({"--format", "sarif", "check", "MoreShapes.vbp"});
    Json results = ParseJson(sarif.out)["runs"][0]["results"];
    std::vector<std::string> located;
    for (Json result : results) {
        const std::string text = result["message"]["text"].get<std::string>();
        if (!text.starts_with("Routine Peek")) continue;
        located.push_back(text.substr(0, text.find(':')) + " @" +
                          std::to_string(result["locations"][0]["physicalLocation"]["region"]
                                                ["startLine"].get<int>()));
    }
    // At its own declaration, below the first copy's handler.
    EXPECT_EQ(located, std::vector<std::string>{"Routine Peek (copy 2) @18"});
}

// Each copy gets its handler, its numbers and its layout; the 64-bit idiom
// between them stays one routine. (That remove gives the module back and
// tidy is stable are among the property runs over this fixture.)
TEST_F(MoreShapes, EachCopyOfARoutineIsChanged) {
    const CliResult added = Run({"add", "MoreShapes.vbp", "--module", "modCopies"});
    EXPECT_EQ(added.out,
              "modCopies  (modCopies.bas)\n"
              "  added     Peek\n"
              "  added     Peek (copy 2)\n"
              "  added     Size\n"
              "  added     Report\n"
              "  added     Report (copy 2)\n"
              "Changed 5 routines in 1 module; 0 refused.\n");
    EXPECT_EQ(folder.Read("modCopies.bas"),
              ModuleFile("modCopies",
                         CopiesModule(WithHandler({"    Peek = address"}, "Function",
                                                  "modCopies.Peek"),
                                      WithHandler({"    Peek = address + 0"}, "Function",
                                                  "modCopies.Peek"),
                                      WithHandler({"    Size = 4"}, "Function", "modCopies.Size"),
                                      WithHandler({"    Debug.Print \"seven\""}, "Sub",
                                                  "modCopies.Report"),
                                      WithHandler({"Debug.Print \"six\""}, "Sub",
                                                  "modCopies.Report"))));
    EXPECT_EQ(Run({"check", "MoreShapes.vbp", "--module", "modCopies"}).code, 0);
    Restore();

    ExpectAfter({"number"}, "modCopies",
                CopiesModule({"1   Peek = address"}, {"1   Peek = address + 0"}, {"1   Size = 4"},
                             {"1   Debug.Print \"seven\""}, {"1   Debug.Print \"six\""}));
    ExpectAfter({"unnumber"}, "modCopies",
                CopiesModule({"Peek = address"}, {"Peek = address + 0"}, {"Size = 4"},
                             {"Debug.Print \"seven\""}, {"Debug.Print \"six\""}));
    const Lines tidied =
        CopiesModule({"    Peek = address"}, {"    Peek = address + 0"}, {"    Size = 4"},
                     {"    Debug.Print \"seven\""}, {"    Debug.Print \"six\""});
    ExpectAfter({"tidy"}, "modCopies", tidied);

    // --routine names every copy; --line the one it stands in.
    Restore();
    const CliResult both = Run({"number", "MoreShapes.vbp", "--routine", "Report"});
    EXPECT_EQ(both.out,
              "modCopies  (modCopies.bas)\n"
              "  numbered  Report\n"
              "  numbered  Report (copy 2)\n"
              "Changed 2 routines in 1 module; 0 refused.\n");
    Restore();
    ASSERT_EQ(Run({"tidy", "MoreShapes.vbp", "--module", "modCopies", "--line", "26"}).code, 0);
    EXPECT_EQ(folder.Read("modCopies.bas"), ModuleFile("modCopies", tidied));
    const CliResult found = Run({"find", "MoreShapes.vbp", "Debug.Print \"s"});
    EXPECT_EQ(found.out,
              "2 hits found.\n"
              "MoreShapes\n"
              "  Modules\n"
              "    modCopies\n"
              "      Report\n"
              "        24:5: Debug.Print \"seven\"\n"
              "        28:5: Debug.Print \"six\"\n");
}

TEST_F(MoreShapes, EachCopyOfAPropertyIsChanged) {
    const CliResult added = Run({"add", "MoreShapes.vbp", "--module", "CCopies"});
    EXPECT_EQ(added.out,
              "CCopies  (CCopies.cls)\n"
              "  added     Value (Let)\n"
              "  added     Value (Get)\n"
              "  added     Value (Let, copy 2)\n"
              "  added     Value (Get, copy 2)\n"
              "Changed 4 routines in 1 module; 0 refused.\n");
    const Lines get = WithHandler({"    Value = mValue"}, "Property", "CCopies.Value(Get)");
    const Lines let = WithHandler({"    mValue = v"}, "Property", "CCopies.Value(Let)");
    EXPECT_EQ(folder.Read("CCopies.cls"), ModuleFile("CCopies", PropertyCopies(get, let, get, let)));
    ASSERT_EQ(Run({"remove", "MoreShapes.vbp", "--routine", "Value:Get"}).code, 0);
    EXPECT_EQ(folder.Read("CCopies.cls"),
              ModuleFile("CCopies", PropertyCopies({"    Value = mValue"}, let,
                                                   {"    Value = mValue"}, let)));
    // The accessor at the line, of the copy the line is in.
    ASSERT_EQ(Run({"add", "MoreShapes.vbp", "--module", "CCopies", "--line", "23"}).code, 0);
    EXPECT_EQ(folder.Read("CCopies.cls"),
              ModuleFile("CCopies", PropertyCopies({"    Value = mValue"}, let, get, let)));
    ASSERT_EQ(Run({"remove", "MoreShapes.vbp"}).code, 0);
    ExpectOriginal("CCopies");
    const Lines numbered = PropertyCopies({"1   Value = mValue"}, {"1   mValue = v"},
                                          {"1   Value = mValue"}, {"1   mValue = v"});
    ExpectAfter({"number"}, "CCopies", numbered);
    ExpectAfter({"unnumber"}, "CCopies", PropertyCopies({"Value = mValue"}, {"mValue = v"},
                                                        {"Value = mValue"}, {"mValue = v"}));
    ExpectAfter({"tidy"}, "CCopies",
                PropertyCopies({"    Value = mValue"}, {"    mValue = v"}, {"    Value = mValue"},
                               {"    mValue = v"}));
    ExpectOriginal("CCopies");
}

// A routine that defines the handler's exit or error label itself (in any
// letter case) is refused with the label named, and left as it is; the
// others get their handler.
TEST_F(MoreShapes, ALabelOfTheHandlerThatTheRoutineDefinesIsARefusal) {
    const Lines cleanup = {"Public Sub Cleanup(ByVal done As Boolean)",
                           "    If done Then GoTo Exit_Routine", "    Debug.Print \"working\"",
                           "Exit_Routine:", "    Debug.Print \"done\"", "End Sub"};
    const Lines fails = {"Public Sub Fails()", "    If Err.Number <> 0 Then GoTo error_routine",
                         "    Exit Sub", "error_routine:", "    Debug.Print \"failed\"",
                         "End Sub"};
    const Lines head = {"Option Explicit", "", "' Gr\xF6\xDF" "e: labels of the routines' own."};
    const Lines plain = {"Public Sub Plain()", "    Debug.Print \"plain\"", "End Sub"};
    const CliResult r = Run({"add", "MoreShapes.vbp", "--module", "modOwnLabels"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out,
              "modOwnLabels  (modOwnLabels.bas)\n"
              "  refused   Cleanup: Cleanup already has a line labelled Exit_Routine, a label "
              "that the handler defines too, and a second one would not compile: rename the "
              "routine's own label first\n"
              "  refused   Fails: Fails already has a line labelled error_routine, a label that "
              "the handler defines too, and a second one would not compile: rename the "
              "routine's own label first\n"
              "  added     Plain\n"
              "Changed 1 routine in 1 module; 2 refused.\n");
    EXPECT_EQ(folder.Read("modOwnLabels.bas"),
              ModuleFile("modOwnLabels",
                         head + cleanup + Lines{""} + fails +
                             Lines{"", "Public Sub Plain()"} +
                             WithHandler({"    Debug.Print \"plain\""}, "Sub", "modOwnLabels.Plain") +
                             Lines{"End Sub"}));
    const CliResult check = Run({"check", "MoreShapes.vbp", "--module", "modOwnLabels"});
    EXPECT_EQ(check.code, 1) << "the refused routines still lack the handler";
    EXPECT_NE(check.out.find("    Cleanup             MISSING     N/A\n"), std::string::npos);

    // Remove takes out what add wrote and nothing of the routines' own.
    const CliResult removed = Run({"remove", "MoreShapes.vbp", "--module", "modOwnLabels"});
    EXPECT_EQ(removed.out,
              "modOwnLabels  (modOwnLabels.bas)\n  removed   Plain\n"
              "Changed 1 routine in 1 module; 0 refused.\n");
    ExpectOriginal("modOwnLabels");
    const CliResult cursor = Run({"add", "MoreShapes.vbp", "--routine", "Cleanup"});
    EXPECT_EQ(cursor.code, 1) << "the routine named was refused";

    ExpectAfter({"number"}, "modOwnLabels",
                head + Lines{"Public Sub Cleanup(ByVal done As Boolean)",
                             "1   If done Then GoTo Exit_Routine", "2   Debug.Print \"working\"",
                             "Exit_Routine:", "    Debug.Print \"done\"", "End Sub", "",
                             "Public Sub Fails()", "1   If Err.Number <> 0 Then GoTo error_routine",
                             "2   Exit Sub", "error_routine:", "3   Debug.Print \"failed\"",
                             "End Sub", "", "Public Sub Plain()", "1   Debug.Print \"plain\"",
                             "End Sub"});
    ExpectAfter({"unnumber"}, "modOwnLabels",
                head + Lines{"Public Sub Cleanup(ByVal done As Boolean)",
                             "If done Then GoTo Exit_Routine", "Debug.Print \"working\"",
                             "Exit_Routine:", "Debug.Print \"done\"", "End Sub", "",
                             "Public Sub Fails()", "If Err.Number <> 0 Then GoTo error_routine",
                             "Exit Sub", "error_routine:", "Debug.Print \"failed\"", "End Sub", "",
                             "Public Sub Plain()", "Debug.Print \"plain\"", "End Sub"});
    ExpectAfter({"tidy"}, "modOwnLabels", head + cleanup + Lines{""} + fails + Lines{""} + plain);
    ExpectOriginal("modOwnLabels");
}

// An On Error line without the rest of the handler: what is missing is
// said, not that a block differs. Replace keeps a handler whose new one
// would be refused for a label of the routine's own.
TEST_F(MoreShapes, AnOnErrorLineAloneSaysWhatIsMissing) {
    const CliResult check =
        Run({"check", "MoreShapes.vbp", "--module", "modBare"});
    EXPECT_EQ(check.out,
              "MoreShapes  MoreShapes.vbp\n"
              "  modBare  Good 0  Some 0  Error 2  None 0\n"
              "    Routine name  Type  Top Status  Exit Status\n"
              "    Bare                OK          IN ERROR\n"
              "    Commented           IN ERROR    IN ERROR\n"
              "2 routines judged: Good 0, Some 0, Error 2, None 0\n");
    const CliResult sarif =
        Run({"--format", "sarif", "check", "MoreShapes.vbp", "--module", "modBare"});
    Json results = ParseJson(sarif.out)["runs"][0]["results"];
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(results[0]["message"]["text"].get<std::string>(),
              "Routine Bare: Top Status OK, Exit Status IN ERROR. Exit: there is no exit block: "
              "no line reads \"Exit_Routine:\", and no line defines the label Error_Routine that "
              "the On Error line goes to.");
    EXPECT_EQ(results[1]["message"]["text"].get<std::string>(),
              "Routine Commented: Top Status IN ERROR, Exit Status IN ERROR. Top: no line reads "
              "\"On Error GoTo Error_Routine\" by itself (the statement is written in other "
              "letter case, or shares its line with other code or a comment), so the top block "
              "is not found. Exit: there is no exit block: no line reads \"Exit_Routine:\".");

    const CliResult replaced = Run({"replace", "MoreShapes.vbp", "--module", "modBare"});
    EXPECT_EQ(replaced.out,
              "modBare  (modBare.bas)\n"
              "  replaced  Bare\n"
              "  refused   Commented: the old handler stays, as a new one would be refused: "
              "Commented already has a line labelled Error_Routine, a label that the handler "
              "defines too, and a second one would not compile: rename the routine's own label "
              "first\n"
              "Changed 1 routine in 1 module; 1 refused.\n");
    const Lines commented = {"Public Sub Commented()", "    On Error GoTo Error_Routine ' trap",
                             "    Debug.Print \"commented\"", "Error_Routine:",
                             "    Debug.Print \"trapped\"", "End Sub"};
    EXPECT_EQ(folder.Read("modBare.bas"),
              ModuleFile("modBare", Lines{"Option Explicit", "", "Public Sub Bare()"} +
                                        WithHandler({"    Debug.Print \"bare\""}, "Sub",
                                                    "modBare.Bare") +
                                        Lines{"End Sub", ""} + commented));
    Restore();
    // Remove takes the On Error lines out (the handler's first line); the
    // routine's own lines stay.
    ExpectAfter({"remove"}, "modBare",
                {"Option Explicit", "", "Public Sub Bare()", "    Debug.Print \"bare\"", "End Sub",
                 "", "Public Sub Commented()", "    Debug.Print \"commented\"", "Error_Routine:",
                 "    Debug.Print \"trapped\"", "End Sub"});
    Restore();
    ExpectAfter({"number"}, "modBare",
                {"Option Explicit", "", "Public Sub Bare()", "    On Error GoTo Error_Routine",
                 "1   Debug.Print \"bare\"", "End Sub", "", "Public Sub Commented()",
                 "    On Error GoTo Error_Routine ' trap", "1   Debug.Print \"commented\"",
                 "Error_Routine:", "2   Debug.Print \"trapped\"", "End Sub"});
    ExpectAfter({"unnumber"}, "modBare",
                {"Option Explicit", "", "Public Sub Bare()", "On Error GoTo Error_Routine",
                 "Debug.Print \"bare\"", "End Sub", "", "Public Sub Commented()",
                 "On Error GoTo Error_Routine ' trap", "Debug.Print \"commented\"",
                 "Error_Routine:", "Debug.Print \"trapped\"", "End Sub"});
    ExpectAfter({"tidy"}, "modBare",
                Lines{"Option Explicit", "", "Public Sub Bare()", "    On Error GoTo Error_Routine",
                      "    Debug.Print \"bare\"", "End Sub", ""} +
                    commented);
    ExpectOriginal("modBare");
}

// --strict: a run that refused a routine for a reason other than that it
// needs no change exits 1; routines that need no handler, hold the standard
// one already, or the terminate blocks, leave nothing undone.
TEST_F(MoreShapes, StrictRunsExitOneWhenWorkIsLeftUndone) {
    EXPECT_EQ(Run({"add", "MoreShapes.vbp"}).code, 0) << "refusals are reported, not failures";
    Restore();
    EXPECT_EQ(Run({"add", "--strict", "MoreShapes.vbp"}).code, 1) << "Cleanup and Fails";
    EXPECT_EQ(Run({"add", "--strict", "MoreShapes.vbp", "--module", "modCopies"}).code, 0)
        << "every copy holds the handler already";
    const CliResult json =
        Run({"--format", "json", "add", "--strict", "MoreShapes.vbp", "--module", "modOwnLabels"});
    EXPECT_EQ(json.code, 1);
    EXPECT_EQ(ParseJson(json.out)["refused"].get<int>(), 3) << "Plain holds its handler now";

    TempFolder example = CopyOfFolder(ExampleFolder());
    ASSERT_EQ(RunCliIn(example.Path(), {"add", "Example.vbp"}).code, 0);
    const CliResult again = RunCliIn(example.Path(), {"add", "--strict", "Example.vbp"});
    EXPECT_EQ(again.code, 0) << again.out;
    EXPECT_NE(again.out.find("16 refused"), std::string::npos) << again.out;

    TempFolder shapes = CopyOfFolder(FixtureFolder("RealShapes"));
    for (const char* command : {"number", "tidy", "remove", "unnumber"}) {
        EXPECT_EQ(RunCliIn(shapes.Path(), {command, "RealShapes.vbp"}).code, 0) << command;
        EXPECT_EQ(RunCliIn(shapes.Path(), {command, "--strict", "RealShapes.vbp"}).code, 1)
            << command << ": the one-line routines and Run are refused";
    }
}

// Module files of two folders: each folder is a project, and every command
// works on both, as on two project files named together.
TEST_F(MoreShapes, LooseModuleFilesOfSeveralFoldersAreEachWorkedOn) {
    const std::vector<std::string> files = {"loose/p1/modA.bas", "loose/p2/modB.bas"};
    auto with = [&](std::vector<std::string> command) {
        command.insert(command.end(), files.begin(), files.end());
        return command;
    };
    const CliResult list = Run(with({"list"}));
    EXPECT_EQ(list.out,
              "p1 (Standard EXE)\n  modA (Module)  loose/p1/modA.bas\n    Sub First\n"
              "p2 (Standard EXE)\n  modB (Module)  loose/p2/modB.bas\n    Sub Second\n");
    const CliResult added = Run(with({"add"}));
    EXPECT_EQ(added.code, 0) << added.err;
    EXPECT_EQ(added.out,
              "modA  (loose/p1/modA.bas)\n  added     First\n"
              "modB  (loose/p2/modB.bas)\n  added     Second\n"
              "Changed 2 routines in 2 modules; 0 refused.\n");
    const Lines head = {"Option Explicit", ""};
    EXPECT_EQ(folder.Read("loose/p2/modB.bas"),
              ModuleFile("modB", head + Lines{"Public Sub Second()"} +
                                     WithHandler({"    Debug.Print \"b\""}, "Sub", "modB.Second") +
                                     Lines{"End Sub"}));
    EXPECT_EQ(Run(with({"check"})).code, 0) << "both judged Good";
    for (const char* command : {"remove", "number", "unnumber"}) {
        const CliResult r = Run(with({command}));
        EXPECT_NE(r.out.find("modB  (loose/p2/modB.bas)"), std::string::npos) << command << r.out;
    }
    EXPECT_EQ(Run(with({"tidy"})).out, "tidied loose/p1/modA.bas\ntidied loose/p2/modB.bas\n");
    EXPECT_EQ(folder.Read("loose/p1/modA.bas"), original.Read("loose/p1/modA.bas"));
    EXPECT_EQ(folder.Read("loose/p2/modB.bas"), original.Read("loose/p2/modB.bas"));

    EXPECT_EQ(Run({"find", files[0], files[1], "Debug"}).out,
              "2 hits found.\np1\n  Modules\n    modA\n      First\n        4:5: Debug.Print \"a\"\n"
              "p2\n  Modules\n    modB\n      Second\n        4:5: Debug.Print \"b\"\n");
    const std::string stats = Run(with({"stats"})).out;
    EXPECT_NE(stats.find("p1.modA"), std::string::npos) << stats;
    EXPECT_NE(stats.find("p2.modB"), std::string::npos) << stats;
    // --project keeps to one.
    const CliResult one = Run(with({"--dry-run", "add", "--project", "p2"}));
    EXPECT_EQ(one.err, "modB  (loose/p2/modB.bas)\n  added     Second\n"
                       "Would change 1 routine in 1 module; 0 refused.\n");

    // Two project files named together.
    TempFolder two = CopyOfFolder(FixtureFolder("Sample"));
    two.Write("other/MoreShapes.vbp", "Type=Exe\r\nModule=modA; ../loose/p1/modA.bas\r\n");
    two.Write("loose/p1/modA.bas", original.Read("loose/p1/modA.bas"));
    const CliResult projects = RunCliIn(two.Path(), {"add", "Sample.vbp", "other/MoreShapes.vbp"});
    EXPECT_NE(projects.out.find("modUtil  (modUtil.bas)\n  added     Add\n"), std::string::npos)
        << projects.out;
    EXPECT_NE(projects.out.find("modA  (loose/p1/modA.bas)\n  added     First\n"),
              std::string::npos)
        << projects.out;
}

}  // namespace
}  // namespace qv::test
