#include <gtest/gtest.h>


#include "cli/cli_test_support.h"

namespace qv::test {
namespace {

TempFolder MakeGroup() {
    TempFolder folder;
    folder.Write(
        "P1/P1.vbp",
        "Type=OleDll\r\nModule=modA; modA.bas\r\nModule=modB; modB.bas\r\nName=\"P1\"\r\n");
    folder.Write("P1/modA.bas",
                 "Attribute VB_Name = \"modA\"\r\n"
                 "Private total As Long\r\n"
                 "\r\n"
                 "Public Sub Add()\r\n"
                 "    total = total + 1\r\n"
                 "End Sub\r\n");
    folder.Write(
        "P1/modB.bas",
        "Attribute VB_Name = \"modB\"\r\nSub Show()\r\n  Debug.Print TOTAL, Totals\r\nEnd Sub\r\n");
    folder.Write("P2/P2.vbp", "Type=Exe\r\nModule=modC; modC.bas\r\nName=\"P2\"\r\n");
    folder.Write("P2/modC.bas",
                 "Attribute VB_Name = \"modC\"\r\nSub T()\r\n  t1 = total\r\nEnd Sub\r\n");
    folder.Write("All.vbg",
                 "VBGROUP 5.0\r\nStartupProject=P1\\P1.vbp\r\nProject=P2\\P2.vbp\r\n");
    return folder;
}

TEST(FindCommand, PrintsTheTreeWithTheSummaryFirst) {
    const TempFolder group = MakeGroup();
    const CliResult r = RunCliIn(group.Path(), {"find", "All.vbg", "total"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "5 hits found.\n"
              "P1\n"
              "  Modules\n"
              "    modA\n"
              "      1:9: Private total As Long\n"
              "      Add\n"
              "        4:5: total = total + 1\n"
              "        4:13: total = total + 1\n"
              "    modB\n"
              "      Show\n"
              "        2:15: Debug.Print TOTAL, Totals\n"
              "        2:22: Debug.Print TOTAL, Totals\n");
}

TEST(FindCommand, OptionsNarrowTheHits) {
    const TempFolder group = MakeGroup();
    auto summary = [&](std::vector<std::string> args) {
        std::vector<std::string> all{"find", "All.vbg"};
        all.insert(all.end(), args.begin(), args.end());
        const CliResult r = RunCliIn(group.Path(), all);
        EXPECT_EQ(r.code, 0) << r.err;
        return r.out.substr(0, r.out.find('\n'));
    };
    EXPECT_EQ(summary({"total", "--whole-word"}), "4 hits found.");
    EXPECT_EQ(summary({"total", "--match-case"}), "3 hits found.");
    EXPECT_EQ(summary({"total", "--first-per-line"}), "3 hits found.");
    EXPECT_EQ(summary({"T?TAL", "--pattern", "--match-case"}), "1 hit found.");
    EXPECT_EQ(summary({"total", "--scope", "group"}), "6 hits found.");
    EXPECT_EQ(summary({"total", "--scope", "module", "--module", "modb"}), "2 hits found.");
    EXPECT_EQ(summary({"total", "--scope", "module", "--routine", "Add"}), "3 hits found.");
    EXPECT_EQ(summary({"total", "--project", "P2"}), "1 hit found.");
    EXPECT_EQ(summary({"nowhere"}), "Search String Not Found");
}

TEST(FindCommand, JsonGivesEveryNodeWithKeyTextImageAndTag) {
    const TempFolder group = MakeGroup();
    const CliResult r =
        RunCliIn(group.Path(), {"--format", "json", "find", "All.vbg", "t1", "--scope", "group"});
    ASSERT_EQ(r.code, 0) << r.err;
    Json root = Json::parse(r.out);
    EXPECT_EQ(root["hits"].get<int>(), 1);
    EXPECT_FALSE(root["beyondLimit"].get<bool>());
    Json nodes = root["nodes"];
    ASSERT_EQ(nodes.size(), 2);
    EXPECT_EQ(nodes[0], (Json{{"key", ""}, {"text", "1 hit found."},
                                                {"image", "Info"}, {"tag", ""}}));
    Json project = nodes[1];
    EXPECT_EQ(project["key"].get<std::string>(), "keyP2");
    EXPECT_EQ(project["image"].get<std::string>(), "StandardExe");
    Json groupNode = project["children"][0];
    EXPECT_EQ(groupNode["key"].get<std::string>(), "keyGroupP2/1");
    EXPECT_EQ(groupNode["tag"].get<std::string>(), "Group");
    Json procedure = groupNode["children"][0]["children"]
                                      [0]
                                      ;
    EXPECT_EQ(procedure["key"].get<std::string>(), "keyP2/modC/T");
    Json hit = procedure["children"][0];
    EXPECT_EQ(hit, (Json{{"key", "keyP2/modC/2/3/2/5"}, {"text", "t1 = total"},
                                {"image", "Code"}, {"tag", "Code"}}));
}

TEST(FindCommand, SearchesAModuleWhoseProcedureLacksItsEndLine) {
    // Other commands refuse such a module; a search only reads its text.
    TempFolder folder;
    folder.Write("P.vbp", "Type=Exe\r\nModule=modA; modA.bas\r\n");
    folder.Write("modA.bas",
                 "Attribute VB_Name = \"modA\"\r\nSub Open()\r\n  needle = 1\r\n");
    const CliResult list = RunCliIn(folder.Path(), {"list", "P.vbp"});
    EXPECT_EQ(list.code, 3) << list.err << list.out;
    const CliResult r = RunCliIn(folder.Path(), {"find", "P.vbp", "needle"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("      Open\n        2:3: needle = 1\n"), std::string::npos) << r.out;
}

TEST(FindCommand, WrongUsage) {
    const TempFolder group = MakeGroup();
    EXPECT_EQ(RunCliIn(group.Path(), {"find", "All.vbg"}).code, 2) << "no text";
    EXPECT_EQ(RunCliIn(group.Path(), {"find", "All.vbg", ""}).code, 2);
    EXPECT_EQ(RunCliIn(group.Path(), {"find", "All.vbg", "x", "--scope", "module"}).code, 2);
    EXPECT_EQ(RunCliIn(group.Path(), {"find", "All.vbg", "x", "--scope", "world"}).code, 2);
    EXPECT_EQ(RunCliIn(group.Path(), {"find", "All.vbg", "x", "--module", "nope"}).code, 3);
}

}  // namespace
}  // namespace qv::test
