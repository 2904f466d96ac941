#include "settings/settings_operations.h"

#include <array>
#include <optional>
#include <utility>

#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/built_in_templates.h"
#include "settings/field_source.h"
#include "host/host_constants.h"
#include "settings/integer_text.h"
#include "platform/regular_file.h"
#include "settings/setting_checks.h"
#include "settings/store_problem.h"
#include "settings/settings_fields.h"
#include "settings/reg_settings.h"
#include "settings/settings_record.h"
#include "settings/store_names.h"
#include "settings/string_table.h"

namespace qv::settings {

namespace {

// The eleven template fields, in the order they are loaded and stored.
std::array<std::pair<std::string_view, std::string*>, 11> TemplateFields(SettingsRecord& r) {
    return {{{"add0", &r.add0}, {"add1", &r.add1}, {"add2", &r.add2}, {"add2a", &r.add2a},
             {"add3", &r.add3}, {"add4", &r.add4}, {"add5", &r.add5}, {"add6", &r.add6},
             {"omit", &r.omit}, {"label1", &r.label1}, {"label2", &r.label2}}};
}

std::string Stored(const CRegSettings& store, std::string_view key,
                   std::string_view defaultValue) {
    return store.GetSetting(kSettingsSection, key, defaultValue);
}

std::string OverridableSetting(const CRegSettings& store, std::string_view key, int id,
                               StringTable table) {
    if (LoadRes(kOverrideEntry, table) == "1") return Stored(store, key, LoadRes(id, table));
    return LoadRes(id, table);
}

void SetBuiltInTemplates(SettingsRecord& r) {
    r.add0.clear();
    r.add1.clear();
    r.add2.clear();
    r.add2a = builtin::kAdd2a;
    r.add3 = builtin::Add3();
    r.add4 = builtin::Add4();
    r.add5 = r.add3;
    r.add6 = builtin::Add6();
    r.omit = builtin::Omit();
    r.label1 = builtin::kLabel1;
    r.label2 = builtin::kLabel2;
}

// The first start stores the built-in templates. Where the store cannot be
// written (a read-only home, a CI runner) they never got there, which the
// missing version marker shows: a run then takes them as that start would
// have stored them, rather than empty labels and templates.
bool FirstStartUnstored(const CRegSettings& store) {
    if (store.HasSetting(kVersionSection, "")) return false;
    return StoreProblem(store).has_value() || file::IsReadOnlyFile(store.FilePath());
}

SettingsRecord UnstoredTemplates(const CRegSettings& store) {
    SettingsRecord unstored;
    if (FirstStartUnstored(store)) SetBuiltInTemplates(unstored);
    return unstored;
}

// The text GetSettings reads for a field, by its layer.
std::string FieldText(const CRegSettings& store, const SettingsField& field, StringTable table,
                      const SettingsRecord& unstored) {
    switch (field.layer) {
        case FieldLayer::Company:
            return OverrideAllowed(table)
                       ? OverridableSetting(store, field.key, field.companyEntry, table)
                       : LoadRes(field.companyEntry, table);
        case FieldLayer::Stored:
        case FieldLayer::Run: return Stored(store, field.key, field.storedDefault);
        case FieldLayer::Template: break;
    }
    return Stored(store, field.key, field.value(unstored));
}

}  // namespace

std::string StoredFieldText(const SettingsField& field, StringTable table) try {
    const CRegSettings store = SystemStore();
    return FieldText(store, field, table, UnstoredTemplates(store));
} QV_PASS_UP("AddIn", "StoredFieldText")

std::string GetMySetting(std::string_view key, int id, StringTable table) try {
    return OverridableSetting(SystemStore(), key, id, table);
} QV_PASS_UP("AddIn", "GetMySetting")

void GetSettings(SettingsRecord& r, StringTable table) try {
    // One store for every field: the file is read once.
    const CRegSettings store = SystemStore();
    const SettingsRecord unstored = UnstoredTemplates(store);
    for (const SettingsField& field : SettingsFields()) {
        if (field.layer == FieldLayer::Run) continue;
        field.Assign(r, FieldText(store, field, table, unstored));
    }
} QV_PASS_UP("AddIn", "GetSettings")

size_t LargestModuleFileBytes(long megabytes) {
    const IntegerRange range = AllowedRange(*FindSettingsField("modulemb"));
    if (megabytes < range.low || megabytes > range.high) megabytes = host::kDefaultLargestModuleMb;
    return static_cast<size_t>(megabytes) * 1024 * 1024;
}

size_t LargestModuleFileBytes() {
    long megabytes = host::kDefaultLargestModuleMb;
    try {
        const SettingsField& field = *FindSettingsField("modulemb");
        const IntegerRange range = AllowedRange(field);
        long stored = 0;
        if (ParseInteger(Stored(SystemStore(), field.key, field.storedDefault), range.low,
                         range.high, stored) ==
            IntegerText::Number) {
            megabytes = stored;
        }
    } catch (...) {
        // An unreadable store gives the default, as it does for every setting.
    }
    return LargestModuleFileBytes(megabytes);
}

SettingsRecord LoadSettings(StringTable table) try {
    SettingsRecord record;
    GetSettings(record, table);
    // The run's own values: a stored text that names nothing leaves the
    // default (StoredCodePage says what is wrong with it).
    const CRegSettings store = SystemStore();
    for (const SettingsField& field : SettingsFields()) {
        if (field.layer == FieldLayer::Run)
            field.Assign(record, Stored(store, field.key, field.storedDefault));
    }
    record.tabWidth = StoredTabWidth();
    return record;
} QV_PASS_UP("AddIn", "LoadSettings")

void DefaultSettings() try {
    SettingsRecord r;
    SetBuiltInTemplates(r);

    CRegSettings store = SystemStore();
    store.DeleteSetting(kSettingsSection, "");
    for (const auto& [key, value] : TemplateFields(r)) {
        store.SaveSetting(kSettingsSection, key, *value);
    }
} QV_PASS_UP("AddIn", "DefaultSettings")

}  // namespace qv::settings
