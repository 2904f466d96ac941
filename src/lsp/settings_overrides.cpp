#include "lsp/settings_overrides.h"

#include <cmath>
#include <map>
#include <optional>
#include <variant>

#include "settings/integer_text.h"
#include "settings/setting_checks.h"
#include "settings/settings_fields.h"

namespace qv::lsp {

namespace {

using R = settings::SettingsRecord;
using Member = std::variant<short R::*, long R::*, std::string R::*>;

// The record's field of each key of the store.
const std::map<std::string_view, Member>& Members() {
    static const std::map<std::string_view, Member> members{
        {"menu", &R::menu},     {"select", &R::select}, {"insert", &R::insert},
        {"comment", &R::comment}, {"forms", &R::forms}, {"header", &R::header},
        {"ten", &R::ten},       {"add0", &R::add0},     {"add1", &R::add1},
        {"add2", &R::add2},     {"add2a", &R::add2a},   {"add3", &R::add3},
        {"add4", &R::add4},     {"add5", &R::add5},     {"add6", &R::add6},
        {"omit", &R::omit},     {"label1", &R::label1}, {"label2", &R::label2},
        {"modulemb", &R::modulemb},
    };
    return members;
}

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

void Assign(R& record, const Member& member, const std::string& text) {
    std::visit(
        [&](auto pointer) {
            using Field = std::remove_reference_t<decltype(record.*pointer)>;
            if constexpr (std::is_same_v<Field, std::string>) {
                record.*pointer = text;
            } else {
                // Checked already: a whole number in the setting's range.
                record.*pointer = static_cast<Field>(settings::ToInteger32(text));
            }
        },
        member);
}

}  // namespace

QStringList OverrideSettings(const QJsonObject& overrides, settings::SettingsRecord& record) {
    QStringList refused;
    for (auto it = overrides.begin(); it != overrides.end(); ++it) {
        const std::string key = it.key().toStdString();
        const settings::SettingsField* field = settings::FindSettingsField(key);
        const auto member = field == nullptr ? Members().end() : Members().find(field->key);
        if (member == Members().end()) {
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
        Assign(record, member->second, *value);
    }
    return refused;
}

}  // namespace qv::lsp
