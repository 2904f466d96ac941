#include <gtest/gtest.h>


#include "cli/cli_test_support.h"

namespace qv::test {
namespace {

// The tables themselves (text, csv, json, group, one module) are in the
// stored runs of the stats group; here, what stats refuses.
TEST(StatsCommand, WrongUsageAndUnknownModules) {
    const TempFolder copy = CopyOfFolder(FixtureFolder("Sample"));
    EXPECT_EQ(RunCliIn(copy.Path(), {"stats", "Sample.vbp", "--group", "--module", "modUtil"}).code,
              2);
    EXPECT_EQ(RunCliIn(copy.Path(), {"stats", "Sample.vbp", "--routine", "Add"}).code, 2);
    EXPECT_EQ(RunCliIn(copy.Path(), {"stats"}).code, 2);
    const CliResult unknown = RunCliIn(copy.Path(), {"stats", "Sample.vbp", "--module", "Nope"});
    EXPECT_EQ(unknown.code, 3);
    EXPECT_NE(unknown.err.find("Nope"), std::string::npos) << unknown.err;
    EXPECT_EQ(RunCliIn(copy.Path(), {"stats", "Missing.vbp"}).code, 3);
}

}  // namespace
}  // namespace qv::test
