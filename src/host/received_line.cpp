#include "host/received_line.h"

#include <array>

#include "host/memory/vb_syntax.h"
#include "platform/text.h"

namespace qv::host {

using memory::IsCommentStart;
using memory::IsIdentifierChar;
using memory::SkipBlanks;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Statement keywords that may stand directly before a colon without being a label.
bool IsKeyword(std::string_view word) {
    // Not "Error": its statement needs an error number, so "Error:" is a
    // label (the target of "On Error GoTo Error" in real code).
    static constexpr std::array<std::string_view, 23> kKeywords = {
        "Beep", "Call", "Case", "Close", "Debug", "Do", "Else", "End", "Exit",
        "GoSub", "GoTo", "Loop", "Next", "On", "Print", "Randomize", "Rem", "Reset", "Resume",
        "Return", "Stop", "Wend", "With"};
    for (std::string_view k : kKeywords) {
        if (text::EqualsIgnoreCase(word, k)) return true;
    }
    return false;
}

// True when the (blank-stripped) text starts with a line label or a line number.
bool StartsWithLabel(std::string_view t) {
    if (t.empty()) return false;
    size_t n = 0;
    if (t[0] >= '0' && t[0] <= '9') {
        while (n < t.size() && t[n] >= '0' && t[n] <= '9') ++n;
        return n == t.size() || IsBlank(t[n]) || t[n] == ':';
    }
    while (n < t.size() && IsIdentifierChar(t[n])) ++n;
    if (n == 0 || n >= t.size() || t[n] != ':') return false;
    if (n + 1 < t.size() && t[n + 1] == '=') return false;  // a named argument
    return !IsKeyword(t.substr(0, n));
}

// Expands tabs outside string literals and comments to the next tab stop.
std::string ExpandTabs(std::string_view line, int tabWidth) {
    std::string out;
    out.reserve(line.size() + 8);
    bool inString = false;
    bool inComment = false;
    bool statementStart = true;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (!inString && !inComment) {
            if (c == '\'') inComment = true;
            else if (statementStart && (c == 'R' || c == 'r') && IsCommentStart(line.substr(i)))
                inComment = true;
        }
        if (c == '"' && !inComment) inString = !inString;
        if (c == '\t' && !inString && !inComment) {
            const size_t width = static_cast<size_t>(tabWidth);
            out.append(width - out.size() % width, ' ');
        } else {
            out.push_back(c);
        }
        if (!inString && !inComment) {
            if (c == ':') statementStart = true;
            else if (!IsBlank(c)) statementStart = false;
        }
    }
    return out;
}

}  // namespace

std::string TidyReceivedLine(std::string_view line, int tabWidth, bool isContinuation) {
    if (tabWidth < 1) tabWidth = 1;
    std::string out = line.find('\t') == std::string_view::npos ? std::string(line)
                                                                 : ExpandTabs(line, tabWidth);
    size_t end = out.size();
    while (end > 0 && IsBlank(out[end - 1])) --end;
    out.resize(end);
    const std::string_view body = SkipBlanks(out);
    if (!isContinuation && body.size() != out.size() && StartsWithLabel(body)) out = std::string(body);
    return out;
}

bool IsContinuedLine(std::string_view line) { return memory::IsContinued(line); }

std::string LineLabel(std::string_view line) {
    const std::string_view t = SkipBlanks(line);
    if (t.empty() || (t[0] >= '0' && t[0] <= '9') || !StartsWithLabel(t)) return {};
    return std::string(t.substr(0, t.find(':')));
}

}  // namespace qv::host
