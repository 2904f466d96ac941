#include "settings/hot_key.h"

#include <array>

#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/string_table.h"

namespace qv::settings {

HotKey ParseHotKey(std::string_view entry) {
    const std::string upper = text::ToUpper(entry);
    const size_t comma = upper.find(',');
    const std::string_view key = text::Trim(std::string_view(upper).substr(0, comma));
    const std::string_view letters =
        comma == std::string::npos ? std::string_view() : std::string_view(upper).substr(comma + 1);
    HotKey spec;
    if (key.empty()) return spec;
    spec.keyCode = static_cast<unsigned char>(key.front());
    const auto add = [&](char letter, int flag, std::string_view name) {
        if (letters.find(letter) == std::string_view::npos) return;
        spec.modifiers += flag;
        if (!spec.keys.empty()) spec.keys += '+';
        spec.keys += name;
    };
    add('C', 2, "Ctrl");
    add('A', 1, "Alt");
    add('S', 4, "Shift");
    if (!spec.keys.empty()) spec.keys += '+';
    spec.keys += key;
    spec.caption = " (" + spec.keys + ")";
    return spec;
}

HotKey HotKeyFromTable(int index, StringTable table) try {
    return ParseHotKey(LoadRes(kFirstHotKeyEntry + index, table));
} QV_PASS_UP("AddIn", "HotKeyFromTable")

std::string_view HotKeyCommandName(int index) {
    static constexpr std::array<std::string_view, kHotKeyCount> kNames = {
        "Add Error Handling", "Add Line Numbers", "Tidy Procedure",
        "Add Comment",        "Close Windows",    "Find"};
    return index >= 0 && index < kHotKeyCount ? kNames[static_cast<size_t>(index)] : "";
}

}  // namespace qv::settings
