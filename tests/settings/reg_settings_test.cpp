// The registry-style store: paths, the default value, escaping of line
// breaks, empty and data-less values, numbers, deletion, and files that
// cannot be used.

#include <sys/stat.h>

#include <QSettings>

#include "config_home_fixture.h"
#include "settings/reg_settings.h"
#include "settings/store_names.h"
#include "settings/store_problem.h"

namespace qv::settings {
namespace {

using StoreTest = test::ConfigHomeTest;

QVariant RawValue(const std::string& file, const char* key) {
    return QSettings(QString::fromStdString(file), QSettings::IniFormat).value(key);
}

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
    CRegSettings& store = SystemStore();
    ASSERT_TRUE(store.SaveSetting("ErrorHandling", "add3", "Debug.Assert False\r\nResume Next"));
    EXPECT_EQ(RawValue(SystemFile(), "ErrorHandling/add3").toString().toStdString(),
              "Debug.Assert False\\nResume Next");
    EXPECT_EQ(store.GetSetting("ErrorHandling", "add3", "x"), "Debug.Assert False\r\nResume Next");

    // A text that itself holds backslash + n reads back as a line break.
    ASSERT_TRUE(store.SaveSetting("ErrorHandling", "insert", "C:\\new"));
    EXPECT_EQ(store.GetSetting("ErrorHandling", "insert", ""), "C:\r\new");
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

    CRegSettings& writable = SystemStore();
    ASSERT_TRUE(writable.SaveSetting("ErrorHandling", "add0", ""));
    EXPECT_EQ(writable.GetSetting("ErrorHandling", "add0", "default"), "");
}

TEST_F(StoreTest, NumbersReadAsDecimalText) {
    CRegSettings ide;
    ide.SetCompany(kIdeCompany);
    ide.SetAppName(kIdeAppName);
    WriteFile(ide.FilePath(), "[Microsoft%20Visual%20Basic]\nTabWidth=4\n");
    EXPECT_EQ(ide.GetSetting(kIdeSection, kIdeTabWidthKey, "8"), "4");

    QSettings(QString::fromStdString(SystemFile()), QSettings::IniFormat)
        .setValue("ErrorHandling/ten", 10);
    EXPECT_EQ(SystemStore().GetSetting("ErrorHandling", "ten", "0"), "10");
}

TEST_F(StoreTest, StarAndEmptyKeyNameTheDefaultValueStoredUnderDot) {
    CRegSettings& store = SystemStore();
    ASSERT_TRUE(store.SaveSetting("Version", "", "5.0.5"));
    EXPECT_EQ(ReadFile(SystemFile()).value_or(""), "[Version]\n.=5.0.5\n");
    EXPECT_EQ(store.GetSetting("Version", "*", ""), "5.0.5");
    ASSERT_TRUE(store.SaveSetting("Version", "*", "4.3.0"));
    EXPECT_EQ(store.GetSetting("Version", "", ""), "4.3.0");
    EXPECT_TRUE(store.DeleteSetting("Version", "*"));
    EXPECT_EQ(store.GetSetting("Version", "", "none"), "none");
}

TEST_F(StoreTest, DeletesOneValueOrAWholeSection) {
    CRegSettings& store = SystemStore();
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

TEST_F(StoreTest, HandTypedValuesAreReadAsTheyStand) {
    WriteFile(SystemFile(),
              "; edited by hand\n[ErrorHandling]\nadd4=Err.Raise Err.Number, Err.Source\n"
              "label1=Exit_Routine\n");
    CRegSettings& store = SystemStore();
    EXPECT_EQ(store.GetSetting("ErrorHandling", "add4", ""), "Err.Raise Err.Number, Err.Source");
    // Saving what is stored already leaves the file, comment and all, alone.
    EXPECT_TRUE(store.SaveSetting("ErrorHandling", "label1", "Exit_Routine"));
    EXPECT_EQ(ReadFile(SystemFile()).value_or("").substr(0, 16), "; edited by hand");
}

TEST_F(StoreTest, FileThatIsNotIniIsReadAsEmptyAndNeverWritten) {
    const std::string json = "{\"menu\": 1, \"templates\": [1, 2]}\n";
    WriteFile(SystemFile(), json);
    CRegSettings& store = SystemStore();
    EXPECT_EQ(store.FileState(), StoreFileState::NotIni);
    EXPECT_EQ(store.GetSetting("ErrorHandling", "menu", "d"), "d");
    EXPECT_FALSE(store.SaveSetting("ErrorHandling", "menu", "0"));
    EXPECT_FALSE(store.DeleteSetting("ErrorHandling", ""));
    EXPECT_EQ(ReadFile(SystemFile()), json);
    EXPECT_NE(StoreProblem(store).value_or("").find("is not an INI file"), std::string::npos);
}

TEST_F(StoreTest, FolderInThePlaceOfTheFileGivesDefaultsAndRefusesWrites) {
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(SystemFile())));  // a folder in its place
    CRegSettings& store = SystemStore();
    EXPECT_EQ(store.FileState(), StoreFileState::NotRegular);
    EXPECT_EQ(store.GetSetting("ErrorHandling", "menu", "d"), "d");
    EXPECT_FALSE(store.SaveSetting("ErrorHandling", "menu", "0"));
    EXPECT_NE(StoreProblem(store).value_or("").find("it is a folder, not a regular file"),
              std::string::npos);
}

TEST_F(StoreTest, NamedPipeInThePlaceOfTheFileIsNeverOpened) {
    // Opening a pipe for reading waits for a writer: every command hung.
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(Home() + "/Brell Vantoke")));
    ASSERT_EQ(::mkfifo(SystemFile().c_str(), 0600), 0);
    CRegSettings& store = SystemStore();
    EXPECT_EQ(store.FileState(), StoreFileState::NotRegular);
    EXPECT_EQ(store.GetSetting("ErrorHandling", "menu", "d"), "d");
    EXPECT_FALSE(store.SaveSetting("ErrorHandling", "menu", "0"));
    EXPECT_NE(StoreProblem(store).value_or("").find("a named pipe (FIFO)"), std::string::npos);
}

TEST_F(StoreTest, ReadOnlyFileIsReadAndNeverWritten) {
    // The superuser may write any file; a file without write permission is
    // still left alone, as a read-only module is.
    CRegSettings& store = SystemStore();
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
    CRegSettings& store = SystemStore();
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
    CRegSettings& store = SystemStore();
    EXPECT_EQ(store.FileState(), StoreFileState::Missing);
    EXPECT_FALSE(store.SaveSetting("ErrorHandling", "menu", "0"));
    EXPECT_EQ(store.GetSetting("ErrorHandling", "menu", "d"), "d");
    EXPECT_NE(StoreProblem(store).value_or("").find("cannot be created"), std::string::npos);
    EXPECT_FALSE(StoreProblem(CRegSettings()).has_value());  // another folder is fine
}

}  // namespace
}  // namespace qv::settings
