#include "settings/setting_checks.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "host/host_constants.h"
#include "platform/text.h"
#include "settings/code_page_setting.h"
#include "settings/integer_text.h"

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

// Control characters: the C0 bytes and DEL. A tab is text in VB code.
bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte == 0x7f;
}

std::string ByteName(char c) {
    static const char* const kHex = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(c);
    std::string name = "0x";
    name += kHex[byte >> 4];
    name += kHex[byte & 15];
    if (c == '\0') name += ", a NUL byte";
    if (c == '\r' || c == '\n') name += ", a line break that is not CR LF";
    if (c == '\x1b') name += ", an escape";
    return name;
}

std::optional<std::string> IntegerProblem(const SettingsField& field, std::string_view value) {
    const IntegerRange allowed = AllowedRange(field);
    long number = 0;
    // Whole numbers only here, though a stored "1.5" would read as 2.
    const bool whole = value.find_first_of(".eE") == std::string_view::npos;
    if (whole && ParseInteger(value, allowed.low, allowed.high, number) == IntegerText::Number) {
        return std::nullopt;
    }
    const std::string words = !field.rangeText.empty() ? std::string(field.rangeText)
                                                       : "a whole number from " +
                                                     std::to_string(allowed.low) + " to " +
                                                     std::to_string(allowed.high);
    return "'" + std::string(value.substr(0, 40)) + (value.size() > 40 ? "..." : "") +
           "' is not a valid " + std::string(field.key) + ": it must be " + words +
           " (for example " + std::string(field.example) + ")";
}

std::optional<std::string> FormsProblem(std::string_view value) {
    constexpr size_t kWindowTypes = 16;
    if (value.size() <= kWindowTypes && value.find_first_not_of("01") == std::string_view::npos) {
        return std::nullopt;
    }
    return "forms " + Shown(value) +
           " is not a set of window flags: it must be at most 16 characters, each 1 (close "
           "that window type) or 0 (leave it), for example 1111110111111110";
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
        const auto control = std::find_if(lines[i].begin(), lines[i].end(), IsControl);
        if (control != lines[i].end()) {
            return std::string(key) + ": line " + std::to_string(i + 1) +
                   " holds a control character (" + ByteName(*control) +
                   "), which would end up in the code; lines are separated by CR LF";
        }
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
    if (std::any_of(value.begin(), value.end(), IsControl)) {
        return "insert " + Shown(value) +
               " must be one line without control characters: it is added to the end of a "
               "code line";
    }
    if (value.size() > host::kLongestCodeLine / 2) {
        return "insert is " + std::to_string(value.size()) +
               " bytes long; a stamp may be at most 32 KB";
    }
    return std::nullopt;
}

std::optional<std::string> CodePageProblem(std::string_view value) {
    std::string problem;
    if (ParseCodePageSetting(value, problem)) return std::nullopt;
    return problem;
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
    switch (field.check) {
        case FieldCheck::Range: return IntegerProblem(field, value);
        case FieldCheck::Flags: return FormsProblem(value);
        case FieldCheck::Label: return LabelProblem(field.key, value, other);
        case FieldCheck::Template: return TemplateProblem(field.key, value);
        case FieldCheck::Stamp: return StampProblem(value);
        case FieldCheck::CodePage: return CodePageProblem(value);
    }
    return std::nullopt;
}

IntegerRange AllowedRange(const SettingsField& field) {
    if (field.check == FieldCheck::Range && field.low < field.high) return {field.low, field.high};
    return {FieldMinimum(field), FieldMaximum(field)};
}

std::optional<std::string> RecordProblem(const SettingsRecord& record,
                                         std::initializer_list<std::string_view> keys) {
    for (const SettingsField& field : SettingsFields()) {
        if (keys.size() != 0 && std::find(keys.begin(), keys.end(), field.key) == keys.end()) {
            continue;
        }
        // Routine names to omit never reach code; numbers and flags are not judged.
        const bool reachesCode = field.check == FieldCheck::Label ||
                                 field.check == FieldCheck::Stamp ||
                                 (field.check == FieldCheck::Template && field.key != "omit");
        if (!reachesCode) continue;
        if (auto problem = ValueProblem(field, field.value(record), record)) return problem;
    }
    return std::nullopt;
}

bool IsReservedWord(std::string_view name) {
    return std::any_of(kReserved.begin(), kReserved.end(),
                       [name](std::string_view word) { return text::EqualsIgnoreCase(word, name); });
}

}  // namespace qv::settings
