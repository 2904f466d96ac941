// The registry-style store: paths, the default value, escaping of line
// breaks, empty and data-less values, numbers, deletion, and files that
// cannot be used.

#include <sys/stat.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "config_home_fixture.h"
#include "settings/reg_settings.h"
#include "settings/store_names.h"
#include "settings/store_problem.h"

namespace qv::settings {
namespace {

using StoreTest = test::ConfigHomeTest;

TEST_F(StoreTest, NamesMapToOneIniFileUnderTheConfigurationFolder) {
    CRegSettings store;
    EXPECT_EQ(store.Company(), "VB and VBA Program Settings");
    EXPECT_EQ(store.AppName(), "qvaddin");
    store.SetCompany("  Acme Ltd ");
    store.SetAppName(" tool ");
    EXPECT_EQ(store.FilePath(), Home() + "/Acme Ltd/tool.conf");
    EXPECT_EQ(store.SubKey("ErrorHandling"), "Software\\Acme Ltd\\tool\\ErrorHandling");
    EXPECT_EQ(store.SubKey(""), "Software\\Acme Ltd\\tool");
    store.SetCompany("   ");
    store.SetAppName("");
    EXPECT_EQ(store.Company(), "VB and VBA Program Settings");
    EXPECT_EQ(store.AppName(), "qvaddin");

    // A relative XDG_CONFIG_HOME is not a configuration folder.
    setenv("XDG_CONFIG_HOME", "relative/folder", 1);
    EXPECT_EQ(ConfigHome(), std::string(std::getenv("HOME")) + "/.config");
}

TEST_F(StoreTest, LineBreaksAreStoredAsBackslashNAndReadBack) {
    CRegSettings store = SystemStore();
    ASSERT_TRUE(store.SaveSetting("ErrorHandling", "add3", "Debug.Assert False\r\nResume Next"));
    EXPECT_EQ(ReadFile(SystemFile()).value_or(""),
              "[ErrorHandling]\nadd3=Debug.Assert False\\\\nResume Next\n");
    EXPECT_EQ(store.GetSetting("ErrorHandling", "add3", "x"), "Debug.Assert False\r\nResume Next");

    // A text that itself holds backslash + n reads back as a line break.
    ASSERT_TRUE(store.SaveSetting("ErrorHandling", "insert", "C:\\new"));
    EXPECT_EQ(store.GetSetting("ErrorHandling", "insert", ""), "C:\r\new");
}

// The bytes an earlier version wrote for these values, which it reads back.
TEST_F(StoreTest, ValuesOfEveryKindAreWrittenAsBeforeAndReadBack) {
    const std::vector<std::pair<std::string, std::string>> values = {
        {"uml", "M\xc3\xb3" "dulo \xe5\x95\x8f\xe9\xa1\x8c.frm"},
        {"empty", ""},
        {"semi", "a; b"},
        {"comma", "x, y"},
        {"quote", "say \"hi\""},
        {"eq", "a=b"},
        {"bs", "C:\\Temp\\"},
        {"lines", "one\r\ntwo"},
        {"lf", "bare\nLF"},
        {"spaces", "  both  "},
    };
    CRegSettings store = SystemStore();
    for (const auto& [key, value] : values) {
        ASSERT_TRUE(store.SaveSetting("ErrorHandling", key, value));
    }
    ASSERT_TRUE(store.SaveSetting("Version", "", "5.0.5"));
    EXPECT_EQ(ReadFile(SystemFile()),
              "[ErrorHandling]\n"
              "bs=C:\\\\Temp\\\\\n"
              "comma=\"x, y\"\n"
              "empty=\n"
              "eq=\"a=b\"\n"
              "lf=bare\\nLF\n"
              "lines=one\\\\ntwo\n"
              "quote=say \\\"hi\\\"\n"
              "semi=\"a; b\"\n"
              "spaces=\"  both  \"\n"
              "uml=M\xc3\xb3" "dulo \xe5\x95\x8f\xe9\xa1\x8c.frm\n"
              "\n"
              "[Version]\n"
              ".=5.0.5\n");
    const CRegSettings reader = SystemStore();
    for (const auto& [key, value] : values) {
        EXPECT_EQ(reader.GetSetting("ErrorHandling", key, "default"), value) << key;
    }
}

// Another process's change is seen by the next read, and a write keeps it.
TEST_F(StoreTest, FileChangedByAnotherProcessIsReadAgain) {
    CRegSettings store = SystemStore();
    ASSERT_TRUE(store.SaveSetting("ErrorHandling", "menu", "1"));
    EXPECT_EQ(store.GetSetting("ErrorHandling", "menu", ""), "1");
    WriteFile(SystemFile(), "[ErrorHandling]\nmenu=0\n");  // the same size
    EXPECT_EQ(store.GetSetting("ErrorHandling", "menu", ""), "0");
    WriteFile(SystemFile(), "[ErrorHandling]\nmenu=0\nten=1\n");
    ASSERT_TRUE(store.SaveSetting("ErrorHandling", "header", "0"));
    EXPECT_EQ(ReadFile(SystemFile()), "[ErrorHandling]\nheader=0\nmenu=0\nten=1\n");
}

// A rewrite keeps the file's permissions, and writes through a symbolic
// link to the file it names.
TEST_F(StoreTest, RewriteKeepsPermissionsAndLinks) {
    CRegSettings store = SystemStore();
    ASSERT_TRUE(store.SaveSetting("ErrorHandling", "menu", "1"));
    ASSERT_EQ(::chmod(SystemFile().c_str(), 0600), 0);
    ASSERT_TRUE(store.SaveSetting("ErrorHandling", "menu", "0"));
    struct stat info {};
    ASSERT_EQ(::stat(SystemFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    const std::string kept = Home() + "/kept.conf";
    std::filesystem::rename(SystemFile(), kept);
    std::filesystem::create_symlink(kept, SystemFile());
    ASSERT_TRUE(store.SaveSetting("ErrorHandling", "ten", "1"));
    EXPECT_TRUE(std::filesystem::is_symlink(SystemFile()));
    EXPECT_EQ(ReadFile(kept), "[ErrorHandling]\nmenu=0\nten=1\n");
    // No temporary or lock file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Home() + "/Brell Vantoke"),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(StoreTest, EmptyValueReadsEmptyButMissingOrDatalessValueReadsDefault) {
    WriteFile(SystemFile(),
              "[ErrorHandling]\nempty=\nnodata=@Invalid()\nquoted=\"\"\n");
    const CRegSettings& store = SystemStore();
    EXPECT_EQ(store.GetSetting("ErrorHandling", "empty", "default"), "");
    EXPECT_EQ(store.GetSetting("ErrorHandling", "quoted", "default"), "");
    EXPECT_EQ(store.GetSetting("ErrorHandling", "nodata", "default"), "default");
    EXPECT_EQ(store.GetSetting("ErrorHandling", "missing", "default"), "default");
    EXPECT_EQ(store.GetSetting("NoSuchSection", "empty", "default"), "default");
    EXPECT_TRUE(store.HasSetting("ErrorHandling", "empty"));
    EXPECT_FALSE(store.HasSetting("ErrorHandling", "nodata"));

    CRegSettings writable = SystemStore();
    ASSERT_TRUE(writable.SaveSetting("ErrorHandling", "add0", ""));
    EXPECT_EQ(writable.GetSetting("ErrorHandling", "add0", "default"), "");
}

TEST_F(StoreTest, NumbersReadAsDecimalText) {
    CRegSettings ide;
    ide.SetCompany(kIdeCompany);
    ide.SetAppName(kIdeAppName);
    WriteFile(ide.FilePath(), "[Microsoft%20Visual%20Basic]\nTabWidth=4\n");
    EXPECT_EQ(ide.GetSetting(kIdeSection, kIdeTabWidthKey, "8"), "4");

    WriteFile(SystemFile(), "[ErrorHandling]\nten=10\n");
    EXPECT_EQ(SystemStore().GetSetting("ErrorHandling", "ten", "0"), "10");
}

TEST_F(StoreTest, StarAndEmptyKeyNameTheDefaultValueStoredUnderDot) {
    CRegSettings store = SystemStore();
    ASSERT_TRUE(store.SaveSetting("Version", "", "5.0.5"));
    EXPECT_EQ(ReadFile(SystemFile()).value_or(""), "[Version]\n.=5.0.5\n");
    EXPECT_EQ(store.GetSetting("Version", "*", ""), "5.0.5");
    ASSERT_TRUE(store.SaveSetting("Version", "*", "4.3.0"));
    EXPECT_EQ(store.GetSetting("Version", "", ""), "4.3.0");
    EXPECT_TRUE(store.DeleteSetting("Version", "*"));
    EXPECT_EQ(store.GetSetting("Version", "", "none"), "none");
}

TEST_F(StoreTest, DeletesOneValueOrAWholeSection) {
    CRegSettings store = SystemStore();
    store.SaveSetting("ErrorHandling", "add0", "a");
    store.SaveSetting("ErrorHandling", "add1", "b");
    store.SaveSetting("Version", "", "5.0.5");

    EXPECT_TRUE(store.DeleteSetting("ErrorHandling", "add0"));
    EXPECT_FALSE(store.DeleteSetting("ErrorHandling", "add0"));  // gone already
    EXPECT_EQ(store.GetSetting("ErrorHandling", "add1", ""), "b");

    EXPECT_TRUE(store.DeleteSetting("ErrorHandling", ""));
    EXPECT_FALSE(store.HasValues("ErrorHandling"));
    EXPECT_EQ(store.GetSetting("ErrorHandling", "add1", "none"), "none");
    EXPECT_EQ(store.GetSetting("Version", "", ""), "5.0.5");
    EXPECT_FALSE(store.DeleteSetting("ErrorHandling", ""));
    EXPECT_FALSE(store.DeleteSetting("", ""));  // never the whole application
}

// A section goes with its subsections and a value of its own name, and
// nothing else, as it always did.
TEST_F(StoreTest, DeletingASectionTakesItsSubsectionsButNotItsNeighbours) {
    WriteFile(SystemFile(),
              "[General]\nErrorHandling=top\nErrorHandling-x=keep\n\n"
              "[ErrorHandling]\na=1\nSub\\b=2\n\n[ErrorHandlingX]\nc=3\n");
    CRegSettings store = SystemStore();
    EXPECT_TRUE(store.HasValues(""));
    EXPECT_TRUE(store.HasValues("ErrorHandling\\Sub"));
    EXPECT_EQ(store.GetSetting("ErrorHandling\\Sub", "b", ""), "2");
    EXPECT_TRUE(store.DeleteSetting("ErrorHandling", ""));
    EXPECT_EQ(ReadFile(SystemFile()), "[General]\nErrorHandling-x=keep\n\n[ErrorHandlingX]\nc=3\n");
}

TEST_F(StoreTest, HandTypedValuesAreReadAsTheyStand) {
    WriteFile(SystemFile(),
              "; edited by hand\n[ErrorHandling]\nadd4=Err.Raise Err.Number, Err.Source\n"
              "label1=Exit_Routine\n");
    CRegSettings store = SystemStore();
    EXPECT_EQ(store.GetSetting("ErrorHandling", "add4", ""), "Err.Raise Err.Number, Err.Source");
    // Saving what is stored already leaves the file, comment and all, alone.
    EXPECT_TRUE(store.SaveSetting("ErrorHandling", "label1", "Exit_Routine"));
    EXPECT_EQ(ReadFile(SystemFile()).value_or("").substr(0, 16), "; edited by hand");
}

TEST_F(StoreTest, FileThatIsNotIniIsReadAsEmptyAndNeverWritten) {
    const std::string json = "{\"menu\": 1, \"templates\": [1, 2]}\n";
    WriteFile(SystemFile(), json);
    CRegSettings store = SystemStore();
    EXPECT_EQ(store.FileState(), StoreFileState::NotIni);
    EXPECT_EQ(store.GetSetting("ErrorHandling", "menu", "d"), "d");
    EXPECT_FALSE(store.SaveSetting("ErrorHandling", "menu", "0"));
    EXPECT_FALSE(store.DeleteSetting("ErrorHandling", ""));
    EXPECT_EQ(ReadFile(SystemFile()), json);
    EXPECT_NE(StoreProblem(store).value_or("").find("is not an INI file"), std::string::npos);
}

TEST_F(StoreTest, FolderInThePlaceOfTheFileGivesDefaultsAndRefusesWrites) {
    ASSERT_TRUE(std::filesystem::create_directories(SystemFile()));  // a folder in its place
    CRegSettings store = SystemStore();
    EXPECT_EQ(store.FileState(), StoreFileState::NotRegular);
    EXPECT_EQ(store.GetSetting("ErrorHandling", "menu", "d"), "d");
    EXPECT_FALSE(store.SaveSetting("ErrorHandling", "menu", "0"));
    EXPECT_NE(StoreProblem(store).value_or("").find("it is a folder, not a regular file"),
              std::string::npos);
}

TEST_F(StoreTest, NamedPipeInThePlaceOfTheFileIsNeverOpened) {
    // Opening a pipe for reading waits for a writer: every command hung.
    ASSERT_TRUE(std::filesystem::create_directories(Home() + "/Brell Vantoke"));
    ASSERT_EQ(::mkfifo(SystemFile().c_str(), 0600), 0);
    CRegSettings store = SystemStore();
    EXPECT_EQ(store.FileState(), StoreFileState::NotRegular);
    EXPECT_EQ(store.GetSetting("ErrorHandling", "menu", "d"), "d");
    EXPECT_FALSE(store.SaveSetting("ErrorHandling", "menu", "0"));
    EXPECT_NE(StoreProblem(store).value_or("").find("a named pipe (FIFO)"), std::string::npos);
}

TEST_F(StoreTest, ReadOnlyFileIsReadAndNeverWritten) {
    // The superuser may write any file; a file without write permission is
    // still left alone, as a read-only module is.
    CRegSettings store = SystemStore();
    ASSERT_TRUE(store.SaveSetting("ErrorHandling", "menu", "1"));
    ASSERT_EQ(::chmod(SystemFile().c_str(), 0444), 0);
    const std::string before = ReadFile(SystemFile()).value_or("");
    EXPECT_EQ(store.GetSetting("ErrorHandling", "menu", "d"), "1");
    EXPECT_TRUE(store.SaveSetting("ErrorHandling", "menu", "1")) << "stored already";
    EXPECT_FALSE(store.SaveSetting("ErrorHandling", "menu", "0"));
    EXPECT_FALSE(store.DeleteSetting("ErrorHandling", "menu"));
    EXPECT_EQ(ReadFile(SystemFile()), before);
    struct stat info {};
    ASSERT_EQ(::stat(SystemFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0444u);
}

TEST_F(StoreTest, LargeFileIsExaminedOncePerChange) {
    // Every setting read used to read and check the whole file again.
    CRegSettings store = SystemStore();
    ASSERT_TRUE(store.SaveSetting("ErrorHandling", "menu", "1"));
    std::string big = ReadFile(SystemFile()).value_or("") + "[Other]\n";
    for (int i = 0; i < 20000; ++i) big += "key" + std::to_string(i) + "=value\n";
    WriteFile(SystemFile(), big);
    EXPECT_EQ(store.FileState(), StoreFileState::Usable);
    EXPECT_EQ(store.GetSetting("ErrorHandling", "menu", "d"), "1");
    // A change is seen: the file is no INI file any more.
    WriteFile(SystemFile(), big + "not a key line\n");
    EXPECT_EQ(store.FileState(), StoreFileState::NotIni);
}

TEST_F(StoreTest, FolderThatCannotBeCreatedMakesWritesFail) {
    WriteFile(Home() + "/Brell Vantoke", "a file where the folder should be");
    CRegSettings store = SystemStore();
    EXPECT_EQ(store.FileState(), StoreFileState::Missing);
    EXPECT_FALSE(store.SaveSetting("ErrorHandling", "menu", "0"));
    EXPECT_EQ(store.GetSetting("ErrorHandling", "menu", "d"), "d");
    EXPECT_NE(StoreProblem(store).value_or("").find("cannot be created"), std::string::npos);
    EXPECT_FALSE(StoreProblem(CRegSettings()).has_value());  // another folder is fine
}

}  // namespace
}  // namespace qv::settings
