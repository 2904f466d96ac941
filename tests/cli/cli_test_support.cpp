#include "cli/cli_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include <gtest/gtest.h>

#include "app/cli/cli_runner.h"
#include "support/settings_home.h"

namespace qv::test {

namespace fs = std::filesystem;

namespace {

// Settings of the whole test program live in a folder (on Windows a
// registry key) of their own.
const SettingsHome settingsHome;

}  // namespace

CliResult RunCli(const std::vector<std::string>& arguments) {
    return RunCliWith(settings::CompiledStringTable(), arguments);
}

CliResult RunCliWith(settings::StringTable companyDefaults,
                     const std::vector<std::string>& arguments) {
    std::vector<std::string> list{"qvaddin"};
    list.insert(list.end(), arguments.begin(), arguments.end());
    std::ostringstream out, err;
    CliResult result;
    result.code = cli::RunCli(list, out, err, companyDefaults);
    result.out = out.str();
    result.err = err.str();
    return result;
}

CliResult RunCliIn(const fs::path& folder, const std::vector<std::string>& arguments) {
    const fs::path before = fs::current_path();
    fs::current_path(folder);
    CliResult result = RunCli(arguments);
    fs::current_path(before);
    return result;
}

fs::path SourceFolder() {
    return QV_SOURCE_DIR;
}
fs::path ExampleFolder() {
    return SourceFolder() / "examples";
}
fs::path FixtureFolder(const std::string& name) {
    return SourceFolder() / "tests" / "cli" / "fixtures" / name;
}

std::string ShownPath(std::string path) {
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

Json ParseJson(const std::string& text) {
    try {
        return Json::parse(text);
    } catch (const Json::parse_error& error) {
        ADD_FAILURE() << error.what() << "\n" << text;
        return Json::object();
    }
}

}  // namespace qv::test
