// Filling the settings record: the three layers, the override switch, the
// built-in defaults, and stored integers that are not numbers. What a reset
// stores is in the golden run (settings reset, and every first start).

#include "config_home_fixture.h"
#include "platform/vb_error.h"
#include "settings/bad_setting.h"
#include "settings/field_source.h"
#include "settings/reg_settings.h"
#include "settings/setting_checks.h"
#include "settings/settings_fields.h"
#include "settings/settings_operations.h"
#include "settings/settings_record.h"
#include "settings/string_table.h"

namespace qv::settings {
namespace {

class SettingsOperationsTest : public test::ConfigHomeTest {
protected:
    void Store(std::string_view key, std::string_view value) {
        ASSERT_TRUE(SystemStore().SaveSetting("ErrorHandling", key, value));
    }
    // The compiled-in table with another override switch.
    StringTable WithOverrideSwitch(std::string_view value) {
        table_.assign(CompiledStringTable().begin(), CompiledStringTable().end());
        table_.front().text = value;
        return table_;
    }

    SettingsRecord& Settings() { return record_; }

private:
    std::vector<StringTableEntry> table_;
    SettingsRecord record_;
};

TEST_F(SettingsOperationsTest, FreshAccountGivesTheDefaultsAndEmptyTemplates) {
    Settings().add3 = "stale";
    GetSettings(Settings());
    const SettingsRecord& r = Settings();
    EXPECT_EQ(r.menu, 1);
    EXPECT_EQ(r.select, 1);
    EXPECT_EQ(r.insert, "' %d %u:");
    EXPECT_EQ(r.comment, 1);
    EXPECT_EQ(r.forms, "1111110111111110");
    EXPECT_EQ(r.header, 1);
    EXPECT_EQ(r.ten, 0);
    for (const std::string* field : {&r.add0, &r.add1, &r.add2, &r.add2a, &r.add3, &r.add4,
                                     &r.add5, &r.add6, &r.omit, &r.label1, &r.label2}) {
        EXPECT_EQ(*field, "");
    }
}

TEST_F(SettingsOperationsTest, StoredValuesReplaceCompanyDefaultsWhenAllowed) {
    Store("menu", "0");
    Store("select", " 0 ");
    Store("insert", "' stamp %t");
    Store("comment", "3");
    Store("forms", "11");
    Store("ten", "1");
    Store("label2", "Oops");
    GetSettings(Settings());
    const SettingsRecord& r = Settings();
    EXPECT_EQ(r.menu, 0);
    EXPECT_EQ(r.select, 0);
    EXPECT_EQ(r.insert, "' stamp %t");
    EXPECT_EQ(r.comment, 3);
    EXPECT_EQ(r.forms, "11");
    EXPECT_EQ(r.ten, 1);
    EXPECT_EQ(r.label2, "Oops");
    EXPECT_EQ(GetMySetting("menu", 9), "0");
}

TEST_F(SettingsOperationsTest, OverrideSwitchZeroKeepsTheCompanyValues) {
    const StringTable fixed = WithOverrideSwitch("0");
    Store("insert", "' mine");
    Store("menu", "0");
    Store("header", "0");
    Store("add3", "Resume Next");
    GetSettings(Settings(), fixed);
    EXPECT_EQ(Settings().insert, "' %d %u:");
    EXPECT_EQ(Settings().menu, 1);
    EXPECT_EQ(Settings().header, 0);
    EXPECT_EQ(Settings().add3, "Resume Next");
    EXPECT_EQ(GetMySetting("insert", 11, fixed), "' %d %u:");
    EXPECT_EQ(StoredFieldText(Field("insert"), fixed), "' %d %u:");
    EXPECT_EQ(SourceOf(Field("insert"), fixed), FieldSource::CompanyDefault);
    // The compiled table lets the stored values through, in the same store.
    EXPECT_EQ(LoadSettings().insert, "' mine");
    EXPECT_EQ(SourceOf(Field("insert")), FieldSource::Stored);
}

TEST_F(SettingsOperationsTest, OnlyAnOverrideSwitchOfExactlyOneLetsStoredValuesIn) {
    Store("menu", "0");
    EXPECT_EQ(GetMySetting("menu", 9), "0");
    EXPECT_EQ(GetMySetting("menu", 9, WithOverrideSwitch("0")), "1");
    EXPECT_EQ(GetMySetting("menu", 9, WithOverrideSwitch("yes")), "1");
}

TEST_F(SettingsOperationsTest, StoredIntegerThatIsNotANumberStopsAtThatField) {
    Store("menu", "0");
    Store("select", "abc");
    Store("header", "0");
    const std::string before = ReadFile(SystemFile()).value_or("");
    Settings().select = 7;
    Settings().header = 7;
    try {
        GetSettings(Settings());
        FAIL() << "no error for a stored text in an integer field";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), err::kTypeMismatch);
        EXPECT_EQ(e.Source().rfind("AddIn.GetSettings(", 0), 0u) << e.Source();
        const std::string message = DescribeSettingsError(e).value_or("");
        EXPECT_NE(message.find("\"select\""), std::string::npos) << message;
        EXPECT_NE(message.find(SystemStore().FilePath()), std::string::npos) << message;
        EXPECT_NE(message.find("qvaddin settings set select 1"), std::string::npos) << message;
    }
    EXPECT_EQ(Settings().menu, 0);    // loaded before the bad field
    EXPECT_EQ(Settings().select, 7);  // the bad field and the later ones keep their old values
    EXPECT_EQ(Settings().header, 7);
    EXPECT_EQ(ReadFile(SystemFile()).value_or(""), before);
    EXPECT_FALSE(DescribeSettingsError(VbError(13, {}, "Tidy.Tidy_Routine(3):")).has_value());
}

TEST_F(SettingsOperationsTest, IntegerFieldsConvertLikeTheRunTime) {
    Store("header", " 2.5 ");
    Store("ten", "1e1");
    Store("comment", "-0.5");
    GetSettings(Settings());
    EXPECT_EQ(Settings().header, 2);
    EXPECT_EQ(Settings().ten, 10);
    EXPECT_EQ(Settings().comment, 0);
}

TEST_F(SettingsOperationsTest, IntegerFieldsOverflowOutsideTheirRange) {
    const auto errorOf = [&](std::string_view key, std::string_view value) -> long {
        SystemStore().DeleteSetting("ErrorHandling", "");
        Store(key, value);
        try {
            GetSettings(Settings());
        } catch (const VbError& e) {
            EXPECT_EQ(FindBadSetting()->key, key);
            return e.Number();
        }
        return 0;
    };
    EXPECT_EQ(errorOf("header", "32768"), err::kOverflow);
    EXPECT_EQ(errorOf("ten", "-32769"), err::kOverflow);
    EXPECT_EQ(errorOf("header", "-32768"), 0);
    EXPECT_EQ(errorOf("comment", "70000"), 0);  // a 32-bit field
    EXPECT_EQ(errorOf("comment", "2147483648"), err::kOverflow);
    EXPECT_EQ(errorOf("comment", "99999999999999999999999"), err::kOverflow);
    EXPECT_EQ(errorOf("ten", ""), err::kTypeMismatch);  // empty is stored, not the default
    EXPECT_EQ(errorOf("ten", "+-1"), err::kTypeMismatch);
    EXPECT_EQ(errorOf("ten", "0x10"), err::kTypeMismatch);
    EXPECT_EQ(errorOf("ten", "1e9"), err::kOverflow);
}

// The code page is declared with the other settings: its key, default and
// check come from the table, a run loads the stored one, and re-reading the
// settings in the middle of a run (the options page) keeps the run's.
TEST_F(SettingsOperationsTest, CodePageIsOneOfTheDeclaredSettings) {
    const SettingsField* field = FindSettingsField("CODEPAGE");
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->key, "codePage");
    EXPECT_EQ(field->storedDefault, "1252");
    EXPECT_FALSE(ValueProblem(*field, "shift_jis", {}).has_value());
    EXPECT_NE(ValueProblem(*field, "1251x", {}).value_or("").find("not a code page"),
              std::string::npos);

    EXPECT_EQ(LoadSettings().codePage, text::CodePage::Windows1252());
    Store("codePage", "932");
    SettingsRecord run = LoadSettings();
    EXPECT_EQ(run.codePage.Number(), 932);
    EXPECT_EQ(field->value(run), "932");

    run.codePage = text::CodePage::Utf8();  // the run's option
    GetSettings(run);
    EXPECT_EQ(run.codePage, text::CodePage::Utf8());

    Store("codePage", "klingon");  // the run that settles its code page reports it
    EXPECT_EQ(LoadSettings().codePage, text::CodePage::Windows1252());
}

}  // namespace
}  // namespace qv::settings
