#include "host/received_line.h"

#include <array>

#include "host/memory/vb_syntax.h"
#include "platform/text.h"

namespace qv::host {

using memory::IsCommentStart;
using memory::IsIdentifierChar;
using memory::SkipBlanks;

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Statement keywords that may stand directly before a colon without being a label.
bool IsKeyword(std::string_view word) {
    // Not "Error": its statement needs an error number, so "Error:" is a
    // label (the target of "On Error GoTo Error" in real code).
    static constexpr std::array<std::string_view, 23> kKeywords = {
        "Beep", "Call",  "Case",   "Close",  "Debug", "Do",   "Else",  "End",
        "Exit", "GoSub", "GoTo",   "Loop",   "Next",  "On",   "Print", "Randomize",
        "Rem",  "Reset", "Resume", "Return", "Stop",  "Wend", "With"};
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

// Appends the line with its tabs outside string literals and comments
// expanded to the next tab stop (counted from where the line starts in out).
void AppendExpanded(std::string& out, std::string_view line, size_t width) {
    const size_t base = out.size();
    const auto column = [&] { return out.size() - base; };
    // The blanks that start the line stand outside any string or comment;
    // only the bytes up to the last tab are read one by one.
    size_t i = 0;
    size_t blanks = 0;
    for (; i < line.size() && IsBlank(line[i]); ++i) {
        blanks += line[i] == ' ' ? 1 : width - blanks % width;
    }
    out.append(blanks, ' ');
    if (line.find('\t', i) == std::string_view::npos) {
        out.append(line.substr(i));
        return;
    }
    bool inString = false;
    bool inComment = false;
    bool statementStart = true;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (!inString && !inComment) {
            if (c == '\'')
                inComment = true;
            else if (statementStart && (c == 'R' || c == 'r') && IsCommentStart(line.substr(i)))
                inComment = true;
        }
        if (c == '"' && !inComment) inString = !inString;
        if (c == '\t' && !inString && !inComment) {
            out.append(width - column() % width, ' ');
        } else {
            out.push_back(c);
        }
        if (!inString && !inComment) {
            if (c == ':')
                statementStart = true;
            else if (!IsBlank(c))
                statementStart = false;
        }
        // Past the last tab the rest is copied as it is.
        if (c == '\t' && line.find('\t', i + 1) == std::string_view::npos) {
            out.append(line.substr(i + 1));
            return;
        }
    }
}

}  // namespace

void AppendReceivedLine(std::string& out, std::string_view line, int tabWidth,
                        bool isContinuation) {
    if (tabWidth < 1) tabWidth = 1;
    // Trailing blanks go, and a tab expands to blanks wherever it stands:
    // they go before the expansion, which reads the line left to right.
    size_t end = line.size();
    while (end > 0 && IsBlank(line[end - 1])) --end;
    line = line.substr(0, end);
    const size_t start = out.size();
    // Most lines hold no tab: they are stored as they are, in one copy.
    if (line.find('\t') == std::string_view::npos) {
        out.append(line);
    } else {
        AppendExpanded(out, line, static_cast<size_t>(tabWidth));
    }
    const std::string_view stored(out.data() + start, out.size() - start);
    const std::string_view body = SkipBlanks(stored);
    // A label other than a line number ends with a colon: a line without
    // one is passed without a closer look.
    if (!isContinuation && !body.empty() && body.size() != stored.size() &&
        ((body[0] >= '0' && body[0] <= '9') || body.find(':') != std::string_view::npos) &&
        StartsWithLabel(body)) {
        out.erase(start, stored.size() - body.size());
    }
}

std::string TidyReceivedLine(std::string_view line, int tabWidth, bool isContinuation) {
    std::string out;
    // Room for a few tabs' blanks (a line short enough to be held in the
    // string itself stays there).
    out.reserve(line.find('\t') == std::string_view::npos ? line.size() : line.size() + 12);
    AppendReceivedLine(out, line, tabWidth, isContinuation);
    return out;
}

bool IsContinuedLine(std::string_view line) {
    return memory::IsContinued(line);
}

std::string LineLabel(std::string_view line) {
    const std::string_view t = SkipBlanks(line);
    if (t.empty() || (t[0] >= '0' && t[0] <= '9') || !StartsWithLabel(t)) return {};
    return std::string(t.substr(0, t.find(':')));
}

}  // namespace qv::host
