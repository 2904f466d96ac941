#include "host/files/diff_label.h"

#include <algorithm>

namespace qv::host::files {

namespace {

bool NeedsQuotes(unsigned char c) {
    return c < 0x20 || c == '"' || c == '\\' || c >= 0x7f;
}

void AppendEscaped(std::string& out, unsigned char c) {
    static constexpr std::string_view kLetters = "abtnvfr";  // 7 to 13
    out += '\\';
    if (c >= 7 && c <= 13) {
        out += kLetters[c - 7];
    } else if (c == '"' || c == '\\') {
        out += static_cast<char>(c);
    } else {
        out += static_cast<char>('0' + (c >> 6));
        out += static_cast<char>('0' + ((c >> 3) & 7));
        out += static_cast<char>('0' + (c & 7));
    }
}

}  // namespace

std::string DiffLabel(std::string_view prefix, std::string_view path) {
    const std::string name = std::string(prefix).append(path);
    const bool quoted = std::any_of(name.begin(), name.end(), [](char c) {
        return NeedsQuotes(static_cast<unsigned char>(c));
    });
    std::string label;
    if (quoted) {
        label.push_back('"');
        for (const char c : name) {
            const auto byte = static_cast<unsigned char>(c);
            if (NeedsQuotes(byte)) {
                AppendEscaped(label, byte);
            } else {
                label += c;
            }
        }
        label += '"';
    } else {
        label = name;
    }
    // A space would end the name for patch: the tab says where it ends.
    if (name.find(' ') != std::string::npos) label += '\t';
    return label;
}

}  // namespace qv::host::files
