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

// The tables, json, selectors and refusals of check are in the stored runs
// of the check group; here, what they do not hold.
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

TEST_F(CheckCommand, StoredTemplatesDecide) {
    ASSERT_EQ(RunCli({"settings", "set", "label2", "Handler"}).code, 0);
    const CliResult r = RunCliIn(shop.Path(), {"check", "Shop.vbp", "--module", "modMain"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("    Main                SOME        N/A\n"), std::string::npos) << r.out;
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

}  // namespace
}  // namespace qv::test
