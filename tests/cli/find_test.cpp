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

// The tree, the json nodes and the plain options are in the stored runs of
// the find group; here, the scopes and selections they do not take.
TEST(FindCommand, OptionsNarrowTheHits) {
    const TempFolder group = MakeGroup();
    auto summary = [&](std::vector<std::string> args) {
        std::vector<std::string> all{"find", "All.vbg"};
        all.insert(all.end(), args.begin(), args.end());
        const CliResult r = RunCliIn(group.Path(), all);
        EXPECT_EQ(r.code, 0) << r.err;
        return r.out.substr(0, r.out.find('\n'));
    };
    EXPECT_EQ(summary({"T?TAL", "--pattern", "--match-case"}), "1 hit found.");
    EXPECT_EQ(summary({"total", "--scope", "module", "--module", "modb"}), "2 hits found.");
    EXPECT_EQ(summary({"total", "--scope", "module", "--routine", "Add"}), "3 hits found.");
    EXPECT_EQ(summary({"total", "--project", "P2"}), "1 hit found.");
}

TEST(FindCommand, WrongUsage) {
    const TempFolder group = MakeGroup();
    EXPECT_EQ(RunCliIn(group.Path(), {"find", "All.vbg"}).code, 2) << "no text";
    EXPECT_EQ(RunCliIn(group.Path(), {"find", "All.vbg", "x", "--module", "nope"}).code, 3);
}

}  // namespace
}  // namespace qv::test
