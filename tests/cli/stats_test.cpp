#include <gtest/gtest.h>


#include "cli/cli_test_support.h"

namespace qv::test {
namespace {

const char* const kModB =
    "Attribute VB_Name = \"modB\"\r\n"
    "Option Explicit\r\n"
    "' notes\r\n"
    "\r\n"
    "Public Sub One()\r\n"
    "    ' inside\r\n"
    "    x = 1\r\n"
    "End Sub\r\n";

const char* const kAlpha =
    "VERSION 1.0 CLASS\r\n"
    "BEGIN\r\n"
    "  MultiUse = -1  'True\r\n"
    "END\r\n"
    "Attribute VB_Name = \"Alpha\"\r\n"
    "Attribute VB_GlobalNameSpace = False\r\n"
    "Attribute VB_Creatable = True\r\n"
    "Attribute VB_PredeclaredId = False\r\n"
    "Attribute VB_Exposed = False\r\n"
    "Private mValue As Long\r\n"
    "\r\n"
    "Public Property Get Value() As Long\r\n"
    "    Value = mValue\r\n"
    "End Property\r\n"
    "\r\n"
    "Public Property Let Value(ByVal v As Long)\r\n"
    "    mValue = v\r\n"
    "End Property\r\n";

// Two projects in a group; P1 (the startup project) holds modB and Alpha.
TempFolder MakeGroup() {
    TempFolder folder;
    folder.Write("P1/P1.vbp",
                 "Type=Exe\r\nModule=modB; modB.bas\r\nClass=Alpha; Alpha.cls\r\nName=\"P1\"\r\n");
    folder.Write("P1/modB.bas", kModB);
    folder.Write("P1/Alpha.cls", kAlpha);
    folder.Write("P2/P2.vbp", "Type=Exe\r\nModule=modC; modC.bas\r\nName=\"P2\"\r\n");
    folder.Write("P2/modC.bas",
                 "Attribute VB_Name = \"modC\"\r\nPrivate Declare Sub Sleep Lib \"kernel32\" "
                 "(ByVal ms As Long)\r\nSub Nap()\r\n    Sleep 1\r\nEnd Sub\r\n");
    folder.Write("All.vbg",
                 "VBGROUP 5.0\r\nStartupProject=P1\\P1.vbp\r\nProject=P2\\P2.vbp\r\n");
    return folder;
}

TEST(StatsCommand, ModuleTableHasTheTotalFirstAndTheModulesByName) {
    const TempFolder group = MakeGroup();
    const CliResult r = RunCliIn(group.Path(), {"stats", "All.vbg"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "Module name         Routines  Total Lines  Declaration  Blank  Comments  Code\n"
              " <Total> 2 modules         3           16            2      3         2     9\n"
              "Alpha                      2            9            1      2         0     6\n"
              "modB                       1            7            1      1         2     3\n");
}

TEST(StatsCommand, CsvQuotesTheTotalRow) {
    const TempFolder group = MakeGroup();
    const CliResult r = RunCliIn(group.Path(), {"--format", "csv", "stats", "P1/P1.vbp"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "Module name,Routines,Total Lines,Declaration,Blank,Comments,Code\r\n"
              "\" <Total> 2 modules\",3,16,2,3,2,9\r\n"
              "Alpha,2,9,1,2,0,6\r\n"
              "modB,1,7,1,1,2,3\r\n");
}

TEST(StatsCommand, RoutineTableOfOneModule) {
    const TempFolder group = MakeGroup();
    const CliResult r = RunCliIn(group.Path(), {"stats", "All.vbg", "--module", "alpha"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "Routine name    Total Lines  Blank  Comments  Actual Code\n"
              "(Declarations)            1      0         0            1\n"
              "Value  (Let)              4      1         0            3\n"
              "Value  (Get)              4      1         0            3\n");
}

TEST(StatsCommand, GroupRowsNameTheProjectAndCountMembers) {
    const TempFolder group = MakeGroup();
    const CliResult r = RunCliIn(group.Path(), {"--format", "csv", "stats", "All.vbg", "--group"});
    EXPECT_EQ(r.code, 0) << r.err;
    // In a group a property counts once and a Declare counts.
    EXPECT_EQ(r.out,
              "Module name,Routines,Total Lines,Declaration,Blank,Comments,Code\r\n"
              "\" <Total> 3 modules\",4,20,3,3,2,12\r\n"
              "P1.Alpha,1,9,1,2,0,6\r\n"
              "P1.modB,1,7,1,1,2,3\r\n"
              "P2.modC,2,4,1,0,0,3\r\n");
}

TEST(StatsCommand, JsonGivesTheTotalAndEachComponentsFigures) {
    const TempFolder group = MakeGroup();
    const CliResult r = RunCliIn(group.Path(), {"--format", "json", "stats", "All.vbg"});
    ASSERT_EQ(r.code, 0) << r.err;
    Json root = ParseJson(r.out);
    Json total = root["total"];
    EXPECT_EQ(total["text"].get<std::string>(), " <Total> 2 modules");
    EXPECT_EQ(total["code"].get<int>(), 9);
    Json components = root["projects"][0]["components"];
    ASSERT_EQ(components.size(), 2);
    Json alpha = components[0];
    EXPECT_EQ(alpha["name"].get<std::string>(), "Alpha");
    EXPECT_EQ(alpha["file"].get<std::string>(), "P1/Alpha.cls");
    EXPECT_EQ(alpha["stats"]["blank"].get<int>(), 2);
    EXPECT_EQ(alpha["stats"]["routines"].get<int>(), 2);

    const CliResult one =
        RunCliIn(group.Path(), {"--format", "json", "stats", "All.vbg", "--module", "Alpha"});
    ASSERT_EQ(one.code, 0) << one.err;
    Json module = ParseJson(one.out)["projects"]
                                   [0]
                                   ["components"]
                                   [0]
                                   ;
    EXPECT_EQ(module["declarations"]["stats"]["totalLines"].get<int>(), 1);
    Json routines = module["routines"];
    ASSERT_EQ(routines.size(), 2);
    EXPECT_EQ(routines[0]["kind"].get<int>(), 1);
    EXPECT_EQ(routines[0]["routineType"].get<std::string>(), "Property");
    EXPECT_EQ(routines[0]["stats"]["text"].get<std::string>(), "Value  (Let)");
}

TEST(StatsCommand, WrongUsageAndUnknownModules) {
    const TempFolder group = MakeGroup();
    EXPECT_EQ(RunCliIn(group.Path(), {"stats", "All.vbg", "--group", "--module", "modB"}).code, 2);
    EXPECT_EQ(RunCliIn(group.Path(), {"stats", "All.vbg", "--routine", "One"}).code, 2);
    EXPECT_EQ(RunCliIn(group.Path(), {"stats"}).code, 2);
    const CliResult unknown = RunCliIn(group.Path(), {"stats", "All.vbg", "--module", "Nope"});
    EXPECT_EQ(unknown.code, 3);
    EXPECT_NE(unknown.err.find("Nope"), std::string::npos) << unknown.err;
    EXPECT_EQ(RunCliIn(group.Path(), {"stats", "Missing.vbp"}).code, 3);
}

}  // namespace
}  // namespace qv::test
