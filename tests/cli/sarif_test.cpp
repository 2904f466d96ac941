// qvaddin check --format sarif: the rules, one result per routine that is
// not Good at its declaration's line in the file, and fixes that give
// exactly the bytes 'qvaddin add --routine' writes.

#include <cstdint>
#include <set>
#include <sstream>
#include <map>

#include "app/cli/add_fix.h"
#include "app/cli/json_text.h"
#include "app/cli/sarif_log.h"
#include "host/files/text_lines.h"
#include "cli/code_change_fixture.h"
#include "platform/unicode_text.h"
#include "platform/windows_1252.h"
#include "tidy/literal_contents.h"

namespace qv::test {
namespace {

// The replacements of a change as the log writes them, read back.
std::vector<cli::JsonNode> SarifReplacements(const cli::FileChange& change) {
    std::string text = "[";
    cli::AppendSarifReplacements(text, change);
    text += ']';
    return cli::JsonNode::parse(text).get<std::vector<cli::JsonNode>>();
}

// Text as a JSON string holds it, without the quotes.
std::string Escaped(const std::string& text) {
    std::string quoted;
    cli::AppendJsonString(quoted, text);
    return quoted.substr(1, quoted.size() - 2);
}

// The text of a replacement in the file's code page.
std::string Encode(const std::string& text, const std::string& encoding) {
    if (encoding != "windows-1252") return text;
    std::map<std::string, char> bytes;  // each byte's character as UTF-8
    for (int b = 0; b < 256; ++b) {
        bytes[text::Windows1252AsUtf8(std::string(1, static_cast<char>(b)))] =
            static_cast<char>(b);
    }
    std::string out;
    for (const char32_t c : text::Utf8Characters(text)) {
        std::string character;
        text::AppendUtf8(character, c);
        out += bytes.at(character);
    }
    return out;
}

// A relative URI reference's path, its %XX escapes read.
std::string UriPath(const std::string& uri) {
    std::string path;
    for (size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size()) {
            path += static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            path += uri[i];
        }
    }
    return path;
}

// The offset of each line's first byte; a line ends at CR LF, LF or CR.
std::vector<size_t> LineStarts(const std::string& text) {
    std::vector<size_t> starts{0};
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        if (text[i] == '\n' || text[i] == '\r') starts.push_back(i + 1);
    }
    return starts;
}

// Applies SARIF replacements whose regions are whole lines, as a reader of
// the log would: a column is 1, or an absent end column means the end of
// the line without its break.
std::string Apply(std::string text, Json replacements, const std::string& encoding) {
    const std::vector<size_t> starts = LineStarts(text);
    auto lineStart = [&](long long line) {
        return line - 1 < static_cast<long long>(starts.size()) ? starts[static_cast<size_t>(line - 1)]
                                                              : text.size();
    };
    std::vector<std::tuple<size_t, size_t, std::string>> edits;
    for (Json value : replacements) {
        Json region = value["deletedRegion"];
        EXPECT_EQ(region.value("startColumn", 1), 1);
        const size_t from = lineStart(region["startLine"].get<long long>());
        size_t to = 0;
        if (region.contains("endColumn")) {
            EXPECT_EQ(region["endColumn"].get<int>(), 1);
            to = lineStart(region["endLine"].get<long long>());
        } else {
            to = lineStart(region["endLine"].get<long long>() + 1);
            while (to > 0 && (text[to - 1] == '\n' || text[to - 1] == '\r')) --to;
        }
        edits.emplace_back(from, to,
                           Encode(value["insertedContent"]["text"].get<std::string>(), encoding));
    }
    // From the bottom up, so that the offsets above stay valid.
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        const auto& [from, to, inserted] = *it;
        text.replace(from, to - from, inserted);
    }
    return text;
}

class SarifCheck : public CodeChangeTest {
protected:
    Json Sarif(const TempFolder& folder, std::vector<std::string> arguments,
                      int expectedCode = 1) {
        arguments.insert(arguments.begin(), {"--format", "sarif", "check"});
        const CliResult r = Run(folder, arguments);
        EXPECT_EQ(r.code, expectedCode) << r.err;
        return ParseJson(r.out);
    }
    static Json TheRun(Json log) { return log["runs"][0]; }
    static Json Location(Json result) {
        return result["locations"][0]["physicalLocation"];
    }
    // "modA.Go", "CTx.Value (Get)".
    static std::string Where(Json result) {
        return result["locations"][0]["logicalLocations"][0]["fullyQualifiedName"]
            .get<std::string>();
    }
    // What 'qvaddin add' writes into a fresh copy of the folder for the
    // routine of a result (or nothing when it refuses it).
    std::optional<std::string> AddWrites(const std::filesystem::path& source,
                                         const std::string& target, Json result,
                                         const std::string& file) {
        const TempFolder fresh = CopyOfFolder(source);
        const std::string where = Where(result);
        const size_t dot = where.find('.');
        std::string routine = where.substr(dot + 1);
        if (const size_t space = routine.find(" ("); space != std::string::npos) {
            routine = routine.substr(0, space) + ":" +
                      routine.substr(space + 2, routine.size() - space - 3);
        }
        const CliResult added = Run(fresh, {"add", target, "--module", where.substr(0, dot),
                                            "--routine", routine});
        if (added.code != 0) return std::nullopt;
        return fresh.Read(file);
    }
    // Every fix applied to its file gives what add writes; a result without
    // one is a routine add refuses.
    void ExpectFixesAsAddWrites(const TempFolder& folder, const std::string& target,
                                Json log) {
        Json run = TheRun(log);
        Json artifacts = run["artifacts"];
        int fixes = 0;
        for (Json value : run["results"]) {
            Json result = value;
            Json artifact = Location(result)["artifactLocation"];
            const std::string file = UriPath(artifact["uri"].get<std::string>());
            const std::optional<std::string> written =
                AddWrites(folder.Path(), target, result, file);
            if (!result.contains("fixes")) {
                EXPECT_FALSE(written) << Where(result) << " has no fix, but add changes it";
                continue;
            }
            ++fixes;
            ASSERT_TRUE(written) << Where(result) << " has a fix, but add refuses it";
            Json change = result["fixes"][0]["artifactChanges"][0];
            EXPECT_EQ(change["artifactLocation"]["uri"], artifact["uri"]);
            const std::string encoding =
                artifacts[artifact["index"].get<int>()]["encoding"].get<std::string>();
            EXPECT_EQ(Apply(folder.Read(file), change["replacements"], encoding),
                      *written)
                << Where(result);
        }
        EXPECT_GT(fixes, 0);
    }
};

TEST_F(SarifCheck, FixesOfTheExampleGiveWhatAddWrites) {
    const TempFolder copy = CopyOfFolder(ExampleFolder());
    const auto before = Files(copy);
    ExpectFixesAsAddWrites(copy, "Example.vbp", Sarif(copy, {"Example.vbp"}));
    EXPECT_EQ(Files(copy), before);  // check wrote nothing
}

TEST_F(SarifCheck, FixesOfAwkwardShapesGiveWhatAddWrites) {
    // Continued declarations, a hidden attribute line, a tab the host lays
    // out, a routine that refuses the handler, routines it needs none.
    const TempFolder shapes = ShapesProject();
    Json log = Sarif(shapes, {"Shapes.vbp"});
    ExpectFixesAsAddWrites(shapes, "Shapes.vbp", log);
    std::vector<std::string> found;
    const Json results = TheRun(log)["results"];
    for (Json value : results) {
        found.push_back(Where(value) + " " +
                        value["ruleId"].get<std::string>() +
                        (value.contains("fixes") ? " fix" : ""));
    }
    EXPECT_EQ(found, (std::vector<std::string>{
                         "modA.Go QV-MISSING fix", "modA.Resumes QV-SOME",
                         "CTx.Class_Terminate QV-MISSING fix", "CTx.Value (Let) QV-MISSING fix",
                         "CTx.Value (Get) QV-MISSING fix", "CTx.Save QV-MISSING fix",
                         "frmMain.cmdGo_Click QV-MISSING fix",
                         "frmMain.mTx_Changed QV-MISSING fix"}));
}

// A routine defined twice: each copy's fix is the one add makes with the
// cursor on that copy's declaration, not the other's.
TEST_F(SarifCheck, EachCopyOfARoutineDefinedTwiceGetsItsOwnFix) {
    TempFolder folder;
    folder.Write("modDup.bas",
                 "Attribute VB_Name = \"modDup\"\r\nOption Explicit\r\n\r\n"
                 "Public Sub Twice()\r\n    Beep\r\nEnd Sub\r\n\r\n"
                 "Public Function Twice() As Long\r\n    Debug.Print \"x\"\r\nEnd Function\r\n\r\n"
                 "Public Sub Once()\r\n    Beep\r\nEnd Sub\r\n");
    const Json results = TheRun(Sarif(folder, {"modDup.bas"}))["results"];
    ASSERT_EQ(results.size(), 3u);
    for (Json result : results) {
        ASSERT_TRUE(result.contains("fixes")) << Where(result);
        // The cursor on the declaration: the code window's line, below
        // the file's one attribute line.
        const long line = Location(result)["region"]["startLine"].get<long>() - 1;
        const TempFolder fresh = CopyOfFolder(folder.Path());
        const std::string routine = Where(result).find("Once") != std::string::npos ? "Once" : "Twice";
        ASSERT_EQ(Run(fresh, {"add", "modDup.bas", "--module", "modDup", "--routine", routine,
                              "--line", std::to_string(line)})
                      .code,
                  0)
            << Where(result);
        EXPECT_EQ(Apply(folder.Read("modDup.bas"),
                        result["fixes"][0]["artifactChanges"][0]["replacements"], "utf-8"),
                  fresh.Read("modDup.bas"))
            << Where(result);
    }
}

TEST_F(SarifCheck, FixesInAFileOfLineFeedsWithoutAFinalBreakInItsCodePage) {
    TempFolder folder;
    folder.Write("modLf.bas",
                 "Attribute VB_Name = \"modLf\"\nOption Explicit\n' Caf\xE9 au lait.\n\n"
                 "Public Sub First()\n    On Error Resume Next\nEnd Sub\n\nPublic Sub Last()\n"
                 "    Debug.Print \"d\xE9j\xE0 vu\"\nEnd Sub");
    Json log = Sarif(folder, {"modLf.bas"});
    EXPECT_EQ(TheRun(log)["artifacts"][0]["encoding"].get<std::string>(), "windows-1252");
    EXPECT_EQ(Location(TheRun(log)["results"][1])["region"]["startLine"].get<int>(), 9);
    // The first result (SOME) has no fix; the file's code page is named all the same.
    EXPECT_FALSE(TheRun(log)["results"][0].contains("fixes"));
    ExpectFixesAsAddWrites(folder, "modLf.bas", log);
}

// Each fix is worked out on its routine's lines alone: the lines around
// them, breaks of either kind among them and a last routine without a
// final break must come out as add writes them.
TEST_F(SarifCheck, FixesOfRoutineAfterRoutineInMixedBreaks) {
    TempFolder folder;
    std::string module = "Attribute VB_Name = \"modMix\"\r\nOption Explicit\r\n";
    for (int i = 1; i <= 6; ++i) {
        const std::string n = std::to_string(i);
        const std::string br = i % 2 == 0 ? "\n" : "\r\n";
        module += "' Routine " + n + br + "Public Sub S" + n + "(ByVal a As Long, _" + br +
                  "        ByVal b As Long)" + br + "    Debug.Print a + b" + br + "End Sub" +
                  br + br;
    }
    module += "Sub Last()\r\n    Beep\r\nEnd Sub";
    folder.Write("modMix.bas", module);
    Json log = Sarif(folder, {"modMix.bas"});
    EXPECT_EQ(TheRun(log)["results"].size(), 7);
    ExpectFixesAsAddWrites(folder, "modMix.bas", log);
}

// An attribute line that does not stand right after its declaration is
// moved there by any save, so every fix of the file carries that move, as
// add writes it.
TEST_F(SarifCheck, FixesOfAFileThatASaveRearranges) {
    TempFolder folder;
    folder.Write("CMoved.cls", CrlfLines({"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True",
                                          "END", "Attribute VB_Name = \"CMoved\"",
                                          "Option Explicit", "", "Public Sub First()",
                                          "    Beep", "End Sub", "",
                                          "Public Property Get Value() As Long",
                                          "    Value = 1",
                                          "Attribute Value.VB_UserMemId = 0",
                                          "End Property"}));
    Json log = Sarif(folder, {"CMoved.cls"});
    EXPECT_EQ(TheRun(log)["results"].size(), 2);
    ExpectFixesAsAddWrites(folder, "CMoved.cls", log);
}

// Fixes are worked out from the lines the add command would insert, spliced
// into the routine's bytes: the places where that could go wrong must come
// out as add writes them too. An empty routine (both blocks at one place),
// a comment under the declaration that goes on in the next line, a blank
// line before the end (the diff could take the inserted blank for it),
// a name outside ASCII, a routine with a label of the handler's own (no
// fix), property accessors, tabs in the body and lines after the last
// routine without a final break.
TEST_F(SarifCheck, FixesWhereTheLinesAroundTheHandlerMatter) {
    TempFolder folder;
    folder.Write("modEdge.bas",
                 CrlfLines({"Attribute VB_Name = \"modEdge\"", "Option Explicit",
                            "Private mSize As Long", "", "Public Sub Nothing()", "End Sub", "",
                            "Public Sub NoteGoesOn()", "' a note that goes on _",
                            "  in the next line", "\tBeep", "", "End Sub", "",
                            "' Gr\xF6\xDF" "e of it.", "Public Function Gr\xF6\xDF" "e() As Long",
                            "    Gr\xF6\xDF" "e = mSize", "End Function", "",
                            "Private Sub OwnLabel()", "    GoTo Exit_Routine",
                            "Exit_Routine:", "End Sub", "",
                            "Public Property Get Size() As Long", "    Size = mSize",
                            "End Property", "", "Public Property Let Size(ByVal v As Long)",
                            "    mSize = v", "End Property", "", "Sub Last()", "\tIf mSize Then",
                            "\t\tBeep", "\tEnd If", "End Sub", "", "' trailing words"}) +
                     "' without a break");
    Json log = Sarif(folder, {"modEdge.bas"});
    std::vector<std::string> found;
    const Json results = TheRun(log)["results"];
    for (Json value : results) {
        found.push_back(Where(value) + (value.contains("fixes") ? " fix" : ""));
    }
    EXPECT_EQ(found, (std::vector<std::string>{
                         "modEdge.Nothing fix", "modEdge.NoteGoesOn fix",
                         "modEdge.Gr\xC3\xB6\xC3\x9F" "e fix", "modEdge.OwnLabel",
                         "modEdge.Size (Let) fix", "modEdge.Size (Get) fix", "modEdge.Last fix"}));
    ExpectFixesAsAddWrites(folder, "modEdge.bas", log);
}

// Blank lines next to where the blocks go in (after the declaration, before
// the closing line, both, several, with a break of their own, a comment
// between them and the closing line, in a property accessor), where a diff
// could take a blank line of the routine for one of the handler's: the fix
// puts the blocks in where add does, the exit block right above the closing
// line, and must still give what add writes. Also a routine with a colon
// that is no label of the handler's, and one whose only "On Error" is in a
// comment.
TEST_F(SarifCheck, FixesWhereBlankLinesMeetTheHandler) {
    TempFolder folder;
    const std::string module =
        CrlfLines({"Attribute VB_Name = \"modBlank\"", "Option Explicit", "",
                   "Public Sub BlankBelow()", "    Beep", "", "End Sub", "",
                   "Public Sub BlankAbove()", "", "    Beep", "End Sub", "",
                   "Public Sub BlankBoth()", "", "    Beep", "", "End Sub", "",
                   "Public Function Blanks() As Long", "", "", "    Blanks = 1", "", "", "",
                   "End Function", "", "Public Sub OnlyBlank()", "", "End Sub", "",
                   "Public Sub TwoBlank()", "", "", "End Sub", "", "Public Sub Colon()",
                   "    Beep: Beep", "Again:", "", "End Sub", "", "Public Sub Noted()",
                   "    ' On Error GoTo Error_Routine", "", "End Sub", "",
                   "Public Sub CommentLast()", "    Beep", "", "    ' the end", "End Sub", "",
                   "Public Property Get Size() As Long", "", "    Size = 1", "", "",
                   "End Property"}) +
        "\nPublic Sub LfBlank()\n    Beep\n\n\r\nEnd Sub\r\n";
    // A form's event routines get a handler that resumes: a diff placed
    // their exit block a line up more often than not.
    const std::string form =
        CrlfLines({"VERSION 5.00", "Begin VB.Form frmBlank", "   Caption = \"Blank\"", "End",
                   "Attribute VB_Name = \"frmBlank\"", "Option Explicit", "",
                   "Private Sub Form_Load()", "    Beep", "", "End Sub", "",
                   "Private Sub Form_Unload(Cancel As Integer)", "", "    Beep", "", "",
                   "    ' gone", "", "End Sub"});
    folder.Write("modBlank.bas", module);
    folder.Write("frmBlank.frm", form);
    for (const auto& [file, text, count] :
         {std::tuple{"modBlank.bas", module, 11}, std::tuple{"frmBlank.frm", form, 2}}) {
        Json log = Sarif(folder, {file});
        int fixes = 0;
        const std::vector<size_t> starts = LineStarts(text);
        const Json results = TheRun(log)["results"];
        for (Json value : results) {
            if (!value.contains("fixes")) continue;
            ++fixes;
            // The last run is the exit block, right above the closing line
            // (after the top block, when both go in there).
            Json last = value["fixes"][0]["artifactChanges"][0]["replacements"].back();
            const auto line = last["deletedRegion"]["startLine"].get<size_t>();
            EXPECT_EQ(text.compare(starts[line - 1], 4, "End "), 0) << Where(value);
            EXPECT_NE(last["insertedContent"]["text"].get<std::string>().find("\r\nExit_Routine:"),
                      std::string::npos)
                << Where(value);
        }
        EXPECT_EQ(fixes, count) << file;
        ExpectFixesAsAddWrites(folder, file, log);
    }
}

// Handlers whose literals hold what could mislead a reading of their lines
// (a label's colon, a comment mark, a continuation mark, keywords, tabs,
// doubled quotes), and a line with a tab after a literal (received line by
// line): the exit blocks of a module's routines are laid out and received
// once with their literals emptied, and each fix must still be what add
// writes.
TEST_F(SarifCheck, FixesOfHandlersWhoseLiteralsHoldCode) {
    TempFolder folder;
    std::vector<std::string> lines = {"Attribute VB_Name = \"modLit\"", "Option Explicit"};
    for (int i = 1; i <= 4; ++i) {
        const std::string n = std::to_string(i);
        lines.insert(lines.end(), {"", "Public Function F" + n + "(ByVal a As Long) As Long",
                                   "\tF" + n + " = a + " + n, "End Function", "",
                                   "Private Sub S" + n + "()", "    Debug.Print \"x\"", "",
                                   "End Sub"});
    }
    folder.Write("modLit.bas", CrlfLines(lines));
    const std::string literals =
        "Debug.Print \"%m.%r: x\" & \"' _\"\r\n"
        "MsgBox \"\tIf a Then\" & \"Exit_Routine: \"\"b\"\"\"\r\n"
        "If Err.Number = 5 Then Debug.Print \"End If\"\r\n"
        "Err.Raise Err.Number, \"%r _\", \"Rem \" & \"Select Case \"";
    for (const std::string& add4 : {literals, literals + "\r\n\tDebug.Print \"%r\"\t& \"a\""}) {
        ASSERT_EQ(RunCli({"settings", "set", "add4", add4}).code, 0);
        Json log = Sarif(folder, {"modLit.bas"});
        EXPECT_EQ(TheRun(log)["results"].size(), 8);
        ExpectFixesAsAddWrites(folder, "modLit.bas", log);
    }
}

TEST(SarifReplacements, LinesOfAChangeThatStartsFurtherDown) {
    cli::FileChange change{"b\r\nc\r\n", "b\r\nx\r\nc\r\n", {}, 7, {}};
    const std::vector<cli::JsonNode> replacements = SarifReplacements(change);
    ASSERT_EQ(replacements.size(), 1u);
    EXPECT_EQ(replacements[0]["deletedRegion"]["startLine"], 8);
    EXPECT_EQ(replacements[0]["deletedRegion"]["endLine"], 8);
    EXPECT_EQ(replacements[0]["insertedContent"]["text"], "x\r\n");
}

TEST_F(SarifCheck, RulesResultsAndLocations) {
    const TempFolder shapes = ShapesProject();
    Json log = Sarif(shapes, {"Shapes.vbp"});
    EXPECT_EQ(log["version"].get<std::string>(), "2.1.0");
    Json run = TheRun(log);
    Json driver = run["tool"]["driver"];
    EXPECT_EQ(driver["name"].get<std::string>(), "qvaddin");
    EXPECT_FALSE(driver["version"].get<std::string>().empty());
    Json rules = driver["rules"];
    ASSERT_EQ(rules.size(), 5);
    EXPECT_EQ(rules[1]["id"].get<std::string>(), "QV-MISSING");
    EXPECT_EQ(rules[1]["fullDescription"]["text"].get<std::string>(),
              "MISSING: the routine holds no \"On Error \" statement at all.");
    EXPECT_EQ(rules[0]["defaultConfiguration"]["level"].get<std::string>(), "note");  // SOME

    Json results = run["results"];
    Json value = results[4];  // Value (Get), in the routine list's order
    EXPECT_EQ(value["ruleId"].get<std::string>(), "QV-MISSING");
    EXPECT_EQ(rules[value["ruleIndex"].get<int>()]["id"], value["ruleId"]);
    EXPECT_EQ(value["level"].get<std::string>(), "warning");
    EXPECT_EQ(value["message"]["text"].get<std::string>(),
              "Routine Value (Get): Top Status MISSING, Exit Status N/A. Top: the routine holds "
              "no \"On Error \" statement at all.");
    Json artifact = Location(value)["artifactLocation"];
    EXPECT_EQ(artifact["uri"].get<std::string>(), "CTx.cls");
    EXPECT_EQ(artifact["uriBaseId"].get<std::string>(), "%SRCROOT%");
    EXPECT_EQ(Location(value)["region"]["startLine"].get<int>(), 15);
    // The Let accessor's line counts the Get's hidden attribute line.
    EXPECT_EQ(Location(results[3])["region"]["startLine"].get<int>(), 20);
    EXPECT_EQ(results[1]["level"].get<std::string>(), "note");  // SOME
    EXPECT_EQ(run["originalUriBaseIds"]["%SRCROOT%"]["uri"].get<std::string>(),
              "file://" + shapes.Path().string() + "/");
    EXPECT_TRUE(run["invocations"][0]["executionSuccessful"].get<bool>());
}

TEST_F(SarifCheck, SourceRootMakesTheUris) {
    const TempFolder copy = CopyOfFolder(ExampleFolder());
    std::filesystem::create_directories(copy.Path() / "other");
    Json log = Sarif(copy, {"Example.vbp", "--source-root", "."});
    EXPECT_EQ(Location(TheRun(log)["results"][0])["artifactLocation"]["uri"].get<std::string>(),
              "modMain.bas");
    EXPECT_FALSE(TheRun(log)["invocations"][0].contains("toolExecutionNotifications"));
    // A file outside the root: a warning, and a URI that climbs out of the
    // root, still relative to it.
    const CliResult outside =
        Run(copy, {"--format", "sarif", "check", "Example.vbp", "--source-root", "other"});
    EXPECT_EQ(outside.code, 1) << outside.err;
    Json run = TheRun(ParseJson(outside.out));
    Json artifact = Location(run["results"][0])["artifactLocation"];
    EXPECT_EQ(artifact["uri"].get<std::string>(), "../modMain.bas");
    EXPECT_EQ(artifact["uriBaseId"].get<std::string>(), "%SRCROOT%");
    EXPECT_NE(outside.err.find("warning: " + (copy.Path() / "modMain.bas").string() +
                               " lies outside the source root"),
              std::string::npos)
        << outside.err;
    Json invocation = run["invocations"][0];
    EXPECT_TRUE(invocation["executionSuccessful"].get<bool>());
    EXPECT_EQ(invocation["toolExecutionNotifications"][0]["level"].get<std::string>(), "warning");
}

// What code-scanning services ask of a log beyond the schema.
TEST_F(SarifCheck, WhatServicesAskOfTheLog) {
    const TempFolder shapes = ShapesProject();
    const CliResult r = Run(shapes, {"--format", "sarif", "check", "Shapes.vbp"});
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << "compact: one line";
    Json run = TheRun(ParseJson(r.out));
    EXPECT_EQ(run["automationDetails"]["id"].get<std::string>(), "qvaddin/Shapes/");
    Json driver = run["tool"]["driver"];
    EXPECT_TRUE(driver["fullName"].get<std::string>().starts_with(
        "qvaddin " + driver["version"].get<std::string>()));
    EXPECT_EQ(driver["semanticVersion"], driver["version"]);
    EXPECT_FALSE(driver.contains("informationUri")) << "the build names no address";
    for (Json rule : driver["rules"]) {
        EXPECT_FALSE(rule["shortDescription"]["text"].get<std::string>().empty());
        EXPECT_FALSE(rule["fullDescription"]["text"].get<std::string>().empty());
        EXPECT_NE(rule["help"]["markdown"].get<std::string>().find("```\nqvaddin "), std::string::npos)
            << rule["id"].get<std::string>();
        EXPECT_FALSE(rule.contains("helpUri"));
    }
    EXPECT_NE(driver["rules"][1]["help"]["markdown"].get<std::string>().find("qvaddin add "), std::string::npos);
    EXPECT_NE(driver["rules"][2]["help"]["markdown"].get<std::string>().find("qvaddin replace "), std::string::npos);
    // Artifacts only for the files with fixes, which they give the encoding of.
    Json artifacts = run["artifacts"];
    EXPECT_EQ(artifacts.size(), 3);
    for (Json artifact : artifacts) EXPECT_TRUE(artifact.contains("encoding"));
    for (Json result : run["results"]) {
        EXPECT_EQ(Location(result)["artifactLocation"].contains("index"),
                  result.contains("fixes"));
        EXPECT_EQ(result["partialFingerprints"][cli::kRoutineFingerprint].get<std::string>().size(), 32);
    }
}

// Results are written on a thread of the log's own, in batches, with room
// for so many waiting: more than fill the queue come out all, in the order
// they were added, with the files in the order they first came, and the
// same bytes in every run.
TEST(SarifLog, ManyResultsComeOutInTheOrderTheyCame) {
    auto log = [] {
        cli::SarifLog sarif(cli::SarifRun{});
        for (int i = 0; i < 2500; ++i) {
            const std::string n = std::to_string(i);
            const analysis::StatusRule& rule = analysis::StatusRules()[static_cast<size_t>(i % 5)];
            cli::SarifResult result{.path = "mod" + std::to_string(i % 7) + ".bas",
                                    .project = {},
                                    .module = "mod" + std::to_string(i % 7),
                                    .routine = "R" + n,
                                    .line = i + 1,
                                    .finding = {&rule, rule.defaultSeverity, "status " + n},
                                    .fix = {}};
            if (i % 3 == 0) result.fix = cli::FileChange{"a\r\n", "a\r\nx" + n + "\r\n", {}, i + 1, {}};
            sarif.Add(std::move(result));
        }
        std::ostringstream out;
        sarif.Write(out);
        return out.str();
    };
    const std::string text = log();
    const Json run = Json::parse(text)["runs"][0];
    const Json results = run["results"];
    ASSERT_EQ(results.size(), 2500u);
    for (int i = 0; i < 2500; i += 499) {
        const Json result = results[static_cast<size_t>(i)];
        EXPECT_EQ(result["locations"][0]["logicalLocations"][0]["name"], "R" + std::to_string(i));
        EXPECT_EQ(result["locations"][0]["physicalLocation"]["region"]["startLine"], i + 1);
        EXPECT_EQ(result.contains("fixes"), i % 3 == 0);
    }
    EXPECT_EQ(results[2499]["message"]["text"], "Routine R2499: status 2499");
    EXPECT_EQ(results[999]["fixes"][0]["artifactChanges"][0]["replacements"][0]
                     ["insertedContent"]["text"],
              "x999\r\n");
    // The files with fixes are named in the order of their first fix.
    ASSERT_EQ(run["artifacts"].size(), 7u);
    EXPECT_EQ(run["artifacts"][1]["location"]["uri"], "mod3.bas");
    EXPECT_EQ(log(), text);
}

TEST(SarifLog, TheProjectAddressGivesTheToolsAndTheRulesPages) {
    cli::SarifLog log(cli::SarifRun{.projectAddress = "https://example.org/qvaddin"});
    std::ostringstream out;
    log.Write(out);
    Json driver = Json::parse(out.str())["runs"][0]["tool"]["driver"];
    EXPECT_EQ(driver["informationUri"].get<std::string>(), "https://example.org/qvaddin");
    EXPECT_EQ(driver["rules"][1]["helpUri"].get<std::string>(), "https://example.org/qvaddin#qv-missing");
}

// The fingerprints name the routine, not its lines: lines inserted above
// it leave them as they were; each routine has its own.
TEST_F(SarifCheck, FingerprintsStayWhenLinesAboveMove) {
    const TempFolder shapes = ShapesProject();
    auto fingerprints = [&] {
        std::map<std::string, std::string> byRoutine;
        const Json results = TheRun(Sarif(shapes, {"Shapes.vbp"}))["results"];
        for (Json result : results) {
            byRoutine[Where(result)] =
                result["partialFingerprints"][cli::kRoutineFingerprint].get<std::string>();
        }
        return byRoutine;
    };
    const auto before = fingerprints();
    std::set<std::string> distinct;
    for (const auto& [routine, fingerprint] : before) distinct.insert(fingerprint);
    EXPECT_EQ(distinct.size(), before.size());
    std::string module = shapes.Read("modA.bas");
    module.insert(module.find("' Does it."), "Private mCount As Long\r\n' More notes.\r\n\r\n");
    shapes.Write("modA.bas", module);
    EXPECT_EQ(fingerprints(), before);
}

TEST_F(SarifCheck, ReadOnlyModulesHaveFindingsWithoutFixes) {
    const TempFolder shapes = ShapesProject();
    MakeFileReadOnly(shapes.Path() / "modA.bas");
    Json results = TheRun(Sarif(shapes, {"Shapes.vbp"}))["results"];
    EXPECT_EQ(Where(results[0]), "modA.Go");
    EXPECT_FALSE(results[0].contains("fixes"));
    EXPECT_TRUE(results[2].contains("fixes"));  // CTx is writable
}

TEST_F(SarifCheck, AllGoodGivesNoResultsAndExitZero) {
    const TempFolder copy = CopyOfFolder(ExampleFolder());
    ASSERT_EQ(Run(copy, {"add", "Example.vbp"}).code, 0);
    // The terminate routine's own blocks pass as they do in check.
    Json log = Sarif(copy, {"Example.vbp"}, 0);
    EXPECT_TRUE(TheRun(log)["results"].empty());
}

TEST_F(SarifCheck, OnlyCheckTakesSarif) {
    const TempFolder copy = CopyOfFolder(ExampleFolder());
    const CliResult list = Run(copy, {"--format", "sarif", "list", "Example.vbp"});
    EXPECT_EQ(list.code, 2);
    EXPECT_NE(list.err.find("'list' has no sarif output"), std::string::npos) << list.err;
    const CliResult root = Run(copy, {"check", "Example.vbp", "--source-root", "."});
    EXPECT_EQ(root.code, 2);
    EXPECT_NE(RunCli({"--help"}).out.find("sarif"), std::string::npos);
}

// A run that fails as a whole still writes a valid log, so that a CI job
// uploads the failure rather than an empty file.
TEST_F(SarifCheck, ARunThatFailsAsAWholeWritesItsFailure) {
    const TempFolder copy = CopyOfFolder(ExampleFolder());
    for (const auto& [args, code] :
         {std::pair{std::vector<std::string>{"--format", "sarif", "check", "Missing.vbp"}, 3},
          {{"--format=sarif", "check", "Example.vbp", "--routine", "NoSuch"}, 3},
          {{"--format", "sarif", "check"}, 2}}) {
        const CliResult r = Run(copy, args);
        EXPECT_EQ(r.code, code) << r.err;
        Json log = ParseJson(r.out);
        EXPECT_EQ(log["version"].get<std::string>(), "2.1.0");
        Json run = log["runs"][0];
        EXPECT_TRUE(run["results"].empty());
        Json invocation = run["invocations"][0];
        EXPECT_FALSE(invocation.value("executionSuccessful", true));
        Json notification =
            invocation["toolExecutionNotifications"][0];
        EXPECT_EQ(notification["level"].get<std::string>(), "error");
        // The message standard error gives, without the program's name.
        EXPECT_NE(r.err.find(notification["message"]["text"].get<std::string>()),
                  std::string::npos)
            << r.err;
    }
}

TEST(SarifReplacements, WholeLinesAtEveryPlaceOfAFile) {
    using cli::FileChange;
    const std::vector<std::pair<std::string, std::string>> cases{
        {"a\r\nb\r\nc\r\n", "a\r\nx\r\nb\r\nc\r\n"},  // inserted
        {"a\r\nb\r\nc\r\n", "a\r\nc\r\n"},            // deleted
        {"a\r\nb\r\nc\r\n", "a\r\nb\r\nc\r\nd\r\n"},  // appended
        {"a\nb", "a\nb\nc"},                          // appended after a last line without break
        {"a\nb", "a\nc"},                             // last line without break changed
        {"a\nb", "a\nb\n"},                           // a final break added
        {"", "a\r\n"},                                // into an empty file
        {"a\r\nb\r\nc\r\nd\r\n", "x\r\nb\r\ny\r\nd\r\n"},  // two runs
    };
    for (const auto& [before, after] : cases) {
        const Json replacements(SarifReplacements(FileChange{before, after, {}, 1, {}}));
        EXPECT_EQ(Apply(before, replacements, "utf-8"), after) << before << " -> " << after;
    }
}


// The runs a fix carries are the blocks where add puts them: applied to the
// routine's bytes they give the blocks spliced in at their places, over
// routines of many shapes (blank lines next to the places, where a diff
// could as well take a line up or down, comments, continued lines, a
// handler's own lines already there, mixed breaks, a last line without a
// break); told the lines of the places, the same runs.
TEST(SarifReplacements, InsertedRunsPutTheBlocksWhereAddDoes) {
    using Lines = std::vector<std::string>;
    const Lines vocabulary{"Sub A()",   "",   "    Beep", "' note",       "    a = 1 + _",
                           "        2", "X:", "End Sub",  "    Exit Sub", "    On Error GoTo E"};
    const Lines breaks{"\r\n", "\n", "\r"};
    const std::vector<Lines> blocks{{},
                                    {"    On Error GoTo E", ""},
                                    {"", "X:", "    Exit Sub"},
                                    {"End Sub"},
                                    {""},
                                    {"' note", "    Beep"}};
    std::uint32_t seed = 7;
    auto next = [&](size_t n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<size_t>((seed >> 16) % n);
    };
    int cases = 0, found = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string before;
        const size_t count = 2 + next(6);
        for (size_t i = 0; i < count; ++i) {
            before += vocabulary[next(vocabulary.size())];
            if (i + 1 < count || next(3) != 0) before += breaks[next(4) == 0 ? 1 + next(2) : 0];
        }
        const host::files::SplitText split = host::files::SplitFileLines(before);
        const size_t n = split.lines.size();
        if (n < 2) continue;
        const size_t top = 1 + next(n - 1), exit = top + next(n - top);
        auto offset = [&](size_t line) {
            return static_cast<size_t>(split.lines[line].data() - before.data());
        };
        const Lines& topLines = blocks[next(blocks.size())];
        const Lines& exitLines = blocks[next(blocks.size())];
        const std::string ending = next(3) == 0 ? "\n" : "\r\n";
        ++cases;
        const auto runs = cli::InsertedRuns(before, offset(top), topLines, offset(exit),
                                            exitLines, ending);
        const auto told =
            cli::InsertedRuns(before, offset(top), topLines, offset(exit), exitLines, ending,
                              {static_cast<long>(top), static_cast<long>(exit)});
        ASSERT_EQ(told.has_value(), runs.has_value());
        // None only for no lines at all, or a blank first line with a LF
        // alone after a lone CR.
        auto joins = [&](size_t line, const Lines& block) {
            return !block.empty() && block.front().empty() && ending == "\n" &&
                   before[offset(line) - 1] == '\r';
        };
        EXPECT_EQ(runs.has_value(), !(topLines.empty() && exitLines.empty()) &&
                                        !joins(top, topLines) && !joins(exit, exitLines))
            << Json(before);
        if (!runs) continue;
        ++found;
        ASSERT_EQ(told->size(), runs->size());
        for (size_t i = 0; i < runs->size(); ++i) {
            EXPECT_EQ((*told)[i].at, (*runs)[i].at);
            EXPECT_EQ((*told)[i].text, (*runs)[i].text);
        }
        // The blocks given escaped: the same runs, escaped, and the same
        // replacements in the log.
        auto escapedBlock = [&](const Lines& block) {
            std::string text;
            for (const std::string& line : block) text += line + ending;
            return cli::EscapedBlock{Escaped(text), block.empty(),
                                     !block.empty() && block.front().empty()};
        };
        const auto escapedRuns = cli::EscapedRuns(before, offset(top), escapedBlock(topLines),
                                                  offset(exit), escapedBlock(exitLines), ending);
        ASSERT_TRUE(escapedRuns);
        ASSERT_EQ(escapedRuns->size(), runs->size());
        for (size_t i = 0; i < runs->size(); ++i) {
            EXPECT_EQ((*escapedRuns)[i].at, (*runs)[i].at);
            EXPECT_EQ((*escapedRuns)[i].text, Escaped((*runs)[i].text));
            EXPECT_TRUE((*escapedRuns)[i].json);
        }
        cli::FileChange raw{before, {}, {}, 1, *runs}, escaped{before, {}, {}, 1, *escapedRuns};
        EXPECT_EQ(SarifReplacements(escaped), SarifReplacements(raw));
        // The first run goes in at the top block's place (or the exit
        // block's, with no top block).
        EXPECT_EQ(runs->front().at, static_cast<long>(topLines.empty() ? exit : top));
        auto put = [&](const Lines& block) {
            std::string out;
            for (const std::string& line : block) out += line + ending;
            return out;
        };
        const std::string after = before.substr(0, offset(top)) + put(topLines) +
                                  before.substr(offset(top), offset(exit) - offset(top)) +
                                  put(exitLines) + before.substr(offset(exit));
        cli::FileChange planned{before, {}, {}, 1, {}};
        planned.insertions = *runs;
        EXPECT_EQ(Apply(before, Json(SarifReplacements(planned)), "utf-8"), after)
            << Json(before) << " top " << top << " exit " << exit;
    }
    EXPECT_GT(found, cases * 9 / 10);
}

// A block's lines with emptied literals, filled with contents and escaped
// piece by piece, give the filled lines escaped whole: over lines of quotes
// (empty pairs, literals that were not emptied, a quote no other closes),
// backslashes and control characters, with fewer, as many or more contents
// than places, which themselves hold what must be escaped.
TEST(SarifReplacements, EscapedFillGivesTheFilledLinesEscaped) {
    const std::string alphabet = "\"\"a :'\\\x01\t%";
    const std::vector<std::string> endings{"\r\n", "\n", "\r"};
    std::uint32_t seed = 11;
    auto next = [&](size_t n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<size_t>((seed >> 16) % n);
    };
    auto random = [&](size_t most) {
        std::string text;
        for (size_t i = next(most + 1); i > 0; --i) text += alphabet[next(alphabet.size())];
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::string> lines(next(5));
        for (std::string& line : lines) line = random(12);
        std::vector<std::string> contents(next(6));
        for (std::string& content : contents) content = random(6);
        const std::string& ending = endings[next(endings.size())];
        const std::optional<cli::EscapedFill> fill = cli::EscapedFill::Of(lines, ending);
        ASSERT_TRUE(fill);
        std::string filled;
        const std::vector<std::string_view> views(contents.begin(), contents.end());
        size_t used = 0;
        for (const std::string& line : lines) {
            tidy::AppendFilled(filled, line, views, used);
            filled += ending;
        }
        std::string out = "kept";
        fill->AppendTo(out, contents);
        EXPECT_EQ(out, "kept" + Escaped(filled)) << Json(lines) << Json(contents);
    }
    // A line outside ASCII is not escaped in pieces.
    EXPECT_FALSE(cli::EscapedFill::Of({"Caf\xC3\xA9 \"\""}, "\r\n"));
    // Nor is an ending outside it.
    EXPECT_FALSE(cli::EscapedFill::Of({"a"}, "\xC2\x85"));
}

TEST(SarifReplacements, JsonBodyIsTheStringWithoutItsQuotes) {
    for (const std::string text : {"", "plain", "say \"hi\"", "a\\b", "\x01\x1f\t\r\n", "\x7f~"}) {
        std::string out = "[";
        cli::AppendJsonBody(out, text);
        EXPECT_EQ(out, "[" + Escaped(text)) << Json(text);
    }
}

// Not where a line starts: no runs (the fix then comes from the text).
TEST(SarifReplacements, InsertedRunsOnlyWhereLinesStart) {
    const std::string before = "Sub A()\r\n\r\n    Beep\r\nEnd Sub\r\n";
    const size_t beep = 11, end = 21;
    const std::vector<std::string> top{"On Error GoTo E"}, exit{"", "X:"};
    EXPECT_TRUE(cli::InsertedRuns(before, beep, top, end, exit, "\r\n"));
    EXPECT_FALSE(cli::InsertedRuns(before, beep + 1, top, end, exit, "\r\n"));
    EXPECT_FALSE(cli::InsertedRuns(before, beep, top, end - 1, exit, "\r\n"));  // in a CR LF
    EXPECT_FALSE(cli::InsertedRuns(before, end, top, beep, exit, "\r\n"));      // out of order
    EXPECT_FALSE(cli::InsertedRuns(before, 0, top, end, exit, "\r\n"));  // above the first line
}

}  // namespace
}  // namespace qv::test
