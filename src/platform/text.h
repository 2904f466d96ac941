#pragma once
// Byte-string helpers in the sense of the VB run time. Code is kept as the
// file's bytes; keywords are ASCII, so case folding is ASCII only. "Trim"
// removes spaces only: tabs and line breaks stay.

#include <string>
#include <string_view>
#include <vector>

namespace qv::text {

inline constexpr std::string_view kCrLf = "\r\n";

// Inline: the routine readers trim every line they pass.
inline std::string_view LTrim(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    return s.substr(i);
}
inline std::string_view RTrim(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return s.substr(0, n);
}
inline std::string_view Trim(std::string_view s) { return RTrim(LTrim(s)); }
// Spaces and tabs removed at both ends, where a rule treats tabs as blanks.
std::string_view TrimBlanks(std::string_view s);

// Inline: the searches and name orders fold a byte at a time in their
// inner loops.
constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
std::string ToUpper(std::string_view s);
std::string ToLower(std::string_view s);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

inline bool StartsWith(std::string_view s, std::string_view prefix) { return s.starts_with(prefix); }
inline bool EndsWith(std::string_view s, std::string_view suffix) { return s.ends_with(suffix); }
bool StartsWithIgnoreCase(std::string_view s, std::string_view prefix);
bool EndsWithIgnoreCase(std::string_view s, std::string_view suffix);

// Position of needle in s at or after from, ignoring ASCII case; npos if absent.
size_t FindIgnoreCase(std::string_view s, std::string_view needle, size_t from = 0);
bool ContainsIgnoreCase(std::string_view s, std::string_view needle);

// Splits at CR LF, keeping empty pieces: "" gives one empty line, "a\r\n" two.
std::vector<std::string> SplitLines(std::string_view s);
// Joins with CR LF between the lines (none after the last).
std::string JoinLines(const std::vector<std::string>& lines);

// Every occurrence of from replaced by to, left to right, case-sensitive.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

// True when the text parses completely as a decimal integer (spaces around
// allowed, as the VB conversion allows them).
bool ParseLong(std::string_view s, long& value);

}  // namespace qv::text
