#pragma once
// Runs the command line in-process on temporary copies of VB6 projects.
//
//     qv::test::TempFolder copy = qv::test::CopyOfFolder(qv::test::ExampleFolder());
//     auto result = qv::test::RunCli({"list", copy.File("Example.vbp")});
//     EXPECT_EQ(result.code, 0);
//
// The settings are a temporary folder (on Windows a registry key) of the
// whole test program's own (support/settings_home.h),
// so no test reads or writes the user's settings.

#include <filesystem>
#include <string>
#include <vector>

#include "app/cli/json_text.h"
#include "host_files/temp_folder.h"
#include "settings/string_table.h"

namespace qv::test {

using Json = cli::JsonNode;

struct CliResult {
    int code = -1;
    std::string out;
    std::string err;
};

// qvaddin with these arguments (without the program name).
CliResult RunCli(const std::vector<std::string>& arguments);
// The same as built with other company defaults.
CliResult RunCliWith(settings::StringTable companyDefaults,
                     const std::vector<std::string>& arguments);
// The same with the working folder changed for the run (relative paths in
// arguments and output are then relative to it).
CliResult RunCliIn(const std::filesystem::path& folder, const std::vector<std::string>& arguments);

// The repository's root, the bundled example project's folder, and the
// fixtures of the command-line tests (tests/cli/fixtures/<name>).
std::filesystem::path SourceFolder();
std::filesystem::path ExampleFolder();
std::filesystem::path FixtureFolder(const std::string& name);

// A relative path as the command line shows it: with "\" between the
// folders on Windows, as is usual there.
std::string ShownPath(std::string path);

// A command's JSON output as an object; a parse error fails the test.
Json ParseJson(const std::string& text);

}  // namespace qv::test
