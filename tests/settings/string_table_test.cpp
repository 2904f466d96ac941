// The compiled-in company defaults, LoadRes, the hot-key entries, and the
// build tool that compiles the table.

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "config_home_fixture.h"
#include "platform/vb_error.h"
#include "settings/hot_key.h"
#include "settings/string_table.h"

namespace qv::settings {
namespace {

using StringTableTest = test::ConfigHomeTest;

TEST_F(StringTableTest, LoadResTrimsSpacesOnlyAndRaisesForAMissingEntry) {
    EXPECT_EQ(LoadRes(11), "' %d %u:");
    EXPECT_EQ(LoadRes(4), "");
    EXPECT_EQ(LoadRes(3), "\"%r\"");
    const StringTableEntry table[] = {{1, "\t1 "}};
    EXPECT_EQ(LoadRes(1, table), "\t1");
    EXPECT_EQ(LoadRes(1), "1") << "the compiled table is untouched";
    try {
        LoadRes(9, table);
        FAIL() << "no error for a missing entry";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 326);
        EXPECT_EQ(e.Source().rfind("AddIn.LoadRes(", 0), 0u);
    }
}

TEST_F(StringTableTest, HotKeyEntries) {
    const HotKey errorHandling = HotKeyFromTable(0);
    EXPECT_EQ(errorHandling.keyCode, 69);
    EXPECT_EQ(errorHandling.modifiers, 6);
    EXPECT_EQ(errorHandling.caption, " (Ctrl+Shift+E)");
    EXPECT_EQ(HotKeyFromTable(5).keys, "Ctrl+Shift+F");

    const HotKey lower = ParseHotKey("e,sac");
    EXPECT_EQ(lower.keyCode, 69);
    EXPECT_EQ(lower.modifiers, 7);
    EXPECT_EQ(lower.keys, "Ctrl+Alt+Shift+E");

    EXPECT_FALSE(ParseHotKey(",SC").Defined());
    EXPECT_FALSE(ParseHotKey("  ,SC").Defined());
    EXPECT_FALSE(ParseHotKey("").Defined());
    EXPECT_EQ(ParseHotKey(",SC").caption, "");

    for (const std::string_view bare : {"F", "F,"}) {
        const HotKey spec = ParseHotKey(bare);
        EXPECT_EQ(spec.keyCode, 70);
        EXPECT_EQ(spec.modifiers, 0);
        EXPECT_EQ(spec.caption, " (F)");
    }
}

#ifndef _WIN32
// Linux only: the build tool runs where the build runs, and this test starts
// it through a POSIX shell (quoting, 2>, the exit status of wait).
// The build tool stops the build with the file and line of a bad entry.
TEST(StringTableGenerator, RefusesMalformedTables) {
    std::string dir = (std::filesystem::temp_directory_path() / "qv-table-XXXXXX").string();
    ASSERT_NE(::mkdtemp(dir.data()), nullptr);
    const auto run = [&](const std::string& content) {
        std::ofstream(dir + "/defaults.txt", std::ios::binary | std::ios::trunc) << content;
        const std::string command = "'" + std::string(QV_STRING_TABLE_GEN) + "' '" + dir +
                                    "/defaults.txt' '" + dir + "/out.cpp' 2>'" + dir +
                                    "/errors.txt'";
        const int status = std::system(command.c_str());
        std::ifstream errors(dir + "/errors.txt", std::ios::binary | std::ios::ate);
        std::string message(static_cast<size_t>(errors.tellg()), '\0');
        errors.seekg(0);
        errors.read(message.data(), static_cast<std::streamsize>(message.size()));
        return std::pair{WEXITSTATUS(status), message};
    };
    const auto replaced = [](std::string text, const std::string& from, const std::string& to) {
        return text.replace(text.find(from), from.size(), to);
    };
    std::string complete;
    for (int id = 1; id <= 20; ++id) complete += std::to_string(id) + " \"1\"\n";
    EXPECT_EQ(run(complete).first, 0);

    auto [code, message] = run("# comment\n1 \"1\"\n9 1\n");
    EXPECT_NE(code, 0);
    EXPECT_NE(message.find("defaults.txt:3:"), std::string::npos) << message;

    std::tie(code, message) = run(complete + "5 \"again\"\n");
    EXPECT_NE(message.find("entry 5 is listed twice"), std::string::npos) << message;

    std::tie(code, message) = run(replaced(complete, "12 \"1\"", "12 \"x\""));
    EXPECT_NE(message.find("entry 12 must be a whole number"), std::string::npos) << message;

    std::tie(code, message) = run(replaced(complete, "15 \"1\"\n", ""));
    EXPECT_NE(message.find("entry 15 is missing"), std::string::npos) << message;
    std::filesystem::remove_all(dir);
}
#endif

}  // namespace
}  // namespace qv::settings
