#include "lsp/settings_overrides.h"

#include <cmath>
#include <optional>

#include "settings/setting_checks.h"
#include "settings/settings_fields.h"

namespace qv::lsp {

namespace {

// The value as the store would hold it: a number that is not whole keeps its
// fraction, so that the check refuses it rather than cutting it off. Nothing
// for a value of the wrong kind (a number for a text, a list, null).
std::optional<std::string> ValueText(const QJsonValue& value, settings::FieldType type) {
    if (type == settings::FieldType::Text) {
        if (!value.isString()) return std::nullopt;
        return value.toString().toUtf8().toStdString();
    }
    if (value.isDouble()) {
        const double number = value.toDouble();
        if (std::trunc(number) == number && std::abs(number) < 1e15) {
            return std::to_string(static_cast<long long>(number));
        }
        return QString::number(number, 'g', 17).toStdString();
    }
    if (value.isBool()) return value.toBool() ? "1" : "0";
    if (value.isString()) return value.toString().toUtf8().toStdString();
    return std::nullopt;
}

}  // namespace

QStringList OverrideSettings(const QJsonObject& overrides, settings::SettingsRecord& record) {
    QStringList refused;
    for (auto it = overrides.begin(); it != overrides.end(); ++it) {
        const std::string key = it.key().toStdString();
        const settings::SettingsField* field = settings::FindSettingsField(key);
        if (field == nullptr) {
            refused << "setting " + it.key() + ": there is no such setting";
            continue;
        }
        const std::optional<std::string> value = ValueText(it.value(), field->type);
        if (!value) {
            refused << "setting " + it.key() + ": it must be " +
                           (field->type == settings::FieldType::Text ? "a text" : "a number");
            continue;
        }
        if (const auto problem = settings::ValueProblem(*field, *value, record)) {
            refused << "setting " + it.key() + ": " + QString::fromUtf8(*problem);
            continue;
        }
        field->Assign(record, *value);
    }
    return refused;
}

}  // namespace qv::lsp
