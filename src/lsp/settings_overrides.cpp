#include "lsp/settings_overrides.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "settings/setting_checks.h"
#include "settings/settings_fields.h"

namespace qv::lsp {

namespace {

// The value as the store would hold it: a number that is not whole keeps its
// fraction, so that the check refuses it rather than cutting it off. Nothing
// for a value of the wrong kind (a number for a text, a list, null).
std::optional<std::string> ValueText(const Json& value, settings::FieldType type) {
    if (type == settings::FieldType::Text) {
        if (!value.is_string()) return std::nullopt;
        return StringOf(value);
    }
    if (value.is_number()) {
        const double number = value.get<double>();
        if (std::trunc(number) == number && std::abs(number) < 1e15) {
            return std::to_string(static_cast<long long>(number));
        }
        char text[32];
        std::snprintf(text, sizeof text, "%.17g", number);
        return text;
    }
    if (value.is_boolean()) return value.get<bool>() ? "1" : "0";
    if (value.is_string()) return StringOf(value);
    return std::nullopt;
}

}  // namespace

std::vector<std::string> OverrideSettings(const Json& overrides, settings::SettingsRecord& record) {
    std::vector<std::string> refused;
    for (const auto& [key, given] : ObjectOf(overrides).items()) {
        const settings::SettingsField* field = settings::FindSettingsField(key);
        if (field == nullptr) {
            refused.push_back("setting " + key + ": there is no such setting");
            continue;
        }
        const std::optional<std::string> value = ValueText(given, field->type);
        if (!value) {
            refused.push_back("setting " + key + ": it must be " +
                              (field->type == settings::FieldType::Text ? "a text" : "a number"));
            continue;
        }
        if (const auto problem = settings::ValueProblem(*field, *value, record)) {
            refused.push_back("setting " + key + ": " + *problem);
            continue;
        }
        field->Assign(record, *value);
    }
    return refused;
}

}  // namespace qv::lsp
