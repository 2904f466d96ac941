#include "settings/ini_check.h"

#include <algorithm>
#include <string>

namespace qv::settings {

namespace {

bool IsIniLine(std::string_view line) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.empty() || line.front() == ';') return true;
    if (line.front() == '[') return line.find(']') != std::string_view::npos;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == ';') return false;  // the rest is a comment: no "=" before it
        if (c == '=') return true;
    }
    return false;
}

}  // namespace

std::optional<size_t> FirstNonIniLine(std::string_view bytes) {
    std::string logical;  // a line and the lines that continue it
    size_t logicalStart = 1;
    size_t lineNumber = 1;
    for (size_t pos = 0; pos < bytes.size(); ++lineNumber) {
        const size_t end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end;
        if (pos < bytes.size()) pos += bytes.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
        const bool continues = !line.empty() && line.back() == '\\' && pos < bytes.size();
        if (continues) line.remove_suffix(1);
        logical.append(line);
        if (continues) continue;
        if (!IsIniLine(logical)) return logicalStart;
        logical.clear();
        logicalStart = lineNumber + 1;
    }
    return std::nullopt;
}

}  // namespace qv::settings
