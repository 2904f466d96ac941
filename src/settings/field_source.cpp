#include "settings/field_source.h"

#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/reg_settings.h"
#include "settings/store_names.h"
#include "settings/string_table.h"

namespace qv::settings {

bool OverrideAllowed(StringTable table) try {
    return text::ToUpper(LoadRes(kOverrideEntry, table)) == "1";
} QV_PASS_UP("AddIn", "OverrideAllowed")

FieldSource SourceOf(const SettingsField& field, StringTable table) try {
    const bool company = field.layer == FieldLayer::Company;
    if (company && !OverrideAllowed(table)) return FieldSource::CompanyDefault;
    if (SystemStore().HasSetting(kSettingsSection, field.key)) return FieldSource::Stored;
    if (company) return FieldSource::CompanyDefault;
    return field.storedDefault.empty() ? FieldSource::Empty : FieldSource::BuiltInDefault;
} QV_PASS_UP("AddIn", "SourceOf")

std::string_view SourceName(FieldSource source) {
    switch (source) {
        case FieldSource::Stored: return "stored";
        case FieldSource::CompanyDefault: return "company default";
        case FieldSource::BuiltInDefault: return "built-in default";
        case FieldSource::Empty: break;
    }
    return "empty";
}

}  // namespace qv::settings
