// qvaddin settings [get KEY | set KEY VALUE | reset]: every field of the
// settings record with its value and where it comes from, one field's value,
// storing one value, and restoring the defaults.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "app/cli/command.h"
#include "app/cli/console.h"
#include "app/cli/json_text.h"
#include "platform/regular_file.h"
#include "platform/text.h"
#include "platform/unicode_text.h"
#include "settings/code_page_setting.h"
#include "settings/field_source.h"
#include "settings/hot_key.h"
#include "settings/integer_text.h"
#include "settings/reg_settings.h"
#include "settings/setting_checks.h"
#include "settings/settings_fields.h"
#include "settings/settings_operations.h"
#include "settings/settings_record.h"
#include "settings/store_names.h"
#include "settings/store_problem.h"
#include "settings/string_table.h"

namespace qv::cli {

namespace {

using settings::FieldType;
using settings::SettingsField;

const Option kFromFileOption{{"from-file"},
    "set: the value is the text of file F (for multi-line templates); its line breaks "
    "become CR LF and one final line break is dropped.",
    "F"};

std::string Q(std::string_view text) { return std::string(text); }

std::string KeyList() {
    std::string keys;
    for (const SettingsField& field : settings::SettingsFields()) {
        keys += (keys.empty() ? "" : ", ") + std::string(field.key);
    }
    return keys;
}

// The code page is shown apart from the record's fields, as stored: a run
// may replace it (settings/code_page_setting.h).
bool IsRunField(const SettingsField& field) { return field.layer == settings::FieldLayer::Run; }

struct CodePageShown {
    std::string value;   // as stored, or the default's number
    std::string source;  // "stored" or "built-in default"
};

CodePageShown ShownCodePage(settings::StringTable companyDefaults) {
    const SettingsField& field = settings::Field(settings::kCodePageKey);
    const settings::CRegSettings store = settings::SystemStore();
    return {store.GetSetting(settings::kSettingsSection, field.key, field.storedDefault),
            std::string(settings::SourceName(settings::SourceOf(field, companyDefaults)))};
}

const SettingsField& RequireField(const std::string& key) {
    const SettingsField* field = settings::FindSettingsField(key);
    if (field == nullptr) {
        throw CliError(kExitUsage, "unknown setting '" + key +
                                       "'; the settings are " + KeyList());
    }
    return *field;
}

std::string SourceText(const SettingsField& field, settings::FieldSource source) {
    std::string text(settings::SourceName(source));
    if (source == settings::FieldSource::CompanyDefault) {
        text += " (entry " + std::to_string(field.companyEntry) + ")";
    }
    return text;
}

JsonNode JsonValue(const SettingsField& field, const std::string& value) {
    if (field.type == FieldType::Text) return std::string(value);
    return JsonNode(static_cast<std::int64_t>(std::stoll(value)));
}

// The file's problem, refused before anything is written: one that cannot
// be used, or a read-only one (which the superuser could otherwise replace).
void RequireWritableStore() {
    const settings::CRegSettings store = settings::SystemStore();
    if (const auto problem = settings::StoreProblem(store)) {
        throw CliError(kExitBadInput, *problem);
    }
    if (file::IsReadOnlyFile(store.FilePath())) {
        throw CliError(kExitBadInput, store.FilePath() +
                                          " is read-only, so nothing was stored; make it "
                                          "writable (chmod u+w) to change the settings");
    }
}

// The labels as stored, for a new label to be compared with the other one
// (read one by one: another broken setting must not stop the repair).
settings::SettingsRecord StoredLabels() {
    const settings::CRegSettings store = settings::SystemStore();
    settings::SettingsRecord record;
    record.label1 = store.GetSetting(settings::kSettingsSection, "label1", "");
    record.label2 = store.GetSetting(settings::kSettingsSection, "label2", "");
    return record;
}

// Text from a file or standard input: UTF-8, its line breaks as CR LF, one
// final line break dropped.
std::string TemplateText(const std::string& bytes, const std::string& origin) {
    if (!text::IsValidUtf8(bytes)) {
        throw CliError(kExitBadInput,
                       origin + " is not UTF-8 text; settings are stored as UTF-8, so convert it "
                                "first (for example with iconv -f windows-1252 -t utf-8)");
    }
    std::string text = text::ReplaceAll(text::ReplaceAll(bytes, "\r\n", "\n"), "\n", "\r\n");
    if (text::EndsWith(text, "\r\n")) text.resize(text.size() - 2);
    return text;
}

// No setting holds more than a template's 64 KB: a value text is read up to
// a bound well above that, so that a huge file or an endless input fails
// at once instead of filling the memory.
constexpr size_t kLargestValueText = 1024 * 1024;

std::string TooLarge(const std::string& origin) {
    return origin + " holds more than 1 MB; no setting is that long (a template holds at most "
                    "64 KB)";
}

std::string ReadValueFile(const std::string& path) {
    const std::string& local = path;
    std::string bytes;
    file::Kind kind = file::Kind::Missing;
    if (!file::ReadRegularFile(local, bytes, kind, kLargestValueText)) {
        if (kind == file::Kind::Regular && errno == EFBIG) {
            throw CliError(kExitBadInput, TooLarge(path));
        }
        const std::string reason = kind == file::Kind::Missing   ? "it does not exist"
                                   : kind == file::Kind::Regular ? std::strerror(errno)
                                                                 : file::NotRegularReason(kind);
        throw CliError(kExitBadInput, path + " cannot be read: " + reason);
    }
    return TemplateText(bytes, path);
}

std::string ReadStandardInput() {
    std::string bytes;
    if (!file::ReadAll(StandardInputDescriptor(), bytes, kLargestValueText)) {
        throw CliError(kExitBadInput, errno == EFBIG ? TooLarge("standard input")
                                                     : "standard input cannot be read");
    }
    return TemplateText(bytes, "standard input");
}

// An integer field's checked text as plain decimal ("+1" and " 1 " store "1").
std::string PlainInteger(const SettingsField& field, const std::string& value) {
    const settings::IntegerRange range = settings::AllowedRange(field);
    long number = 0;
    settings::ParseInteger(value, range.low, range.high, number);
    return std::to_string(number);
}

void PrintField(std::ostream& out, const SettingsField& field, const std::string& value,
                const std::string& source) {
    const std::vector<std::string> lines = text::SplitLines(value);
    std::string first = std::string(field.key) +
                        std::string(field.key.size() < 9 ? 9 - field.key.size() : 1, ' ') + source;
    if (!lines.front().empty()) {
        first += std::string(source.size() < 29 ? 29 - source.size() : 1, ' ') + lines.front();
    }
    out << first << '\n';
    for (size_t i = 1; i < lines.size(); ++i) out << std::string(38, ' ') << lines[i] << '\n';
}

class SettingsCommand : public Command {
public:
    std::string Name() const override { return "settings"; }
    std::string Summary() const override {
        return "Show the settings and where each value comes from; get, set or reset them.";
    }
    void AddOptions(OptionParser& parser) const override {
        parser.AddPositionalArgument(
            "action",
            std::string(
                "Nothing to show every setting; 'get KEY' for one value; 'set KEY VALUE' to "
                "store one (VALUE '-' reads standard input; put '--' before a negative number; "
                "a backslash followed by n reads back as a line break); 'reset' to store the "
                "built-in templates and remove every other stored setting. Each value is "
                "checked: menu, select, header and ten are 0 or 1, comment 0 to 3, modulemb "
                "(the largest module file read, in MB) 1 to 2047, forms at most 16 flags of 0 "
                "and 1; label1 and label2 are VB identifiers (not keywords, not each other), "
                "templates hold no control characters, their lines are at most 65,536 bytes "
                "and a template 64 KB, insert is one line. Keys: " +
                KeyList() + "."),
            "[get KEY | set KEY VALUE | reset]");
        parser.AddOption(kFromFileOption);
    }

    int Run(CommandContext& context) override {
        const std::vector<std::string>& args = context.arguments;
        const std::string action = args.empty() ? std::string("show") : args.front();
        if (action == "show" && args.size() <= 1) return Show(context);
        if (action == "get" && args.size() == 2) {
            const SettingsField& field = RequireField(args[1]);
            return IsRunField(field) ? GetCodePage(context) : Get(context, field);
        }
        if (action == "set" && (args.size() == 2 || args.size() == 3) &&
            IsRunField(RequireField(args[1]))) {
            return SetCodePage(context);
        }
        if (action == "set" && (args.size() == 2 || args.size() == 3)) return Set(context);
        if (action == "reset" && args.size() == 1) return Reset(context);
        throw CliError(kExitUsage, "use 'qvaddin settings', 'settings get KEY', 'settings set "
                                   "KEY VALUE' or 'settings reset'; 'qvaddin settings --help' "
                                   "tells more");
    }

private:
    static int Show(CommandContext& context) {
        settings::SettingsRecord record;
        settings::GetSettings(record, context.companyDefaults);
        if (context.format == OutputFormat::Json) {
            WriteJson(context.out, ShowJson(record, context.companyDefaults));
        } else {
            ShowText(context.out, record, context.companyDefaults);
        }
        return kExitOk;
    }

    static JsonNode ShowJson(const settings::SettingsRecord& record,
                             settings::StringTable companyDefaults) {
        const settings::CRegSettings store = settings::SystemStore();
        JsonNode fields = JsonNode::array();
        for (const SettingsField& field : settings::SettingsFields()) {
            if (IsRunField(field)) continue;
            JsonNode object{{"key", Q(field.key)},
                               {"value", JsonValue(field, field.value(record))},
                               {"source", Q(settings::SourceName(settings::SourceOf(field, companyDefaults)))}};
            if (field.companyEntry != 0) object["companyEntry"] = field.companyEntry;
            fields.push_back(object);
        }
        const CodePageShown codePage = ShownCodePage(companyDefaults);
        JsonNode out{{"file", std::string(store.FilePath())},
                        {"section", Q(settings::kSettingsSection)},
                        {"overrideAllowed", settings::OverrideAllowed(companyDefaults)},
                        {"fields", fields},
                        {"codePage", JsonNode{{"value", Q(codePage.value)},
                                                 {"source", Q(codePage.source)}}},
                        {"hotKeys", HotKeysJson()}};
        if (const auto problem = settings::StoreProblem(store)) {
            out["problem"] = std::string(*problem);
        }
        return out;
    }

    static void ShowText(std::ostream& out, const settings::SettingsRecord& record,
                         settings::StringTable companyDefaults) {
        const settings::CRegSettings store = settings::SystemStore();
        out << "Settings file: " << store.FilePath() << ", section [" << settings::kSettingsSection
            << "]\n";
        if (const auto problem = settings::StoreProblem(store)) {
            out << "Warning: " << *problem << "\n";
        }
        out << (settings::OverrideAllowed(companyDefaults)
                    ? "Stored values may replace the company defaults of menu, select, insert "
                      "and comment.\n\n"
                    : "The company defaults of menu, select, insert and comment are fixed "
                      "(string-table entry 1): stored values are ignored.\n\n");
        for (const SettingsField& field : settings::SettingsFields()) {
            if (IsRunField(field)) continue;
            PrintField(out, field, field.value(record),
                       SourceText(field, settings::SourceOf(field, companyDefaults)));
        }
        const CodePageShown codePage = ShownCodePage(companyDefaults);
        out << "\nThe code page the VB files are written in (--code-page replaces it for a run):\n"
            << settings::kCodePageKey << std::string(9 - settings::kCodePageKey.size(), ' ')
            << codePage.source << std::string(29 - codePage.source.size(), ' ') << codePage.value
            << '\n';
        out << "\nHot keys (company defaults, string-table entries 15-20):\n";
        for (int i = 0; i < settings::kHotKeyCount; ++i) {
            const settings::HotKey spec = settings::HotKeyFromTable(i);
            const std::string_view name = settings::HotKeyCommandName(i);
            out << "  " << name << std::string(20 - name.size(), ' ')
                << (spec.Defined() ? spec.keys : "(none)") << '\n';
        }
    }

    static JsonNode HotKeysJson() {
        JsonNode keys = JsonNode::array();
        for (int i = 0; i < settings::kHotKeyCount; ++i) {
            const settings::HotKey spec = settings::HotKeyFromTable(i);
            keys.push_back(JsonNode{
                {"command", Q(settings::HotKeyCommandName(i))},
                {"entry", settings::kFirstHotKeyEntry + i},
                {"keys", std::string(spec.keys)},
                {"keyCode", spec.keyCode},
                {"modifiers", spec.modifiers}});
        }
        return keys;
    }

    static int Get(CommandContext& context, const SettingsField& field) {
        settings::SettingsRecord record;
        settings::GetSettings(record, context.companyDefaults);
        const std::string value = field.value(record);
        if (context.format == OutputFormat::Json) {
            WriteJson(context.out,
                      JsonNode{{"key", Q(field.key)},
                                  {"value", JsonValue(field, value)},
                                  {"source", Q(settings::SourceName(settings::SourceOf(field, context.companyDefaults)))}});
        } else {
            context.out << text::ReplaceAll(value, "\r\n", "\n") << '\n';
        }
        return kExitOk;
    }

    static int GetCodePage(CommandContext& context) {
        const CodePageShown codePage = ShownCodePage(context.companyDefaults);
        if (context.format == OutputFormat::Json) {
            WriteJson(context.out, JsonNode{{"key", Q(settings::kCodePageKey)},
                                               {"value", Q(codePage.value)},
                                               {"source", Q(codePage.source)}});
        } else {
            context.out << codePage.value << '\n';
        }
        return kExitOk;
    }

    // Stored as the code page's number, whatever name it was given by.
    static int SetCodePage(CommandContext& context) {
        if (context.arguments.size() != 3 || context.parser.IsSet(kFromFileOption)) {
            throw CliError(kExitUsage, "give the code page as VALUE: 'qvaddin settings set " +
                                           std::string(settings::kCodePageKey) + " 932'");
        }
        const SettingsField& field = settings::Field(settings::kCodePageKey);
        const std::string& given = context.arguments[2];
        if (const auto problem = settings::ValueProblem(field, given, {})) {
            throw CliError(kExitUsage, *problem + "; nothing was stored");
        }
        const auto page = text::CodePage::Named(given);
        RequireWritableStore();
        settings::CRegSettings store = settings::SystemStore();
        const std::string value = std::to_string(page->Number());
        if (!context.dryRun &&
            !store.SaveSetting(settings::kSettingsSection, settings::kCodePageKey, value)) {
            throw CliError(kExitBadInput, "could not write " + store.FilePath());
        }
        if (context.format == OutputFormat::Json) {
            WriteJson(context.out, JsonNode{{"key", Q(settings::kCodePageKey)},
                                               {"value", Q(value)},
                                               {"file", std::string(store.FilePath())},
                                               {"stored", !context.dryRun},
                                               {"used", true}});
        } else {
            context.out << (context.dryRun ? "Would store " : "Stored ") << settings::kCodePageKey
                        << " = " << page->Description() << " in "
                        << store.FilePath() << '\n';
        }
        return kExitOk;
    }

    static int Set(CommandContext& context) {
        const SettingsField& field = RequireField(context.arguments[1]);
        const bool fromFile = context.parser.IsSet(kFromFileOption);
        if (fromFile == (context.arguments.size() == 3)) {
            throw CliError(kExitUsage, "give the value either as VALUE or with --from-file F");
        }
        std::string value = fromFile ? ReadValueFile(context.parser.Value(kFromFileOption))
                            : context.arguments[2] == "-" ? ReadStandardInput()
                                                           : context.arguments[2];
        if (const auto problem = settings::ValueProblem(field, value, StoredLabels())) {
            throw CliError(kExitUsage, *problem + "; nothing was stored");
        }
        if (field.type != FieldType::Text) value = PlainInteger(field, value);
        RequireWritableStore();
        settings::CRegSettings store = settings::SystemStore();
        const bool used =
            field.layer != settings::FieldLayer::Company || settings::OverrideAllowed(context.companyDefaults);
        if (!context.dryRun && !store.SaveSetting(settings::kSettingsSection, field.key, value)) {
            throw CliError(kExitBadInput, "could not write " + store.FilePath());
        }
        if (context.format == OutputFormat::Json) {
            WriteJson(context.out,
                      JsonNode{{"key", Q(field.key)},
                                  {"value", JsonValue(field, value)},
                                  {"file", std::string(store.FilePath())},
                                  {"stored", !context.dryRun},
                                  {"used", used}});
        } else {
            const size_t lines = text::SplitLines(value).size();
            context.out << (context.dryRun ? "Would store " : "Stored ") << field.key
                        << (lines > 1 ? " (" + std::to_string(lines) + " lines)" : " = " + value)
                        << " in " << store.FilePath() << '\n';
        }
        if (!used) {
            context.err << "qvaddin: note: the company defaults of " << field.key
                        << " are fixed (string-table entry 1), so the stored value is not used\n";
        }
        return kExitOk;
    }

    static int Reset(CommandContext& context) {
        RequireWritableStore();
        const settings::CRegSettings store = settings::SystemStore();
        if (!context.dryRun) {
            settings::DefaultSettings();
            if (!store.HasSetting(settings::kSettingsSection, "label2")) {
                throw CliError(kExitBadInput, "could not write " + store.FilePath());
            }
        }
        if (context.format == OutputFormat::Json) {
            WriteJson(context.out, JsonNode{{"file", std::string(store.FilePath())},
                                               {"reset", !context.dryRun}});
        } else {
            context.out << (context.dryRun ? "Would reset " : "Reset ") << store.FilePath()
                        << ": the templates, labels and omit list hold their built-in texts, and "
                           "every other setting takes its default.\n";
        }
        return kExitOk;
    }
};

}  // namespace

QV_REGISTER_COMMAND("settings", SettingsCommand);

}  // namespace qv::cli
