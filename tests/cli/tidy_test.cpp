// qvaddin tidy and qvaddin comment on VB6 files.

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_test_support.h"
#include "settings/settings_record.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

std::string Crlf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    return text;
}

const std::string kProject = "Type=Exe\r\nModule=modA; modA.bas\r\nModule=modB; modB.bas\r\n"
                             "Class=CTidy; CTidy.cls\r\nName=\"Tidy\"\r\n";

const std::string kModA = Crlf({
    "Attribute VB_Name = \"modA\"",
    "Option Explicit",
    "  Public Total As Long",
    "Attribute Total.VB_VarDescription = \"The sum.\"",
    "",
    "Public Function Add(ByVal a As Long, _",
    "  ByVal b As Long) As Long",
    "Attribute Add.VB_Description = \"Adds.\"",
    "10 If a > 0 Then",
    "20 Add = a + b",
    "End If",
    "End Function",
    "",
    "",
    "Public Sub Report()",
    "Debug.Print Total",
    "End Sub",
});

const std::string kModATidy = Crlf({
    "Attribute VB_Name = \"modA\"",
    "Option Explicit",
    "Public Total As Long",
    "Attribute Total.VB_VarDescription = \"The sum.\"",
    "",
    "Public Function Add(ByVal a As Long, _",
    "                    ByVal b As Long) As Long",
    "Attribute Add.VB_Description = \"Adds.\"",
    "    If a > 0 Then",
    "        Add = a + b",
    "    End If",
    "End Function",
    "",
    "Public Sub Report()",
    "    Debug.Print Total",
    "End Sub",
});

// Already tidy, with LF line breaks and no final one.
const std::string kModB = "Attribute VB_Name = \"modB\"\nSub Go()\n    x = 1\nEnd Sub";

const std::string kClass = Crlf({
    "VERSION 1.0 CLASS",
    "BEGIN",
    "  MultiUse = -1  'True",
    "END",
    "Attribute VB_Name = \"CTidy\"",
    "Attribute VB_Exposed = False",
    "Private Sub Class_Initialize()",
    "x = 1",
    "End Sub",
});

class TidyCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_.Write("Tidy.vbp", kProject);
        folder_.Write("modA.bas", kModA);
        folder_.Write("modB.bas", kModB);
        folder_.Write("CTidy.cls", kClass);
    }

    CliResult Run(std::vector<std::string> arguments) {
        return RunCliIn(folder_.Path(), arguments);
    }
    std::string Read(const std::string& name) const { return folder_.Read(name); }
    void MakeReadOnly(const std::string& name) const {
        fs::permissions(folder_.Path() / name, fs::perms::owner_read | fs::perms::group_read |
                                                   fs::perms::others_read);
    }

    TempFolder folder_;
};

TEST_F(TidyCommandTest, EveryModuleOfTheProject) {
    const auto written = fs::last_write_time(folder_.Path() / "modB.bas");
    const CliResult r = Run({"tidy", "Tidy.vbp"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Read("modA.bas"), kModATidy) << "attribute lines stay in place";
    EXPECT_EQ(Read("modB.bas"), kModB);
    EXPECT_EQ(fs::last_write_time(folder_.Path() / "modB.bas"), written)
        << "a tidy module is not written";
    EXPECT_NE(Read("CTidy.cls").find("Private Sub Class_Initialize()\r\n    x = 1\r\nEnd Sub"),
              std::string::npos);
    EXPECT_EQ(r.out, "tidied modA.bas\ntidied CTidy.cls\n");

    const CliResult again = Run({"tidy", "Tidy.vbp"});
    ASSERT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(again.out, "Nothing to tidy: the code is tidy already.\n");
}

TEST_F(TidyCommandTest, OneRoutineLeavesTheRestAlone) {
    const CliResult r = Run({"tidy", "Tidy.vbp", "--routine", "Report"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string text = Read("modA.bas");
    EXPECT_NE(text.find("Public Sub Report()\r\n    Debug.Print Total\r\n"), std::string::npos);
    EXPECT_NE(text.find("  Public Total As Long"), std::string::npos);
    EXPECT_NE(text.find("\r\n  ByVal b As Long) As Long"), std::string::npos)
        << "the code window's tidy leaves headers alone";
    EXPECT_NE(text.find("10 If a > 0 Then"), std::string::npos);
}

TEST_F(TidyCommandTest, ALineInTheDeclarationsTidiesThem) {
    const CliResult r = Run({"tidy", "Tidy.vbp", "--module", "modA", "--line", "2"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string text = Read("modA.bas");
    EXPECT_NE(text.find("\r\nPublic Total As Long\r\n"
                        "Attribute Total.VB_VarDescription = \"The sum.\""),
              std::string::npos);
    EXPECT_NE(text.find("10 If a > 0 Then"), std::string::npos) << "routines stay as they were";
}

TEST_F(TidyCommandTest, ReadOnlyModules) {
    MakeReadOnly("modA.bas");
    const CliResult refused = Run({"tidy", "Tidy.vbp", "--module", "modA"});
    EXPECT_EQ(refused.code, 3);
    EXPECT_NE(refused.err.find("read-only"), std::string::npos) << refused.err;

    const CliResult project = Run({"tidy", "Tidy.vbp"});
    ASSERT_EQ(project.code, 0) << project.err;
    EXPECT_EQ(Read("modA.bas"), kModA);
    EXPECT_NE(project.err.find("modA.bas is read-only and was skipped"), std::string::npos);
    EXPECT_EQ(project.out, "tidied CTidy.cls\n");
}

TEST_F(TidyCommandTest, JsonListsTheChangedFiles) {
    const CliResult r = Run({"--format", "json", "--dry-run", "tidy", "Tidy.vbp"});
    ASSERT_EQ(r.code, 0) << r.err;
    Json o = Json::parse(r.out);
    EXPECT_TRUE(o["dryRun"].get<bool>());
    EXPECT_EQ(o["changed"].size(), 2);
    EXPECT_NE(o["diff"].get<std::string>().find("+Public Total As Long"), std::string::npos);
}

TEST_F(TidyCommandTest, CodeNestedBeyondAnyRealCodeIsRefusedAndTheRestTidied) {
    // Ten thousand nested Ifs took 400 MB of tabs; it ended as an internal error.
    std::vector<std::string> deep = {"Attribute VB_Name = \"modDeep\"", "Sub Deep()"};
    for (int i = 0; i < 300; ++i) deep.push_back("If a Then");
    for (int i = 0; i < 300; ++i) deep.push_back("End If");
    deep.push_back("End Sub");
    folder_.Write("modDeep.bas", Crlf(deep));
    folder_.Write("Deep.vbp", "Type=Exe\r\nModule=modA; modA.bas\r\nModule=modDeep; modDeep.bas\r\n");
    CliResult r = Run({"tidy", "Deep.vbp"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("modDeep.bas: routine Deep: the code is nested more than 256 levels deep"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(Read("modDeep.bas"), Crlf(deep));
    EXPECT_EQ(Read("modA.bas"), kModATidy);
    r = Run({"tidy", "Deep.vbp", "--routine", "Deep"});
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(Read("modDeep.bas"), Crlf(deep));
}

// The stamp, a line past the end, no line and a read-only module are in
// the stored runs of the comment group; a line without its module is not.
TEST_F(TidyCommandTest, CommentNeedsTheModule) {
    EXPECT_EQ(Run({"comment", "Tidy.vbp", "--line", "3"}).code, 2);
    EXPECT_EQ(Read("modA.bas"), kModA);
}

}  // namespace
}  // namespace qv::test
