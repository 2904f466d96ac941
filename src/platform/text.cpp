#include "platform/text.h"

#include "platform/line_views.h"

#include <charconv>

namespace qv::text {

std::string_view TrimBlanks(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string ToUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = AsciiUpper(c);
    return out;
}

std::string ToLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = AsciiLower(c);
    return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

bool StartsWithIgnoreCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsIgnoreCase(s.substr(0, prefix.size()), prefix);
}

bool EndsWithIgnoreCase(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() &&
           EqualsIgnoreCase(s.substr(s.size() - suffix.size()), suffix);
}

size_t FindIgnoreCase(std::string_view s, std::string_view needle, size_t from) {
    if (needle.empty()) return from <= s.size() ? from : std::string_view::npos;
    if (needle.size() > s.size()) return std::string_view::npos;
    const char first = AsciiLower(needle[0]);
    for (size_t i = from; i + needle.size() <= s.size(); ++i) {
        if (AsciiLower(s[i]) == first && EqualsIgnoreCase(s.substr(i, needle.size()), needle)) {
            return i;
        }
    }
    return std::string_view::npos;
}

bool ContainsIgnoreCase(std::string_view s, std::string_view needle) {
    return FindIgnoreCase(s, needle) != std::string_view::npos;
}

std::vector<std::string> SplitLines(std::string_view s) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        size_t p = s.find(kCrLf, start);
        if (p == std::string_view::npos) {
            lines.emplace_back(s.substr(start));
            return lines;
        }
        lines.emplace_back(s.substr(start, p - start));
        start = p + 2;
    }
}

std::vector<std::string_view> SplitLineViews(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t at; (at = text.find(kCrLf, start)) != std::string_view::npos; start = at + 2) {
        lines.push_back(text.substr(start, at - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string out;
    size_t total = 0;
    for (const auto& l : lines) total += l.size() + 2;
    out.reserve(total);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) out.append(kCrLf);
        out.append(lines[i]);
    }
    return out;
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(s);
    std::string out;
    out.reserve(s.size());
    size_t start = 0;
    while (true) {
        size_t p = s.find(from, start);
        if (p == std::string_view::npos) break;
        out.append(s.substr(start, p - start)).append(to);
        start = p + from.size();
    }
    out.append(s.substr(start));
    return out;
}

bool ParseLong(std::string_view s, long& value) {
    s = Trim(s);
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && ptr == s.data() + s.size();
}

}  // namespace qv::text
