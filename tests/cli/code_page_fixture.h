#pragma once
// The projects of fixtures/CodePages, kept as UTF-8 so that they can be
// read, written into a temporary folder in the code page of their authors,
// as VB6 wrote them (file names stay UTF-8, as on a Linux disk):
//
//   Western   1252 (Western European)
//   Japanese  932 (Shift-JIS): 表, ソ and 構 end in the byte of "\", ポ in that of "|"
//   Chinese   936 (GBK): 開 ends in the byte of "_", 億 in that of "|"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/cli_test_support.h"
#include "host_files/temp_folder.h"
#include "platform/code_page.h"

namespace qv::test {

struct CodePageProject {
    std::string fixture;  // the folder in fixtures/CodePages
    int codePage;
    std::string file;  // the project file

    text::CodePage Page() const { return *text::CodePage::Named(std::to_string(codePage)); }
};

inline const CodePageProject kWestern{"Western", 1252, "Ventas.vbp"};
inline const CodePageProject kJapanese{"Japanese", 932, "日本.vbp"};
inline const CodePageProject kChinese{"Chinese", 936, "中文.vbp"};

inline TempFolder CodePageCopy(const CodePageProject& project) {
    namespace fs = std::filesystem;
    TempFolder folder;
    const fs::path source = FixtureFolder("CodePages") / project.fixture;
    for (const auto& entry : fs::recursive_directory_iterator(source)) {
        if (!entry.is_regular_file()) continue;
        const auto bytes = text::FromUtf8(test::ReadFile(entry.path()), project.Page());
        EXPECT_TRUE(bytes) << entry.path() << " has a character code page "
                           << project.codePage << " cannot write";
        folder.Write(fs::relative(entry.path(), source).string(), bytes.value_or(""));
    }
    return folder;
}

}  // namespace qv::test
