#include "lsp/code_page_option.h"

#include "settings/code_page_setting.h"

namespace qv::lsp {

namespace {

const std::string kKey(settings::kCodePageKey);

// The option's value: the top level's, else that among the settings.
const Json& OptionValue(const Json& options) {
    if (Has(options, kKey)) return Member(options, kKey);
    return Member(ObjectAt(options, "settings"), kKey);
}

// A number as its digits (the whole part), anything else as its text ("" for
// what is no text).
std::string OptionText(const Json& value) {
    if (value.is_number_integer()) return std::to_string(value.get<long long>());
    if (value.is_number()) return std::to_string(static_cast<long long>(value.get<double>()));
    return StringOf(value);
}

}  // namespace

text::CodePage SessionCodePage(const Json& initializationOptions,
                               std::vector<std::string>& problems) {
    const bool given = Has(initializationOptions, kKey) ||
                       Has(ObjectAt(initializationOptions, "settings"), kKey);
    std::string problem;
    if (given) {
        const std::string text = OptionText(OptionValue(initializationOptions));
        if (const auto page = settings::ParseCodePageSetting(text, problem)) return *page;
        problems.push_back(kKey + ": " + problem + "; the stored setting is used instead");
        problem.clear();
    }
    if (const auto stored = settings::StoredCodePage(problem)) return *stored;
    problems.push_back(problem + "; Windows-1252 is used instead");
    return text::CodePage::Windows1252();
}

Json WithoutCodePage(Json settings) {
    if (settings.is_object()) settings.erase(kKey);
    return settings;
}

}  // namespace qv::lsp
