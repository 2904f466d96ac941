// Shapes of real VB6 code bases (fixtures/RealShapes) where the command line
// must hold beyond the texts of the stored runs: a routine the #If lines do
// not nest in is refused when named alone, the routines given handlers pass
// the gate afterwards, modules that cannot be modelled are reported and left
// alone, and projects of one name are told apart.


#include "cli/shape_fixture.h"

namespace qv::test {
namespace {

using namespace shapes;

class RealShapes : public ShapeFolderTest {
  protected:
    RealShapes() : ShapeFolderTest("RealShapes") {}
};

// Named alone, a routine whose #If lines open above it is refused by every
// command that changes code: the run exits 1 and the module stays.
TEST_F(RealShapes, ARoutineTheIfLinesDoNotNestInIsRefusedAlone) {
    for (const char* command : {"add", "number", "unnumber", "remove", "replace"}) {
        const CliResult one = Run({command, "RealShapes.vbp", "--routine", "Run"});
        EXPECT_EQ(one.code, 1) << command << ": " << one.out;
        EXPECT_NE(one.out.find("Run: the #If ... #End If lines around Run do not nest inside it"),
                  std::string::npos)
            << command << ": " << one.out;
        ExpectOriginal("modSpan");
    }
}

// After add, the whole body of a routine behind alternative declarations is
// read. (That the terminate blocks pass the gate is a check test.)
TEST_F(RealShapes, AfterAddTheWholeBodyIsJudged) {
    ASSERT_EQ(Run({"add", "RealShapes.vbp"}).code, 0);
    const CliResult judged = Run({"check", "RealShapes.vbp", "--module", "modCond"});
    EXPECT_EQ(judged.code, 0) << judged.out;
    EXPECT_NE(judged.out.find("    CallSlot            OK          OK\n"), std::string::npos)
        << "the whole body is read: " << judged.out;
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
        EXPECT_NE(r.err.find("a project named RealShapes is already loaded; this one (" +
                             ShownPath("copy/RealShapes.vbp") + ") is called RealShapes_2 here"),
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
