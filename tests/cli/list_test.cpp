#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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
    const QJsonArray projects = ParseJson(r.out)["projects"].toArray();
    ASSERT_EQ(projects.size(), 1);
    const QJsonObject project = projects[0].toObject();
    EXPECT_EQ(project["name"].toString(), "Sample");
    EXPECT_EQ(project["type"].toInt(), 0);
    EXPECT_EQ(project["file"].toString(), "Sample.vbp");
    const QJsonArray components = project["components"].toArray();
    ASSERT_EQ(components.size(), 3);
    const QJsonObject counter = components[1].toObject();
    EXPECT_EQ(counter["name"].toString(), "CCounter");
    EXPECT_EQ(counter["type"].toInt(), 2);
    EXPECT_EQ(counter["file"].toString(), "CCounter.cls");
    EXPECT_FALSE(counter["readOnly"].toBool());
    const QJsonArray routines = counter["routines"].toArray();
    ASSERT_EQ(routines.size(), 4);
    EXPECT_EQ(routines[1].toObject()["name"].toString(), "Value");
    EXPECT_EQ(routines[1].toObject()["kind"].toInt(), 3);
    EXPECT_EQ(routines[1].toObject()["routineType"].toString(), "Property");
    EXPECT_EQ(routines[3].toObject()["routineType"].toString(), "Sub");
    EXPECT_EQ(components[2].toObject()["type"].toInt(), 5);
}

TEST(ListCommand, BundledExampleLists) {
    const TempFolder copy = CopyOfFolder(ExampleFolder());
    const CliResult text = RunCliIn(copy.Path(), {"list", "Example.vbp"});
    EXPECT_EQ(text.code, 0) << text.err;
    EXPECT_NE(text.out.find("CAccount (Class)"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Property Get Balance"), std::string::npos) << text.out;
    const CliResult json = RunCliIn(copy.Path(), {"--format", "json", "list", "Example.vbp"});
    ASSERT_EQ(json.code, 0) << json.err;
    const QJsonArray projects = ParseJson(json.out)["projects"].toArray();
    ASSERT_EQ(projects.size(), 1);
    EXPECT_EQ(projects[0].toObject()["components"].toArray().size(), 3);
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
