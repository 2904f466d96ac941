#include <gtest/gtest.h>


#include "cli/cli_test_support.h"

namespace qv::test {
namespace {

TEST(ListCommand, TextNamesEveryComponentAndRoutine) {
    const TempFolder copy = CopyOfFolder(FixtureFolder("Sample"));
    const CliResult r = RunCliIn(copy.Path(), {"list", "Sample.vbp"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "Sample (Standard EXE)  Sample.vbp\n"
              "  modUtil (Module)  modUtil.bas\n"
              "    Function Add\n"
              "    Sub Report\n"
              "  CCounter (Class)  CCounter.cls\n"
              "    Property Let Value\n"
              "    Property Get Value\n"
              "    Property Set Owner\n"
              "    Sub Increment\n"
              "  frmMain (Form)  frmMain.frm\n"
              "    Sub Form_Load\n"
              "    Sub cmdGo_Click\n"
              "    Sub mCounter_Changed\n");
    EXPECT_EQ(r.err, "");
}

TEST(ListCommand, JsonHasTheSharedShape) {
    const TempFolder copy = CopyOfFolder(FixtureFolder("Sample"));
    const CliResult r = RunCliIn(copy.Path(), {"--format", "json", "list", "Sample.vbp"});
    ASSERT_EQ(r.code, 0) << r.err;
    Json projects = ParseJson(r.out)["projects"];
    ASSERT_EQ(projects.size(), 1);
    Json project = projects[0];
    EXPECT_EQ(project["name"].get<std::string>(), "Sample");
    EXPECT_EQ(project["type"].get<int>(), 0);
    EXPECT_EQ(project["file"].get<std::string>(), "Sample.vbp");
    Json components = project["components"];
    ASSERT_EQ(components.size(), 3);
    Json counter = components[1];
    EXPECT_EQ(counter["name"].get<std::string>(), "CCounter");
    EXPECT_EQ(counter["type"].get<int>(), 2);
    EXPECT_EQ(counter["file"].get<std::string>(), "CCounter.cls");
    EXPECT_FALSE(counter["readOnly"].get<bool>());
    Json routines = counter["routines"];
    ASSERT_EQ(routines.size(), 4);
    EXPECT_EQ(routines[1]["name"].get<std::string>(), "Value");
    EXPECT_EQ(routines[1]["kind"].get<int>(), 3);
    EXPECT_EQ(routines[1]["routineType"].get<std::string>(), "Property");
    EXPECT_EQ(routines[3]["routineType"].get<std::string>(), "Sub");
    EXPECT_EQ(components[2]["type"].get<int>(), 5);
}

TEST(ListCommand, BundledExampleLists) {
    const TempFolder copy = CopyOfFolder(ExampleFolder());
    const CliResult text = RunCliIn(copy.Path(), {"list", "Example.vbp"});
    EXPECT_EQ(text.code, 0) << text.err;
    EXPECT_NE(text.out.find("CAccount (Class)"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Property Get Balance"), std::string::npos) << text.out;
    const CliResult json = RunCliIn(copy.Path(), {"--format", "json", "list", "Example.vbp"});
    ASSERT_EQ(json.code, 0) << json.err;
    Json projects = ParseJson(json.out)["projects"];
    ASSERT_EQ(projects.size(), 1);
    EXPECT_EQ(projects[0]["components"].size(), 3);
}

TEST(ListCommand, ReadOnlyModuleIsMarked) {
    const TempFolder copy = CopyOfFolder(FixtureFolder("Sample"));
    std::filesystem::permissions(
        copy.Path() / "modUtil.bas",
        std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    const CliResult r = RunCliIn(copy.Path(), {"list", "Sample.vbp", "--module", "MODUTIL"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("modUtil (Module)  modUtil.bas  [read-only]"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("CCounter"), std::string::npos) << r.out;
}

TEST(ListCommand, NoTargetIsWrongUsage) {
    const CliResult r = RunCli({"list"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("name a target"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace qv::test
