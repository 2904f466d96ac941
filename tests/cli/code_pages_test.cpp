// Projects written in the code pages of their authors (fixtures/CodePages,
// code_page_fixture.h): Windows-1252, Shift-JIS and GBK. Each goes through
// list, check, find, add, remove, number, unnumber and tidy against the text
// it must give: names and paths are found as text of the code page, a
// search never matches inside a character, everything printed is UTF-8, and
// the files written keep their code page.

#include "cli/shape_fixture.h"
#include "cli/code_page_fixture.h"

#include <map>

namespace qv::test {
namespace {

using namespace shapes;

class CodePageShapes : public CodeChangeTest {
  protected:
    // The command in the project's code page.
    CliResult Run(const CodePageProject& project, const TempFolder& folder,
                  std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--code-page", std::to_string(project.codePage)});
        return CodeChangeTest::Run(folder, arguments);
    }
    // The file holds the lines (UTF-8 here), written in the project's code page.
    static void ExpectFile(const CodePageProject& project, const TempFolder& folder,
                           const std::string& file, const Lines& lines) {
        const auto bytes = text::FromUtf8(CrlfLines(lines), project.Page());
        ASSERT_TRUE(bytes);
        EXPECT_EQ(folder.Read(file), *bytes)
            << file << " reads:\n"
            << text::ToUtf8(folder.Read(file), project.Page());
    }
    // Every file of the folder is as the fixture has it.
    static void ExpectUnchanged(const CodePageProject& project, const TempFolder& folder) {
        const TempFolder original = CodePageCopy(project);
        EXPECT_EQ(AllFiles(folder), AllFiles(original));
    }
    static std::map<std::string, std::string> AllFiles(const TempFolder& folder) {
        namespace fs = std::filesystem;
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder.Path())) {
            if (!entry.is_regular_file()) continue;
            files[fs::relative(entry.path(), folder.Path()).string()] = test::ReadFile(entry.path());
        }
        return files;
    }
};

const Lines kModulo1Head = {"Attribute VB_Name = \"Módulo1\"", "Option Explicit", "",
                            "' Einzufügenden Text anhängen",
                            "Public Sub Añadir(ByVal texto As String)"};

TEST_F(CodePageShapes, WesternNamesAndPathsAreFoundAsText) {
    const TempFolder folder = CodePageCopy(kWestern);
    const CliResult list = Run(kWestern, folder, {"list", "Ventas.vbp"});
    EXPECT_EQ(list.code, 0) << list.err;
    EXPECT_EQ(list.out,
              "Ventas (Standard EXE)  Ventas.vbp\n"
              "  Módulo1 (Module)  Módulo1.bas\n"
              "    Sub Añadir\n"
              "    Function Größe\n"
              "  Cálculo (Module)  Lógica/Cálculo.bas\n"
              "    Sub Calcular\n"
              "  CCaña (Class)  CCaña.cls\n"
              "    Property Get Niño\n");
    EXPECT_EQ(list.err,
              "qvaddin: warning: Ventas.vbp:5: Module file \"Lógica\\Größe.bas\" is not there (it "
              "is read in code page 1252 (Western European); name the code page the project file "
              "was written in, if another); the project is loaded without it (restore the file or "
              "remove the line)\n");

    // Other capitals than the module's name, in its own alphabet.
    const CliResult check = Run(kWestern, folder, {"check", "Ventas.vbp", "--module", "MÓDULO1"});
    EXPECT_EQ(check.code, 1) << check.err;
    EXPECT_EQ(check.out,
              "Ventas  Ventas.vbp\n"
              "  Módulo1  Good 0  Some 0  Error 0  None 2\n"
              "    Routine name  Type  Top Status  Exit Status\n"
              "    Añadir              MISSING     N/A\n"
              "    Größe               MISSING     N/A\n"
              "2 routines judged: Good 0, Some 0, Error 0, None 2\n");
    const CliResult routine = Run(kWestern, folder, {"check", "Ventas.vbp", "--routine", "NIÑO"});
    EXPECT_EQ(routine.code, 1) << routine.err;
    EXPECT_NE(routine.out.find("  CCaña  Good 0  Some 0  Error 0  None 1\n"), std::string::npos)
        << routine.out;

    Json json = ParseJson(
        Run(kWestern, folder, {"--format", "json", "list", "Ventas.vbp", "--module", "cálculo"})
            .out);
    Json module =
        json["projects"][0]["components"][0];
    EXPECT_EQ(module["name"].get<std::string>(), "Cálculo");
    EXPECT_EQ(module["file"].get<std::string>(), "Lógica/Cálculo.bas");
    EXPECT_EQ(module["routines"][0]["name"].get<std::string>(), "Calcular");
}

TEST_F(CodePageShapes, WesternTextIsFoundInAnyCase) {
    const TempFolder folder = CodePageCopy(kWestern);
    const CliResult found = Run(kWestern, folder, {"find", "Ventas.vbp", "EINZUFÜGENDEN"});
    EXPECT_EQ(found.code, 0) << found.err;
    EXPECT_EQ(found.out,
              "1 hit found.\n"
              "Ventas\n"
              "  Modules\n"
              "    Módulo1\n"
              "      Añadir\n"
              "        3:3: ' Einzufügenden Text anhängen\n");
    EXPECT_EQ(Run(kWestern, folder, {"find", "Ventas.vbp", "EINZUFÜGENDEN", "--match-case"}).out,
              "Search String Not Found\n");
    const CliResult word = Run(kWestern, folder, {"find", "Ventas.vbp", "CAÑA", "--whole-word"});
    EXPECT_EQ(word.out,
              "1 hit found.\n"
              "Ventas\n"
              "  Modules\n"
              "    Cálculo\n"
              "      Calcular\n"
              "        5:18: año = 2024 ' Caña\n");
}

TEST_F(CodePageShapes, WesternChangesKeepTheCodePage) {
    TempFolder folder = CodePageCopy(kWestern);
    const CliResult add = Run(kWestern, folder, {"add", "Ventas.vbp"});
    EXPECT_EQ(add.code, 0) << add.err;
    EXPECT_EQ(add.out,
              "Módulo1  (Módulo1.bas)\n"
              "  added     Añadir\n"
              "  added     Größe\n"
              "Cálculo  (Lógica/Cálculo.bas)\n"
              "  added     Calcular\n"
              "CCaña  (CCaña.cls)\n"
              "  added     Niño (Get)\n"
              "Changed 4 routines in 3 modules; 0 refused.\n");
    ExpectFile(kWestern, folder, "Módulo1.bas",
               kModulo1Head +
                   WithHandler({"Debug.Print \"Mañana: \" & texto"}, "Sub", "Módulo1.Añadir") +
                   Lines{"End Sub", "", "Public Function Größe() As Long"} +
                   WithHandler({"    Größe = 1"}, "Function", "Módulo1.Größe") +
                   Lines{"End Function"});
    ExpectFile(kWestern, folder, "CCaña.cls",
               Lines{"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True", "END",
                     "Attribute VB_Name = \"CCaña\"", "Attribute VB_Exposed = False",
                     "Option Explicit", "", "Public Property Get Niño() As String"} +
                   WithHandler({"    Niño = \"niño\""}, "Property", "CCaña.Niño(Get)") +
                   Lines{"End Property"});
    EXPECT_EQ(Run(kWestern, folder, {"remove", "Ventas.vbp"}).code, 0);
    ExpectUnchanged(kWestern, folder);

    EXPECT_EQ(Run(kWestern, folder, {"number", "Ventas.vbp", "--module", "MÓDULO1"}).code, 0);
    const Lines numbered = kModulo1Head + Lines{"1   Debug.Print \"Mañana: \" & texto", "End Sub",
                                                "", "Public Function Größe() As Long",
                                                "1   Größe = 1", "End Function"};
    ExpectFile(kWestern, folder, "Módulo1.bas", numbered);
    EXPECT_EQ(Run(kWestern, folder, {"unnumber", "Ventas.vbp", "--routine", "größe"}).code, 0);
    Lines unnumbered = numbered;
    unnumbered[9] = "Größe = 1";
    ExpectFile(kWestern, folder, "Módulo1.bas", unnumbered);

    const CliResult tidy = Run(kWestern, folder, {"tidy", "Ventas.vbp"});
    EXPECT_EQ(tidy.out, "tidied Módulo1.bas\n");
    const Lines tidied = kModulo1Head + Lines{"    Debug.Print \"Mañana: \" & texto", "End Sub",
                                              "", "Public Function Größe() As Long",
                                              "    Größe = 1", "End Function"};
    ExpectFile(kWestern, folder, "Módulo1.bas", tidied);
    EXPECT_EQ(Run(kWestern, folder, {"tidy", "Ventas.vbp"}).out,
              "Nothing to tidy: the code is tidy already.\n");
}

TEST_F(CodePageShapes, JapaneseProjectAndGroupFindTheirFiles) {
    const TempFolder folder = CodePageCopy(kJapanese);
    const std::string listing =
        "日本 (Standard EXE)  日本.vbp\n"
        "  問題 (Form)  問題.frm\n"
        "    Sub 実行_Click\n"
        "  共通 (Module)  表示/共通.bas\n"
        "    Function 表示\n"
        "    Sub ソート\n";
    const CliResult list = Run(kJapanese, folder, {"list", "日本.vbp"});
    EXPECT_EQ(list.code, 0) << list.err;
    EXPECT_EQ(list.out, listing);
    EXPECT_EQ(list.err,
              "qvaddin: warning: 日本.vbp:4: Module file \"欠落.bas\" is not there (it is read in "
              "code page 932 (Japanese, Shift-JIS); name the code page the project file was "
              "written in, if another); the project is loaded without it (restore the file or "
              "remove the line)\n");
    const CliResult group = Run(kJapanese, folder, {"list", "グループ.vbg"});
    EXPECT_EQ(group.code, 0) << group.err;
    EXPECT_EQ(group.out, listing);

    // 表示 ends in the byte of "\": it is one routine's name, not two.
    const CliResult check = Run(kJapanese, folder, {"check", "日本.vbp", "--routine", "表示"});
    EXPECT_EQ(check.code, 1) << check.err;
    EXPECT_EQ(check.out,
              "日本  日本.vbp\n"
              "  共通  Good 0  Some 0  Error 0  None 1\n"
              "    Routine name  Type  Top Status  Exit Status\n"
              "    表示                MISSING     N/A\n"
              "1 routine judged: Good 0, Some 0, Error 0, None 1\n");

    const CliResult unknown =
        Run(kJapanese, folder, {"--format", "json", "list", "日本.vbp", "--module", "無い"});
    EXPECT_EQ(unknown.code, 3);
    const std::string message =
        "日本.vbp: project 日本 has no module named \"無い\"; its modules are: 問題, 共通";
    EXPECT_NE(unknown.err.find("qvaddin: " + message + "\n"), std::string::npos) << unknown.err;
    EXPECT_EQ(ParseJson(unknown.out)["error"]["message"].get<std::string>(),
              std::string(message));
}

TEST_F(CodePageShapes, JapaneseSearchesNeverMatchInsideACharacter) {
    const TempFolder folder = CodePageCopy(kJapanese);
    // 表, ソ and 構 end in the byte of "\", ポ in that of "|".
    for (const char* part : {"\\", "|"}) {
        EXPECT_EQ(Run(kJapanese, folder, {"find", "日本.vbp", part}).out,
                  "Search String Not Found\n")
            << part;
    }
    const CliResult found = Run(kJapanese, folder, {"find", "日本.vbp", "表"});
    EXPECT_EQ(found.code, 0) << found.err;
    EXPECT_EQ(found.out,
              "4 hits found.\n"
              "日本\n"
              "  Forms\n"
              "    問題\n"
              "      実行_Click\n"
              "        4:15: ' ソフトを表示する\n"
              "  Modules\n"
              "    共通\n"
              "      表示\n"
              "        3:17: Public Function 表示(ByVal 値 As Long) As Long\n"
              "        4:5: 表示 = 値 * 2 ' 構造\n"
              "      ソート\n"
              "        8:14: Debug.Print \"表\"\n");
    EXPECT_EQ(Run(kJapanese, folder, {"find", "日本.vbp", "ソ", "--whole-word"}).out,
              "Search String Not Found\n");
}

TEST_F(CodePageShapes, JapaneseChangesKeepTheCodePage) {
    TempFolder folder = CodePageCopy(kJapanese);
    const Lines form = {"VERSION 5.00",
                        "Begin VB.Form 問題",
                        "   Caption         =   \"問題\"",
                        "   Begin VB.CommandButton 実行",
                        "      Caption         =   \"実行\"",
                        "   End",
                        "End",
                        "Attribute VB_Name = \"問題\"",
                        "Option Explicit",
                        "",
                        "Private Sub 実行_Click()",
                        "    ' ソフトを表示する"};
    const Lines common = {"Attribute VB_Name = \"共通\"", "Option Explicit", "",
                          "Public Function 表示(ByVal 値 As Long) As Long"};
    const CliResult add = Run(kJapanese, folder, {"add", "日本.vbp"});
    EXPECT_EQ(add.code, 0) << add.err;
    EXPECT_EQ(add.out,
              "問題  (問題.frm)\n"
              "  added     実行_Click\n"
              "共通  (表示/共通.bas)\n"
              "  added     表示\n"
              "  added     ソート\n"
              "Changed 3 routines in 2 modules; 0 refused.\n");
    // The button's click is an event: the top-level error text.
    ExpectFile(kJapanese, folder, "問題.frm",
               form + Lines{"    On Error GoTo Error_Routine", "", "    MsgBox \"ポイント\"", "",
                            "Exit_Routine:", "    Exit Sub", "Error_Routine:",
                            "    Debug.Assert False", "    Errorlog \"問題.実行_Click\"",
                            "    Resume Exit_Routine", "End Sub"});
    ExpectFile(kJapanese, folder, "表示/共通.bas",
               common + WithHandler({"    表示 = 値 * 2 ' 構造"}, "Function", "共通.表示") +
                   Lines{"End Function", "", "Public Sub ソート()"} +
                   WithHandler({"Debug.Print \"表\""}, "Sub", "共通.ソート") + Lines{"End Sub"});
    EXPECT_EQ(Run(kJapanese, folder, {"remove", "日本.vbp"}).code, 0);
    ExpectUnchanged(kJapanese, folder);

    EXPECT_EQ(Run(kJapanese, folder, {"number", "日本.vbp", "--module", "共通"}).code, 0);
    const Lines numbered = common + Lines{"1   表示 = 値 * 2 ' 構造", "End Function", "",
                                          "Public Sub ソート()", "1   Debug.Print \"表\"",
                                          "End Sub"};
    ExpectFile(kJapanese, folder, "表示/共通.bas", numbered);
    EXPECT_EQ(Run(kJapanese, folder, {"unnumber", "日本.vbp", "--routine", "ソート"}).code, 0);
    Lines unnumbered = numbered;
    unnumbered[8] = "Debug.Print \"表\"";
    ExpectFile(kJapanese, folder, "表示/共通.bas", unnumbered);

    const CliResult tidy = Run(kJapanese, folder, {"tidy", "日本.vbp"});
    EXPECT_EQ(tidy.out, "tidied 表示/共通.bas\n");
    ExpectFile(kJapanese, folder, "表示/共通.bas",
               common + Lines{"    表示 = 値 * 2 ' 構造", "End Function", "",
                              "Public Sub ソート()", "    Debug.Print \"表\"", "End Sub"});
    EXPECT_EQ(Run(kJapanese, folder, {"tidy", "日本.vbp"}).out,
              "Nothing to tidy: the code is tidy already.\n");
}

TEST_F(CodePageShapes, ChineseThroughEveryCommand) {
    TempFolder folder = CodePageCopy(kChinese);
    const CliResult list = Run(kChinese, folder, {"list", "中文.vbp"});
    EXPECT_EQ(list.out,
              "中文 (Standard EXE)  中文.vbp\n"
              "  模块 (Module)  模块.bas\n"
              "    Function 開始\n"
              "    Sub 结果\n");
    EXPECT_NE(list.err.find("Module file \"缺失.bas\" is not there"), std::string::npos)
        << list.err;
    const CliResult check = Run(kChinese, folder, {"check", "中文.vbp", "--module", "模块"});
    EXPECT_EQ(check.code, 1);
    // A wide character takes two columns.
    EXPECT_EQ(check.out,
              "中文  中文.vbp\n"
              "  模块  Good 0  Some 0  Error 0  None 2\n"
              "    Routine name  Type  Top Status  Exit Status\n"
              "    開始                MISSING     N/A\n"
              "    结果                MISSING     N/A\n"
              "2 routines judged: Good 0, Some 0, Error 0, None 2\n");

    // 開 ends in the byte of "_", 億 in that of "|".
    for (const char* part : {"_", "|"}) {
        EXPECT_EQ(Run(kChinese, folder, {"find", "中文.vbp", part}).out,
                  "Search String Not Found\n")
            << part;
    }
    EXPECT_EQ(Run(kChinese, folder, {"find", "中文.vbp", "億元"}).out,
              "1 hit found.\n"
              "中文\n"
              "  Modules\n"
              "    模块\n"
              "      開始\n"
              "        3:7: ' 計算億元\n");

    const Lines head = {"Attribute VB_Name = \"模块\"", "Option Explicit", "", "' 計算億元",
                        "Public Function 開始(ByVal 数值 As Long) As Long"};
    const Lines tail = {"End Function", "", "Private Sub 结果()"};
    EXPECT_EQ(Run(kChinese, folder, {"add", "中文.vbp", "--routine", "開始"}).code, 0);
    ExpectFile(kChinese, folder, "模块.bas",
               head + WithHandler({"    開始 = 数值 + 1"}, "Function", "模块.開始") + tail +
                   Lines{"Debug.Print \"結果\"", "End Sub"});
    EXPECT_EQ(Run(kChinese, folder, {"remove", "中文.vbp"}).code, 0);
    ExpectUnchanged(kChinese, folder);

    EXPECT_EQ(Run(kChinese, folder, {"number", "中文.vbp"}).code, 0);
    ExpectFile(kChinese, folder, "模块.bas",
               head + Lines{"1   開始 = 数值 + 1"} + tail +
                   Lines{"1   Debug.Print \"結果\"", "End Sub"});
    EXPECT_EQ(Run(kChinese, folder, {"unnumber", "中文.vbp"}).code, 0);
    ExpectFile(kChinese, folder, "模块.bas",
               head + Lines{"開始 = 数值 + 1"} + tail + Lines{"Debug.Print \"結果\"", "End Sub"});
    EXPECT_EQ(Run(kChinese, folder, {"tidy", "中文.vbp"}).out, "tidied 模块.bas\n");
    ExpectFile(kChinese, folder, "模块.bas",
               head + Lines{"    開始 = 数值 + 1"} + tail +
                   Lines{"    Debug.Print \"結果\"", "End Sub"});
}

// The SARIF log names the routines as text and the files' code pages, and
// offers the fix of a routine whose module's name is not ASCII.
TEST_F(CodePageShapes, SarifNamesTheCodePageAndOffersEveryFix) {
    const TempFolder folder = CodePageCopy(kJapanese);
    const CliResult r = Run(kJapanese, folder, {"--format", "sarif", "check", "日本.vbp"});
    EXPECT_EQ(r.code, 1) << r.err;
    Json run = ParseJson(r.out)["runs"][0];
    for (Json artifact : run["artifacts"]) {
        EXPECT_EQ(artifact["encoding"].get<std::string>(), "shift_jis");
    }
    std::vector<std::string> found;
    for (Json result : run["results"]) {
        found.push_back(result["locations"][0]["logicalLocations"][0]["fullyQualifiedName"].get<std::string>() +
                        (result.contains("fixes") ? " fix" : ""));
    }
    EXPECT_EQ(found, (std::vector<std::string>{"問題.実行_Click fix", "共通.表示 fix",
                                               "共通.ソート fix"}));
    const std::string inserted = run["results"][1]["fixes"][0]["artifactChanges"][0]
                                    ["replacements"].back()["insertedContent"]["text"]
                                        .get<std::string>();
    EXPECT_NE(inserted.find("\"共通.表示(\" & Erl"), std::string::npos) << inserted;
}

// Opened in another code page, a project that names files in its own says
// where to look instead of failing silently.
TEST_F(CodePageShapes, OpenedInAnotherCodePage) {
    const TempFolder folder = CodePageCopy(kJapanese);
    const CliResult list = RunCliIn(folder.Path(), {"list", "日本.vbp"});
    EXPECT_EQ(list.code, 0);
    EXPECT_EQ(list.out, "“ú–{ (Standard EXE)  日本.vbp\n");
    EXPECT_NE(list.err.find("(it is read in code page 1252 (Western European); name the code "
                            "page the project file was written in, if another)"),
              std::string::npos)
        << list.err;
    const CliResult group = RunCliIn(folder.Path(), {"list", "グループ.vbg"});
    EXPECT_EQ(group.code, 3);
    EXPECT_EQ(group.err,
              "qvaddin: グループ.vbg: none of the group's projects is there; check the paths in "
              "it (they are read in code page 1252 (Western European); name the code page the "
              "group file was written in, if another)\n");
}

// Templates are our text (UTF-8): written into each module in its code page,
// a character that code page has none for as "?".
TEST_F(CodePageShapes, TemplatesAreWrittenInTheModulesCodePage) {
    ASSERT_EQ(RunCli({"settings", "set", "add2", "' Ende für %r"}).code, 0);
    TempFolder western = CodePageCopy(kWestern);
    EXPECT_EQ(Run(kWestern, western, {"add", "Ventas.vbp", "--routine", "Größe"}).code, 0);
    EXPECT_NE(western.Read("Módulo1.bas").find("    ' Ende f\xFCr Gr\xF6\xDF" "e\r\n"),
              std::string::npos);
    TempFolder japanese = CodePageCopy(kJapanese);
    EXPECT_EQ(Run(kJapanese, japanese, {"add", "日本.vbp", "--routine", "表示"}).code, 0);
    EXPECT_NE(text::ToUtf8(japanese.Read("表示/共通.bas"), kJapanese.Page())
                  .find("    ' Ende f?r 表示\r\n"),
              std::string::npos);
    // The status check reads the template as written.
    EXPECT_EQ(Run(kWestern, western, {"check", "Ventas.vbp", "--routine", "Größe"}).code, 0);
}

}  // namespace
}  // namespace qv::test
