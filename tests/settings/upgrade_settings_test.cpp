// The upgrade of settings stored by older versions, row by row, and the
// older location.

#include "config_home_fixture.h"
#include "settings/built_in_templates.h"
#include "settings/reg_settings.h"
#include "settings/settings_record.h"
#include "settings/upgrade_settings.h"

namespace qv::settings {
namespace {

constexpr const char* kTemplateKeys[] = {"add0", "add1", "add2",  "add2a",  "add3",  "add4",
                                         "add5", "add6", "omit", "label1", "label2"};

TEST(VersionKey, TwelveDigitsFromThreeNumericParts) {
    EXPECT_EQ(VersionKey("4.3.0"), "000400030000");
    EXPECT_EQ(VersionKey("5.0.5"), "000500000005");
    EXPECT_EQ(VersionKey("4.3.12345"), "0004000312345");
    EXPECT_EQ(VersionKey("4.3"), "");
    EXPECT_EQ(VersionKey("4.3.2.1"), "");
    EXPECT_EQ(VersionKey(""), "");
    const ProgramVersion running = RunningVersion();
    EXPECT_EQ(VersionText(running), QV_PROJECT_VERSION);
    EXPECT_EQ(VersionKey("x.y.z"), VersionKey(VersionText(running)));
    EXPECT_EQ(VersionKey("4..0"), VersionKey(VersionText(running)));
}

// Each row: the stored version, then which of the values stored before the
// upgrade it replaces.
struct UpgradeRow {
    const char* version;  // nullptr: no version stored
    bool fullDefaults;
    bool mtsTexts;  // add6 (old text), omit, add2a
    bool add2aOnly;
    bool labels;
};

class UpgradeRowTest : public test::ConfigHomeTest,
                       public ::testing::WithParamInterface<UpgradeRow> {};

TEST_P(UpgradeRowTest, ReplacesOnlyTheKeysOfItsRow) {
    const UpgradeRow row = GetParam();
    CRegSettings store = SystemStore();
    for (const char* key : kTemplateKeys) store.SaveSetting("ErrorHandling", key, "mine");
    store.SaveSetting("ErrorHandling", "header", "0");
    if (row.version != nullptr) store.SaveSetting("Version", "", row.version);

    UpgradeSettings();

    const auto stored = [&](const char* key) {
        return store.GetSetting("ErrorHandling", key, "-");
    };
    if (row.fullDefaults) {
        EXPECT_EQ(stored("header"), "-");
        EXPECT_EQ(stored("add0"), "");
        EXPECT_EQ(stored("add3"), builtin::Add3());
        EXPECT_EQ(stored("add6"), builtin::Add6());
        EXPECT_EQ(stored("label2"), "Error_Routine");
    } else {
        EXPECT_EQ(stored("header"), "0");
        EXPECT_EQ(stored("add6"), row.mtsTexts ? builtin::Add6WithoutModule() : "mine");
        EXPECT_EQ(stored("omit"), row.mtsTexts ? builtin::Omit() : "mine");
        const bool add2a = row.mtsTexts || row.add2aOnly;
        EXPECT_EQ(stored("add2a"), add2a ? "mctxObject.SetComplete" : "mine");
        EXPECT_EQ(stored("label1"), row.labels ? "Exit_Routine" : "mine");
        EXPECT_EQ(stored("label2"), row.labels ? "Error_Routine" : "mine");
        for (const char* key : {"add0", "add1", "add2", "add3", "add4", "add5"}) {
            EXPECT_EQ(stored(key), "mine") << key;
        }
    }
    EXPECT_EQ(store.GetSetting("Version", "", ""), QV_PROJECT_VERSION);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UpgradeRowTest,
    ::testing::Values(UpgradeRow{nullptr, true, false, false, false},
                      UpgradeRow{"4.2.9", true, false, false, false},
                      UpgradeRow{"4.3", true, false, false, false},
                      UpgradeRow{"4.3.2.1", true, false, false, false},
                      UpgradeRow{"4.3.0", false, true, false, false},
                      UpgradeRow{"4.3.2", false, true, false, false},
                      UpgradeRow{"4.4.0", false, false, true, false},
                      UpgradeRow{"4.4.1", false, false, false, true},
                      UpgradeRow{"4.9.9", false, false, false, true},
                      UpgradeRow{"5.0.0", false, false, false, false},
                      UpgradeRow{"5.0.5", false, false, false, false},
                      UpgradeRow{"12.0.0", false, false, false, false},
                      UpgradeRow{"x.y.z", false, false, false, false}));

class OlderLocationTest : public test::ConfigHomeTest {
protected:
    CRegSettings Older() {
        CRegSettings older;
        older.SetAppName("qvaddin2");
        return older;
    }
};

TEST_F(OlderLocationTest, ItsVersionWinsAndItIsClearedWithoutCopying) {
    CRegSettings older = Older();
    older.SaveSetting("ErrorHandling", "Version", "4.4.0");
    older.SaveSetting("ErrorHandling", "add3", "old text");
    older.SaveSetting("Elsewhere", "kept", "1");
    SystemStore().SaveSetting("Version", "", "5.0.0");

    UpgradeSettings();

    EXPECT_EQ(SystemStore().GetSetting("ErrorHandling", "add2a", ""), "mctxObject.SetComplete");
    EXPECT_EQ(SystemStore().GetSetting("ErrorHandling", "add3", "-"), "-");
    EXPECT_FALSE(older.HasValues("ErrorHandling"));
    EXPECT_EQ(older.GetSetting("Elsewhere", "kept", ""), "1");
    EXPECT_EQ(SystemStore().GetSetting("Version", "", ""), QV_PROJECT_VERSION);
}

TEST_F(OlderLocationTest, WithoutAVersionTheMarkerDecidesAndTheSectionStillGoes) {
    CRegSettings older = Older();
    older.SaveSetting("ErrorHandling", "add3", "old text");
    SystemStore().SaveSetting("Version", "", "5.0.0");
    SystemStore().SaveSetting("ErrorHandling", "add3", "mine");

    UpgradeSettings();

    EXPECT_EQ(SystemStore().GetSetting("ErrorHandling", "add3", ""), "mine");
    EXPECT_FALSE(older.HasValues("ErrorHandling"));
}

TEST_F(OlderLocationTest, UnusableStoreFileIsLeftAloneAndNothingFails) {
#ifdef _WIN32
    GTEST_SKIP() << "the store is the registry on Windows: there is no file to spoil";
#endif
    const std::string garbage("\x01\x02[broken\x00\xff", 10);
    WriteFile(SystemFile(), garbage);
    UpgradeSettings();
    EXPECT_EQ(ReadFile(SystemFile()), garbage);
}

}  // namespace
}  // namespace qv::settings
