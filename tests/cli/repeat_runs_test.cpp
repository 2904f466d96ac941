// The modules of a project are read, parsed and indexed side by side on the
// machine's cores; what a read-only command prints must not depend on which
// thread got there first. Each command runs ten times on projects of many
// modules (one of them broken, so that the errors' order counts too) and
// prints the same bytes every time.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "cli/cli_test_support.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 10;

// A generated group of two projects with 90 modules between them, one
// module of the first project left without its End Sub.
class RepeatRuns : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder();
        const std::string command = std::string(QV_GENERATOR) + " --out " +
                                    folder_->Path().string() +
                                    " --lines 18000 --lines-per-module 200 --projects 2 --seed 5"
                                    " >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        BreakOneModule();
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }

    // The first module whose last line closes a Sub loses that line.
    static void BreakOneModule() {
        std::map<std::string, fs::path> modules;  // by name, so the choice is the same each time
        for (const auto& entry : fs::directory_iterator(folder_->Path())) {
            if (entry.path().extension() == ".bas") {
                modules[entry.path().filename().string()] = entry.path();
            }
        }
        for (const auto& [name, path] : modules) {
            std::string bytes = ReadFile(path);
            const size_t last = bytes.rfind("End Sub\r\n");
            if (last == std::string::npos) continue;
            bytes.erase(last, 9);
            folder_->Write(name, bytes);
            return;
        }
        FAIL() << "no module closes a Sub";
    }

    // Runs the command ten times; every run prints what the first printed.
    static void ExpectSameEachTime(const std::vector<std::string>& arguments) {
        std::string shown;
        for (const std::string& a : arguments) shown += a + " ";
        const CliResult first = RunCliIn(folder_->Path(), arguments);
        EXPECT_NE(first.code, 4) << shown << first.err;
        EXPECT_FALSE(first.out.empty()) << shown;
        // The broken module is reported by every command but find, which
        // reads text only.
        if (std::find(arguments.begin(), arguments.end(), "find") == arguments.end()) {
            EXPECT_NE(first.err.find("has no End"), std::string::npos) << shown << first.err;
        }
        for (int run = 1; run < kRuns; ++run) {
            const CliResult again = RunCliIn(folder_->Path(), arguments);
            ASSERT_EQ(again.code, first.code) << shown << "run " << run;
            // Compared whole but not printed: the outputs are long.
            ASSERT_TRUE(again.out == first.out) << shown << "run " << run << ": the output differs";
            ASSERT_TRUE(again.err == first.err) << shown << "run " << run << ": the messages differ";
        }
    }

    static std::vector<std::string> ModuleFiles() {
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(folder_->Path())) {
            const std::string ext = entry.path().extension().string();
            if (ext == ".bas" || ext == ".cls" || ext == ".frm") {
                files.push_back(entry.path().string());
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    static TempFolder* folder_;
};

TempFolder* RepeatRuns::folder_ = nullptr;

TEST_F(RepeatRuns, EveryReadOnlyCommandPrintsTheSameEachTime) {
    const std::vector<std::vector<std::string>> commands = {
        {"list", "Bench.vbg"},
        {"check", "Bench.vbg"},
        {"check", "Bench.vbg", "--routines"},
        {"stats", "Bench.vbg"},
        {"stats", "Bench.vbg", "--group"},
        {"find", "Bench.vbg", "result", "--whole-word", "--scope", "group"},
        {"find", "Bench.vbg", "mCount"},
    };
    for (const char* format : {"text", "json"}) {
        for (std::vector<std::string> command : commands) {
            command.insert(command.begin(), {"--format", format});
            ExpectSameEachTime(command);
        }
    }
    // The SARIF log, whose results are written on a thread of their own.
    ExpectSameEachTime({"--format", "sarif", "check", "Bench.vbg"});
}

// Module files named on the command line are read side by side too.
TEST_F(RepeatRuns, ModuleFilesGivenOneByOnePrintTheSameEachTime) {
    const std::vector<std::string> files = ModuleFiles();
    ASSERT_GT(files.size(), 40u);
    for (const char* command : {"list", "stats", "check"}) {
        std::vector<std::string> arguments{"--format", "json", command};
        arguments.insert(arguments.end(), files.begin(), files.end());
        ExpectSameEachTime(arguments);
    }
    std::vector<std::string> find{"find"};
    find.insert(find.end(), files.begin(), files.end());
    find.push_back("Dim");
    ExpectSameEachTime(find);
}

}  // namespace
}  // namespace qv::test
