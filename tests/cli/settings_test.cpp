// qvaddin settings and qvaddin register, run in-process against a temporary
// configuration folder of their own.

#include <sys/stat.h>

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
    static Json JsonOf(const CliResult& r) { return Json::parse(r.out); }
    std::string Stored() const { return ReadFile(SystemFile()).value_or(""); }
};

// Every field with its source, file and hot keys, as text and json, is in
// the stored runs settings-all and settings-json; here, the two sources a
// first run does not show: a stored value over a company default, and a
// template that was taken out of the file.
TEST_F(SettingsCommandTest, ShowsAStoredOverrideAndAnEmptyTemplate) {
    ASSERT_EQ(RunCli({"settings", "set", "menu", "0"}).code, 0);
    const CliResult text = RunCli({"settings"});
    ASSERT_EQ(text.code, 0) << text.err;
    EXPECT_NE(text.out.find("menu     stored                       0\n"), std::string::npos)
        << text.out;

    ASSERT_TRUE(settings::SystemStore().DeleteSetting("ErrorHandling", "add0"));
    Json fields = JsonOf(RunCli({"--format", "json", "settings"}))["fields"];
    EXPECT_EQ(fields[0]["value"].get<int>(), 0);
    EXPECT_EQ(fields[0]["source"].get<std::string>(), "stored");
    EXPECT_EQ(fields[7]["key"].get<std::string>(), "add0");
    EXPECT_EQ(fields[7]["source"].get<std::string>(), "empty");
}

TEST_F(SettingsCommandTest, SetAndGetRoundTripMultiLineTemplates) {
    WriteFile(Home() + "/add3.txt", "Debug.Assert False\nResume Exit_Routine\n");
    const CliResult set = RunCli({"settings", "set", "ADD3", "--from-file", Home() + "/add3.txt"});
    ASSERT_EQ(set.code, 0) << set.err;
    EXPECT_NE(set.out.find("Stored add3 (2 lines)"), std::string::npos);
    EXPECT_EQ(settings::SystemStore().GetSetting("ErrorHandling", "add3", ""),
              "Debug.Assert False\r\nResume Exit_Routine");
    EXPECT_EQ(RunCli({"settings", "get", "add3"}).out, "Debug.Assert False\nResume Exit_Routine\n");
    EXPECT_EQ(JsonOf(RunCli({"--format", "json", "settings", "get", "add3"}))["value"].get<std::string>(),
              "Debug.Assert False\r\nResume Exit_Routine");

    const CliResult dry = RunCli({"--dry-run", "settings", "set", "label1", "Done"});
    EXPECT_EQ(dry.code, 0);
    EXPECT_EQ(RunCli({"settings", "get", "label1"}).out, "Exit_Routine\n");
}

TEST_F(SettingsCommandTest, IntegerFieldsRefuseTextAndWriteNothing) {
    const std::string before = Stored();
    for (const auto& [key, value] :
         {std::pair{"header", "abc"}, {"ten", "40000"}, {"comment", "4"}, {"menu", "1.5"},
          {"header", "99"}, {"menu", "7"}, {"select", "-1"}, {"ten", "-1"}, {"modulemb", "0"},
          {"modulemb", "4096"}}) {
        const CliResult r = RunCli({"settings", "set", key, "--", value});
        EXPECT_EQ(r.code, 2) << key << " " << value;
        EXPECT_NE(r.err.find("is not a valid " + std::string(key)), std::string::npos) << r.err;
    }
    EXPECT_EQ(Stored(), before);
    const CliResult plain = RunCli({"settings", "set", "ten", " +1 "});
    EXPECT_EQ(plain.code, 0) << plain.err;
    EXPECT_EQ(settings::SystemStore().GetSetting("ErrorHandling", "ten", ""), "1");
    EXPECT_EQ(RunCli({"settings", "set", "modulemb", "128"}).code, 0);
    EXPECT_EQ(RunCli({"settings", "get", "modulemb"}).out, "128\n");
    EXPECT_EQ(RunCli({"settings", "set", "nosuch", "1"}).code, 2);
    EXPECT_EQ(RunCli({"settings", "set", "ten"}).code, 2);
}

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

TEST_F(SettingsCommandTest, StoredIntegerThatIsNotANumberNamesKeyAndFile) {
    ASSERT_TRUE(settings::SystemStore().SaveSetting("ErrorHandling", "ten", "lots"));
    const std::string before = Stored();
    for (const auto& args : {std::vector<std::string>{"settings"}, {"settings", "get", "add3"}}) {
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.code, 3);
        EXPECT_NE(r.err.find("\"ten\""), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(SystemFile()), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("qvaddin settings set ten 0"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Stored(), before);
    ASSERT_EQ(RunCli({"settings", "set", "ten", "0"}).code, 0);
    EXPECT_EQ(RunCli({"settings"}).code, 0);
}

// The code page is stored by its number, whatever name it was given by; a
// stored one that names none stops the commands that read VB files (not
// the settings command that mends it), and --code-page replaces it.
TEST_F(SettingsCommandTest, CodePageIsStoredCheckedAndReplacedForARun) {
    EXPECT_EQ(RunCli({"settings", "get", "codePage"}).out, "1252\n");
    const CliResult set = RunCli({"settings", "set", "codepage", "Shift_JIS"});
    ASSERT_EQ(set.code, 0) << set.err;
    EXPECT_EQ(set.out,
              "Stored codePage = 932 (Japanese, Shift-JIS) in " + SystemFile() + "\n");
    EXPECT_EQ(RunCli({"settings", "get", "codePage"}).out, "932\n");
    EXPECT_NE(RunCli({"settings"}).out.find("codePage stored                       932\n"),
              std::string::npos);
    EXPECT_EQ(JsonOf(RunCli({"--format", "json", "settings"}))["codePage"]["value"],
              "932");
    const std::string before = Stored();
    const CliResult wrong = RunCli({"settings", "set", "codePage", "12"});
    EXPECT_EQ(wrong.code, 2);
    EXPECT_NE(wrong.err.find("\"12\" is not a code page"), std::string::npos) << wrong.err;
    EXPECT_EQ(Stored(), before);

    ASSERT_TRUE(settings::SystemStore().SaveSetting("ErrorHandling", "codePage", "latin"));
    const std::string example = (ExampleFolder() / "Example.vbp").string();
    const CliResult list = RunCli({"list", example});
    EXPECT_EQ(list.code, 3);
    EXPECT_NE(list.err.find("the stored setting codePage in " + SystemFile()), std::string::npos)
        << list.err;
    EXPECT_EQ(RunCli({"--code-page", "1252", "list", example}).code, 0);
    EXPECT_EQ(RunCli({"--code-page", "latin9", "list", example}).code, 2);
    EXPECT_EQ(RunCli({"settings", "get", "codePage"}).out, "latin\n");
    EXPECT_EQ(RunCli({"settings", "set", "codePage", "1252"}).code, 0);
    EXPECT_EQ(RunCli({"list", example}).code, 0);
}

TEST_F(SettingsCommandTest, ValuesThatWouldMakeCodeThatIsNotVbAreRefused) {
    const std::string before = Stored();
    // add then wrote "On Error GoTo Err Label: x", which check called an
    // error and remove could not undo.
    for (const std::string label : {"Err Label: x", "Err\nLabel", "Resume", "9Lives", "",
                                    "Error_Routine"}) {
        const CliResult r = RunCli({"settings", "set", "label1", label});
        EXPECT_EQ(r.code, 2) << label;
        EXPECT_NE(r.err.find("label1"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("nothing was stored"), std::string::npos) << r.err;
    }
    EXPECT_NE(RunCli({"settings", "set", "label1", "Error_Routine"}).err.find("same as label2"),
              std::string::npos);
    EXPECT_EQ(RunCli({"settings", "set", "label1", "Leave_Here"}).code, 0);
    EXPECT_EQ(RunCli({"settings", "get", "label1"}).out, "Leave_Here\n");

    const std::string longLine = "' " + std::string(65536, 'x');
    const CliResult tooLong = RunCli({"settings", "set", "add4", longLine});
    EXPECT_EQ(tooLong.code, 2);
    EXPECT_NE(tooLong.err.find("more than a module line may be (65,536 bytes)"), std::string::npos)
        << tooLong.err;
    WriteFile(Home() + "/nul.txt", std::string("Debug.Print 1\0\n", 15));
    EXPECT_EQ(RunCli({"settings", "set", "add4", "--from-file", Home() + "/nul.txt"}).code, 2);
    EXPECT_EQ(RunCli({"settings", "set", "insert", "' stamp\nx = 1"}).code, 2);
    EXPECT_EQ(RunCli({"settings", "get", "add4"}).out.find("' xxx"), std::string::npos);
    (void)before;
}

TEST_F(SettingsCommandTest, ReadOnlySettingsFileIsNotRewritten) {
    ASSERT_EQ(RunCli({"settings", "set", "menu", "0"}).code, 0);
    ASSERT_EQ(::chmod(SystemFile().c_str(), 0444), 0);
    const std::string before = Stored();
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"settings", "set", "menu", "1"},
          std::vector<std::string>{"settings", "reset"}}) {
        const CliResult r = RunCli(arguments);
        EXPECT_EQ(r.code, 3);
        EXPECT_NE(r.err.find("is read-only, so nothing was stored"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Stored(), before);
    struct stat info {};
    ASSERT_EQ(::stat(SystemFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0444u);
}

TEST_F(SettingsCommandTest, ResetRestoresTheDefaults) {
    RunCli({"settings", "set", "menu", "0"});
    RunCli({"settings", "set", "add3", "Stop"});
    const CliResult r = RunCli({"settings", "reset"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_FALSE(settings::SystemStore().HasSetting("ErrorHandling", "menu"));
    EXPECT_EQ(RunCli({"settings", "get", "add3"}).out,
              "Debug.Assert False\nErrorlog \"%m.%r\"\nResume Exit_Routine\n");
    EXPECT_EQ(settings::SystemStore().GetSetting("Version", "", ""), QVADDIN_VERSION);
}

TEST_F(SettingsCommandTest, FileThatIsNotIniIsReportedAndKept) {
    const std::string notIni = "# settings\nmenu: 0\n";
    WriteFile(SystemFile(), notIni);
    const CliResult show = RunCli({"settings"});
    EXPECT_EQ(show.code, 0);
    EXPECT_NE(show.out.find("Warning: " + SystemFile() + " is not an INI file (line 1"),
              std::string::npos)
        << show.out;
    const CliResult set = RunCli({"settings", "set", "menu", "0"});
    EXPECT_EQ(set.code, 3);
    EXPECT_EQ(RunCli({"settings", "reset"}).code, 3);
    EXPECT_EQ(Stored(), notIni);
}

TEST_F(SettingsCommandTest, RegisterWritesTheAddInList) {
    const std::string list = Home() + "/qvaddin-workbench/vbaddin.ini";
    WriteFile(list, "[Add-Ins32]\nqvAddIn2.ErrorHandle=1\nOther.Connect=0\n");
    const CliResult dry = RunCli({"--dry-run", "register"});
    EXPECT_NE(dry.out.find("Would register"), std::string::npos);
    EXPECT_EQ(ReadFile(list), "[Add-Ins32]\nqvAddIn2.ErrorHandle=1\nOther.Connect=0\n");

    const CliResult r = RunCli({"register"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("removed the previous generation's qvAddIn2.ErrorHandle"),
              std::string::npos);
    EXPECT_EQ(ReadFile(list), "[Add-Ins32]\nOther.Connect=0\nqvAddIn2vb5.Connect=1\n");
    Json again = JsonOf(RunCli({"--format", "json", "register"}));
    EXPECT_FALSE(again["changed"].get<bool>());

    WriteFile(Home() + "/blocked", "x");
    setenv("XDG_CONFIG_HOME", (Home() + "/blocked").c_str(), 1);
    const CliResult blocked = RunCli({"register"});
    EXPECT_EQ(blocked.code, 3);
    EXPECT_NE(blocked.err.find("cannot be created"), std::string::npos) << blocked.err;
}

}  // namespace
}  // namespace qv::test
