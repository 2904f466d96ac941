#include "lsp/settings_overrides.h"

#include <charconv>
#include <map>
#include <variant>

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
    };
    return members;
}

std::string ValueText(const QJsonValue& value) {
    if (value.isDouble()) return std::to_string(static_cast<long long>(value.toDouble()));
    if (value.isBool()) return value.toBool() ? "1" : "0";
    return value.toString().toUtf8().toStdString();
}

void Assign(R& record, const Member& member, const std::string& text) {
    std::visit(
        [&](auto pointer) {
            using Field = std::remove_reference_t<decltype(record.*pointer)>;
            if constexpr (std::is_same_v<Field, std::string>) {
                record.*pointer = text;
            } else {
                long long number = 0;
                std::from_chars(text.data(), text.data() + text.size(), number);
                record.*pointer = static_cast<Field>(number);
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
        const std::string value = ValueText(it.value());
        if (const auto problem = settings::ValueProblem(*field, value, record)) {
            refused << "setting " + it.key() + ": " + QString::fromUtf8(*problem);
            continue;
        }
        Assign(record, member->second, value);
    }
    return refused;
}

}  // namespace qv::lsp
