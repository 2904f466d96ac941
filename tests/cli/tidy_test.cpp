// qvaddin tidy on code nested deeper than any real code: refused with the
// routine named, the module left as it was and the rest tidied. (What tidy
// and comment write and say is in the golden run; this refusal's text names
// where in the code it arose, which the golden run would not keep stable.)

#include <gtest/gtest.h>

#include "cli/cli_test_support.h"
#include "host_files/temp_folder.h"

namespace qv::test {
namespace {

TEST(TidyCommand, CodeNestedBeyondAnyRealCodeIsRefusedAndTheRestTidied) {
    // Ten thousand nested Ifs took 400 MB of tabs; it ended as an internal error.
    const TempFolder folder = CopyOfFolder(FixtureFolder("Tidy"));
    const std::string deep = folder.Read("modDeep.bas");
    const CliResult r = RunCliIn(folder.Path(), {"tidy", "Deep.vbp"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("modDeep.bas: routine Deep: the code is nested more than 256 levels deep"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(folder.Read("modDeep.bas"), deep);
    EXPECT_NE(folder.Read("modA.bas"), ReadFile(FixtureFolder("Tidy") / "modA.bas"))
        << "the rest is tidied";
}

}  // namespace
}  // namespace qv::test
