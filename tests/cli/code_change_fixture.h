#pragma once
// What the tests of the commands that change routines (add, number, remove,
// replace, unnumber) share: a private settings folder with the templates a
// first run stores, a temporary copy of a project, and a small project of
// every module kind with the shapes that matter to handlers.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_test_support.h"
#include "settings/config_home_fixture.h"
#include "shell/process_start.h"

namespace qv::test {

inline std::string CrlfLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

inline void MakeFileReadOnly(const std::filesystem::path& file) {
    std::filesystem::permissions(
        file, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
}

// A standard module, an MTS class with a terminate routine and properties,
// and a form with a control and a WithEvents handler (fixtures/Shapes).
inline TempFolder ShapesProject() { return CopyOfFolder(FixtureFolder("Shapes")); }

class CodeChangeTest : public ConfigHomeTest {
protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        shell::CommandLineStart();
    }
    CliResult Run(const TempFolder& folder, const std::vector<std::string>& arguments) {
        return RunCliIn(folder.Path(), arguments);
    }
    // Every module file of a folder, by name.
    static std::vector<std::pair<std::string, std::string>> Files(const TempFolder& folder) {
        std::vector<std::pair<std::string, std::string>> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            files.emplace_back(entry.path().filename().string(), test::ReadFile(entry.path()));
        }
        std::sort(files.begin(), files.end());
        return files;
    }
};

}  // namespace qv::test
