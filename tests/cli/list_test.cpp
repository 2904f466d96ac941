#include <gtest/gtest.h>


#include "cli/cli_test_support.h"

namespace qv::test {
namespace {

// The listings of the example, the fixtures and loose modules, as text and
// json, are in the stored runs of the list group; a read-only module is not.
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

}  // namespace
}  // namespace qv::test
