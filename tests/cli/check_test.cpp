#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_test_support.h"
#include "settings/config_home_fixture.h"
#include "shell/process_start.h"

namespace qv::test {
namespace {

std::string Crlf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::vector<std::string> Handler(const std::string& declaration, const std::string& where,
                                 const std::string& exitWord, bool event) {
    std::vector<std::string> lines{declaration, "    On Error GoTo Error_Routine", "",
                                   "    DoWork", "", "Exit_Routine:", "    Exit " + exitWord,
                                   "Error_Routine:", "    Debug.Assert False"};
    if (event) {
        lines.insert(lines.end(), {"    Errorlog \"" + where + "\"", "    Resume Exit_Routine"});
    } else {
        lines.push_back("    Err.Raise Err.Number, \"" + where +
                        "(\" & Erl & \"):\" & Err.Source, Err.Description");
    }
    lines.push_back("End " + exitWord);
    return lines;
}

std::vector<std::string> Concat(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// A small project: modMain all Good; CAccount one Good, one Some, one
// None; frmMain one Good event handler.
TempFolder ShopProject() {
    TempFolder folder;
    folder.Write("Shop.vbp", Crlf({"Type=Exe", "Module=modMain; modMain.bas",
                                   "Class=CAccount; CAccount.cls", "Form=frmMain.frm",
                                   "Name=\"Shop\""}));
    folder.Write("modMain.bas",
                 Crlf(Concat({{"Attribute VB_Name = \"modMain\"", "Option Explicit", ""},
                              Handler("Sub Main()", "modMain.Main", "Sub", true),
                              Handler("Public Function Add(a As Long, b As Long) As Long",
                                      "modMain.Add", "Function", false)})));
    folder.Write("CAccount.cls",
                 Crlf(Concat({{"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True",
                               "  MTSTransactionMode  = 0  'NotAnMTSObject", "END",
                               "Attribute VB_Name = \"CAccount\"",
                               "Attribute VB_GlobalNameSpace = False",
                               "Attribute VB_Creatable = True", "Attribute VB_Exposed = False",
                               "Option Explicit", "Private mBalance As Currency", ""},
                              {"Private Sub Class_Initialize()", "    mBalance = 0", "End Sub"},
                              Handler("Public Property Get Balance() As Currency",
                                      "CAccount.Balance(Get)", "Property", false),
                              {"Public Sub Deposit(ByVal amount As Currency)",
                               "    On Error Resume Next", "    mBalance = mBalance + amount",
                               "End Sub"}})));
    folder.Write("frmMain.frm",
                 Crlf(Concat({{"VERSION 5.00", "Begin VB.Form frmMain", "   Caption = \"Shop\"",
                               "   Begin VB.CommandButton cmdGo", "      Caption = \"Go\"",
                               "   End", "End", "Attribute VB_Name = \"frmMain\"",
                               "Option Explicit", ""},
                              Handler("Private Sub cmdGo_Click()", "frmMain.cmdGo_Click", "Sub",
                                      true)})));
    return folder;
}

void MakeReadOnly(const std::filesystem::path& file) {
    std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read);
}

// The templates are the ones a first run stores.
class CheckCommand : public ConfigHomeTest {
protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        shell::CommandLineStart();
    }
    TempFolder shop = ShopProject();
};

TEST_F(CheckCommand, CountsPerModuleAndFindingsExitCode) {
    const CliResult r = RunCliIn(shop.Path(), {"check", "Shop.vbp"});
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.out,
              "Shop  Shop.vbp\n"
              "  Module name  Good  Some  Error  None\n"
              "  modMain         2     0      0     0\n"
              "  CAccount        1     1      0     1\n"
              "  frmMain         1     0      0     0\n"
              "6 routines judged: Good 4, Some 1, Error 0, None 1\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(CheckCommand, ModuleSelectorListsRoutinesAndPassesWhenAllAreGood) {
    const CliResult r = RunCliIn(shop.Path(), {"check", "Shop.vbp", "--module", "MODMAIN"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "Shop  Shop.vbp\n"
              "  modMain  Good 2  Some 0  Error 0  None 0\n"
              "    Routine name  Type  Top Status  Exit Status\n"
              "    Main                OK          OK\n"
              "    Add                 OK          OK\n"
              "2 routines judged: Good 2, Some 0, Error 0, None 0\n");
}

TEST_F(CheckCommand, RoutinesOptionShowsEveryStatusWord) {
    const CliResult r = RunCliIn(shop.Path(), {"check", "--routines", "Shop.vbp"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("  CAccount  Good 1  Some 1  Error 0  None 1\n"
                         "    Routine name      Type  Top Status  Exit Status\n"
                         "    Class_Initialize        MISSING     N/A\n"
                         "    Balance           Get   OK          OK\n"
                         "    Deposit                 SOME        N/A\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("    cmdGo_Click         OK          OK\n"), std::string::npos) << r.out;
}

TEST_F(CheckCommand, JsonExtendsTheListShape) {
    const CliResult r = RunCliIn(shop.Path(), {"--format", "json", "check", "Shop.vbp"});
    ASSERT_EQ(r.code, 1) << r.err;
    Json root = ParseJson(r.out);
    Json project = root["projects"][0];
    EXPECT_EQ(project["name"].get<std::string>(), "Shop");
    Json components = project["components"];
    ASSERT_EQ(components.size(), 3);
    Json account = components[1];
    EXPECT_EQ(account["name"].get<std::string>(), "CAccount");
    EXPECT_EQ(account["type"].get<int>(), 2);
    EXPECT_EQ(account["file"].get<std::string>(), "CAccount.cls");
    EXPECT_FALSE(account["readOnly"].get<bool>());
    EXPECT_EQ(account["good"].get<int>(), 1);
    EXPECT_EQ(account["some"].get<int>(), 1);
    EXPECT_EQ(account["error"].get<int>(), 0);
    EXPECT_EQ(account["none"].get<int>(), 1);
    Json routines = account["routines"];
    ASSERT_EQ(routines.size(), 3);
    Json balance = routines[1];
    EXPECT_EQ(balance["name"].get<std::string>(), "Balance");
    EXPECT_EQ(balance["kind"].get<int>(), 3);
    EXPECT_EQ(balance["routineType"].get<std::string>(), "Property");
    EXPECT_EQ(balance["top"].get<std::string>(), "OK");
    EXPECT_EQ(balance["exit"].get<std::string>(), "OK");
    EXPECT_EQ(routines[2]["top"].get<std::string>(), "SOME");
    EXPECT_EQ(routines[2]["exit"].get<std::string>(), "N/A");
    EXPECT_EQ(root["totals"]["good"].get<int>(), 4);
    EXPECT_FALSE(root["allGood"].get<bool>());
}

TEST_F(CheckCommand, ReadOnlyModulesAreMarkedAndCanBeLeftOut) {
    MakeReadOnly(shop.Path() / "CAccount.cls");
    const CliResult judged = RunCliIn(shop.Path(), {"check", "Shop.vbp"});
    EXPECT_EQ(judged.code, 1);
    EXPECT_NE(judged.out.find("  CAccount        1     1      0     1  read-only\n"),
              std::string::npos)
        << judged.out;

    const CliResult excluded = RunCliIn(shop.Path(), {"check", "--exclude-read-only", "Shop.vbp"});
    EXPECT_EQ(excluded.code, 0) << "only the modules judged decide the exit code";
    EXPECT_NE(excluded.out.find("  CAccount        -     -      -     -  read-only, not evaluated\n"),
              std::string::npos)
        << excluded.out;
    EXPECT_NE(excluded.out.find("3 routines judged: Good 3,"), std::string::npos) << excluded.out;

    const CliResult json = RunCliIn(
        shop.Path(), {"--format", "json", "check", "--exclude-read-only", "Shop.vbp"});
    Json account =
        ParseJson(json.out)["projects"][0]["components"][1];
    EXPECT_TRUE(account["readOnly"].get<bool>());
    EXPECT_FALSE(account["evaluated"].get<bool>());
    EXPECT_TRUE(account["good"].is_null());
    EXPECT_TRUE(account["routines"].empty());
}

TEST_F(CheckCommand, RoutineSelectorJudgesThatRoutineOnly) {
    const CliResult some = RunCliIn(shop.Path(), {"check", "Shop.vbp", "--routine", "Deposit"});
    EXPECT_EQ(some.code, 1) << some.err;
    EXPECT_NE(some.out.find("    Deposit             SOME        N/A\n"), std::string::npos)
        << some.out;
    EXPECT_EQ(some.out.find("Balance"), std::string::npos) << some.out;

    const CliResult good =
        RunCliIn(shop.Path(), {"check", "Shop.vbp", "--routine", "Balance:Get"});
    EXPECT_EQ(good.code, 0) << good.err << good.out;
    EXPECT_NE(good.out.find("1 routine judged: Good 1"), std::string::npos) << good.out;
}

TEST_F(CheckCommand, StoredTemplatesDecide) {
    ASSERT_EQ(RunCli({"settings", "set", "label2", "Handler"}).code, 0);
    const CliResult r = RunCliIn(shop.Path(), {"check", "Shop.vbp", "--module", "modMain"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("    Main                SOME        N/A\n"), std::string::npos) << r.out;
}

TEST_F(CheckCommand, LineSelectorIsRefused) {
    const CliResult r =
        RunCliIn(shop.Path(), {"check", "Shop.vbp", "--module", "modMain", "--line", "5"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("--routine"), std::string::npos) << r.err;
}

TEST_F(CheckCommand, DeclarationWithoutParenthesesIsJudged) {
    // Files that no IDE has saved may declare "Sub Main" without
    // parentheses; its handler is still judged like any other.
    shop.Write("modMain.bas",
               Crlf(Concat({{"Attribute VB_Name = \"modMain\""},
                            Handler("Sub Main", "modMain.Main", "Sub", true)})));
    const CliResult r = RunCliIn(shop.Path(), {"check", "Shop.vbp"});
    EXPECT_EQ(r.err.find("cannot judge"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("  modMain         1     0      0     0\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  frmMain         1     0      0     0\n"), std::string::npos) << r.out;
}

TEST_F(CheckCommand, ProjectPassesAfterAddEvenWithATerminateRoutine) {
    // A terminate routine gets its own blocks (counted Some), which a CI gate
    // must accept as the standard handler; a hand-written On Error Resume Next
    // in a terminate routine still fails.
    shop.Write("CAccount.cls",
               Crlf({"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True", "END",
                     "Attribute VB_Name = \"CAccount\"", "Attribute VB_Exposed = False",
                     "Option Explicit", "", "Private Sub Class_Terminate()",
                     "    Debug.Print \"bye\"", "End Sub", "", "Public Sub Deposit()",
                     "    Debug.Print \"in\"", "End Sub"}));
    ASSERT_EQ(RunCliIn(shop.Path(), {"add", "Shop.vbp"}).code, 0);
    CliResult r = RunCliIn(shop.Path(), {"check", "Shop.vbp"});
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("Of the Some: 1 terminate routine with the standard terminate handler"),
              std::string::npos)
        << r.out;
    shop.Write("CAccount.cls",
               Crlf({"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True", "END",
                     "Attribute VB_Name = \"CAccount\"", "Option Explicit", "",
                     "Private Sub Class_Terminate()", "    On Error Resume Next", "End Sub"}));
    r = RunCliIn(shop.Path(), {"check", "Shop.vbp"});
    EXPECT_EQ(r.code, 1) << r.out;
}

TEST_F(CheckCommand, HelpNamesTheOptions) {
    const CliResult r = RunCli({"check", "--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("--routines"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("--exclude-read-only"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace qv::test
