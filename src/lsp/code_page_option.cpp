#include "lsp/code_page_option.h"

#include "settings/code_page_setting.h"

namespace qv::lsp {

namespace {

constexpr auto kKey = settings::kCodePageKey;

QString Key() {
    return QString::fromLatin1(kKey.data(), static_cast<qsizetype>(kKey.size()));
}

// The option's value: the top level's, else that among the settings.
QJsonValue OptionValue(const QJsonObject& options) {
    if (options.contains(Key())) return options.value(Key());
    return options.value("settings").toObject().value(Key());
}

}  // namespace

text::CodePage SessionCodePage(const QJsonObject& initializationOptions, QStringList& problems) {
    const QJsonValue value = OptionValue(initializationOptions);
    std::string problem;
    if (!value.isUndefined()) {
        const std::string text = value.isDouble()
                                     ? std::to_string(static_cast<long long>(value.toDouble()))
                                     : value.toString().toStdString();
        if (const auto page = settings::ParseCodePageSetting(text, problem)) return *page;
        problems << Key() + ": " + QString::fromStdString(problem) +
                        "; the stored setting is used instead";
        problem.clear();
    }
    if (const auto stored = settings::StoredCodePage(problem)) return *stored;
    problems << QString::fromStdString(problem) + "; Windows-1252 is used instead";
    return text::CodePage::Windows1252();
}

QJsonObject WithoutCodePage(QJsonObject settings) {
    settings.remove(Key());
    return settings;
}

}  // namespace qv::lsp
