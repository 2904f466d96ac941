#include "settings/setting_checks.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "host/host_constants.h"
#include "platform/text.h"

namespace qv::settings {

namespace {

constexpr size_t kLongestName = 255;
constexpr size_t kLongestTemplate = 64 * 1024;

// Words that VB reserves: none of them can label a line.
constexpr std::array<std::string_view, 105> kReserved = {
    "AddressOf", "And",      "Any",        "As",     "Boolean",    "ByRef",    "Byte",
    "ByVal",     "Call",     "Case",       "CBool",  "CByte",      "CCur",     "CDate",
    "CDbl",      "CDec",     "CInt",       "CLng",   "Close",      "Const",    "CSng",
    "CStr",      "Currency", "CVar",       "Date",   "Debug",      "Decimal",  "Declare",
    "DefBool",   "Dim",      "Do",         "Double", "Each",       "Else",     "ElseIf",
    "Empty",     "End",      "Enum",       "Eqv",    "Erase",      "Error",    "Event",
    "Exit",      "False",    "For",        "Friend", "Function",   "Get",      "Global",
    "GoSub",     "GoTo",     "If",         "Imp",    "Implements", "In",       "Integer",
    "Is",        "Let",      "Like",       "Long",   "Loop",       "LSet",     "Me",
    "Mod",       "New",      "Next",       "Not",    "Nothing",    "Null",     "Object",
    "On",        "Option",   "Optional",   "Or",     "ParamArray", "Preserve", "Private",
    "Property",  "Public",   "RaiseEvent", "ReDim",  "Rem",        "Resume",   "Return",
    "RSet",      "Select",   "Set",        "Single", "Static",     "Step",     "Stop",
    "String",    "Sub",      "Then",       "To",     "True",       "Type",     "TypeOf",
    "Until",     "Variant",  "Wend",       "While",  "With",       "WithEvents", "Xor"};

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string Shown(std::string_view value) {
    constexpr size_t kShown = 40;
    std::string shown(value.substr(0, kShown));
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    return "\"" + shown + (value.size() > kShown ? "...\"" : "\"");
}

bool IsLabelField(std::string_view key) {
    return key == "label1" || key == "label2";
}

bool IsTemplateField(std::string_view key) {
    return key.size() >= 4 && key.substr(0, 3) == "add" && key != "add5";
}

std::optional<std::string> LabelProblem(std::string_view key, std::string_view value,
                                        const SettingsRecord& other) {
    if (!IsVbLabel(value)) {
        return std::string(key) + " " + Shown(value) +
               " is not a VB label: it must be one word of letters, digits and \"_\" that "
               "begins with a letter (at most 255 characters) and is no VB keyword, for "
               "example " +
               (key == "label1" ? "Exit_Routine" : "Error_Routine");
    }
    const std::string& partner = key == "label1" ? other.label2 : other.label1;
    if (text::EqualsIgnoreCase(value, partner)) {
        return std::string(key) + " " + Shown(value) + " is the same as " +
               (key == "label1" ? "label2" : "label1") +
               ": a routine cannot hold one label twice; choose another name";
    }
    return std::nullopt;
}

std::optional<std::string> TemplateProblem(std::string_view key, std::string_view value) {
    if (std::memchr(value.data(), '\0', value.size()) != nullptr) {
        return std::string(key) + " holds a NUL byte, which no module file may hold";
    }
    const std::vector<std::string> lines = text::SplitLines(value);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].size() > host::kLongestCodeLine) {
            return std::string(key) + ": line " + std::to_string(i + 1) + " is " +
                   std::to_string(lines[i].size()) +
                   " bytes long, more than a module line may be (65,536 bytes)";
        }
    }
    if (value.size() > kLongestTemplate) {
        return std::string(key) + " is " + std::to_string(value.size()) +
               " bytes long; a template may hold at most 64 KB";
    }
    return std::nullopt;
}

std::optional<std::string> StampProblem(std::string_view value) {
    if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
        return "insert " + Shown(value) +
               " must be one line without NUL bytes: it is added to the end of a code line";
    }
    if (value.size() > host::kLongestCodeLine / 2) {
        return "insert is " + std::to_string(value.size()) +
               " bytes long; a stamp may be at most 32 KB";
    }
    return std::nullopt;
}

}  // namespace

bool IsVbLabel(std::string_view name) {
    if (name.empty() || name.size() > kLongestName || !IsLetter(name.front())) return false;
    const bool word = std::all_of(name.begin(), name.end(), [](char c) {
        return IsLetter(c) || (c >= '0' && c <= '9') || c == '_';
    });
    return word && !IsReservedWord(name);
}

std::optional<std::string> ValueProblem(const SettingsField& field, std::string_view value,
                                        const SettingsRecord& other) {
    if (IsLabelField(field.key)) return LabelProblem(field.key, value, other);
    if (IsTemplateField(field.key)) return TemplateProblem(field.key, value);
    if (field.key == "insert") return StampProblem(value);
    return std::nullopt;
}

std::optional<std::string> RecordProblem(const SettingsRecord& record,
                                         std::initializer_list<std::string_view> keys) {
    for (const SettingsField& field : SettingsFields()) {
        if (keys.size() != 0 && std::find(keys.begin(), keys.end(), field.key) == keys.end()) {
            continue;
        }
        if (auto problem = ValueProblem(field, field.value(record), record)) return problem;
    }
    return std::nullopt;
}

bool IsReservedWord(std::string_view name) {
    return std::any_of(kReserved.begin(), kReserved.end(),
                       [name](std::string_view word) { return text::EqualsIgnoreCase(word, name); });
}

}  // namespace qv::settings
