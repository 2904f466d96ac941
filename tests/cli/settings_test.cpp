// qvaddin settings and qvaddin register, run in-process against a temporary
// configuration folder of their own: the values whose text the golden run
// would not show (huge, or with control characters).

#include <gtest/gtest.h>

#include "cli/cli_test_support.h"
#include "settings/config_home_fixture.h"
#include "shell/process_start.h"

namespace qv::test {
namespace {

class SettingsCommandTest : public ConfigHomeTest {
protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        shell::CommandLineStart();  // as the tool's start does
    }
    std::string Stored() const { return ReadFile(SystemFile()).value_or(""); }
};

// Texts are checked against their kind too: window flags are flags, and no
// control character reaches a template, the omit list or the stamp.
TEST_F(SettingsCommandTest, TextFieldsRefuseValuesOfAnotherKind) {
    const std::string before = Stored();
    const std::vector<std::pair<std::string, std::string>> refused{
        {"forms", "zzz"},
        {"forms", std::string(100000, '1')},
        {"add5", "' " + std::string(70000, 'x')},
        {"add5", "Beep\x1b[2J"},
        {"add3", "Debug.Assert False\nResume Exit_Routine"},  // LF alone
        {"omit", "ErrorSave\r\nError\x07Restore"},
        {"insert", "' stamp \x1b]0;title\x07"},
    };
    for (const auto& [key, value] : refused) {
        const CliResult r = RunCli({"settings", "set", key, value});
        EXPECT_EQ(r.code, 2) << key << ": " << r.err;
        EXPECT_NE(r.err.find(key), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("nothing was stored"), std::string::npos) << r.err;
    }
    // A value file is read only so far: a huge one is refused unread.
    WriteFile(Home() + "/huge.txt", std::string(2 << 20, 'x'));
    const CliResult huge = RunCli({"settings", "set", "add3", "--from-file", Home() + "/huge.txt"});
    EXPECT_EQ(huge.code, 3);
    EXPECT_NE(huge.err.find("holds more than 1 MB"), std::string::npos) << huge.err;
    EXPECT_EQ(Stored(), before);
    for (const auto& [key, value] : {std::pair{"forms", "1111"}, {"add5", "Beep\tBeep"}}) {
        EXPECT_EQ(RunCli({"settings", "set", key, value}).code, 0) << key;
    }
}

// A company that fixes its defaults (entry 1 not "1"): what the user stores
// for menu, select, insert and comment is kept but not used, and every view
// of the settings says so.
TEST_F(SettingsCommandTest, FixedCompanyDefaultsSayThatStoredValuesAreIgnored) {
    std::vector<settings::StringTableEntry> fixed(settings::CompiledStringTable().begin(),
                                                  settings::CompiledStringTable().end());
    fixed.front().text = "0";
    ASSERT_EQ(fixed.front().id, 1);
    const CliResult set = RunCliWith(fixed, {"settings", "set", "insert", "' mine"});
    EXPECT_EQ(set.code, 0) << set.err;
    EXPECT_NE(set.err.find("the stored value is not used"), std::string::npos) << set.err;
    EXPECT_NE(Stored().find("' mine"), std::string::npos);
    const CliResult shown = RunCliWith(fixed, {"settings"});
    EXPECT_NE(shown.out.find("(string-table entry 1): stored values are ignored."), std::string::npos)
        << shown.out;
    const Json json = ParseJson(RunCliWith(fixed, {"--format", "json", "settings", "get", "insert"}).out);
    EXPECT_EQ(json["source"], "company default");
    EXPECT_NE(json["value"], "' mine");
    // Built as shipped, the stored value is used.
    EXPECT_EQ(ParseJson(RunCli({"--format", "json", "settings", "get", "insert"}).out)["value"], "' mine");
}

// Values too long for a module line, or holding a NUL, are refused. (The
// checks of labels, numbers and code pages, of what is stored and of the
// settings file, and register, are in the golden run.)
TEST_F(SettingsCommandTest, ValuesThatWouldMakeCodeThatIsNotVbAreRefused) {
    const std::string before = Stored();
    const std::string longLine = "' " + std::string(65536, 'x');
    const CliResult tooLong = RunCli({"settings", "set", "add4", longLine});
    EXPECT_EQ(tooLong.code, 2);
    EXPECT_NE(tooLong.err.find("more than a module line may be (65,536 bytes)"), std::string::npos)
        << tooLong.err;
    WriteFile(Home() + "/nul.txt", std::string("Debug.Print 1\0\n", 15));
    EXPECT_EQ(RunCli({"settings", "set", "add4", "--from-file", Home() + "/nul.txt"}).code, 2);
    EXPECT_EQ(Stored(), before);
}

TEST_F(SettingsCommandTest, RegisterSaysWhereTheAddInListCannotBeCreated) {
    WriteFile(Home() + "/blocked", "x");
    setenv("XDG_CONFIG_HOME", (Home() + "/blocked").c_str(), 1);
    const CliResult blocked = RunCli({"register"});
    EXPECT_EQ(blocked.code, 3);
    EXPECT_NE(blocked.err.find("cannot be created"), std::string::npos) << blocked.err;
}

}  // namespace
}  // namespace qv::test
