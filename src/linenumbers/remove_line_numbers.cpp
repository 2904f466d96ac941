#include "linenumbers/remove_line_numbers.h"

#include <algorithm>
#include <string_view>

#include "host/procedure_shape.h"
#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::linenumbers {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number in the sense of the run time's numeric test, with blanks
// around it allowed: digits, an optional fraction and an optional exponent.
bool IsNumeric(std::string_view s) {
    s = text::Trim(s);
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        size_t exponent = 0;
        while (i < s.size() && IsDigit(s[i])) ++i, ++exponent;
        if (exponent == 0) return false;
    }
    return i == s.size();
}

// The first word of the line (words are separated by runs of spaces; tabs
// belong to the words). Empty when the line is empty or holds only spaces;
// hasWords is false only for the empty line.
std::string_view FirstWord(std::string_view line, bool& hasWords) {
    hasWords = !line.empty();
    const std::string_view t = text::Trim(line);
    return t.substr(0, t.find(' '));
}

// The line number that the word is, colon included ("12" or "12:"), or
// nothing.
bool IsLineNumber(std::string_view word) {
    if (word.empty() || !IsDigit(word.front())) return false;
    if (text::EndsWith(word, ":")) {
        return IsNumeric(std::string(word.substr(0, word.size() - 1)) + " ");
    }
    return IsNumeric(word);
}

// The line's number can come off: a number before a Sub, Function or
// Property declaration stays, as the line without it would declare a
// procedure inside this one and change the module's routines.
bool IsRemovableNumber(std::string_view line, std::string_view word) {
    return IsLineNumber(word) &&
           !host::DeclaresProcedure(text::Trim(line).substr(word.size()));
}

bool StartsWithSpaces(const std::string& line, size_t count) {
    return line.size() >= count && line.find_first_not_of(' ') >= count;
}

void DropLeadingSpaces(std::string& line, size_t count) {
    if (StartsWithSpaces(line, count)) line.erase(0, count);
}

// Pass 1: whether a line carries a number that can come off (the lines as
// pass 2 reads them, without its rewriting: a line past a continuation is
// never numbered).
template <class Line>
bool HoldsNumber(const std::vector<Line>& lines) {
    bool continued = false;
    for (const Line& line : lines) {
        const std::string_view t = text::Trim(line);
        if (!continued && !t.empty() && IsDigit(t.front()) &&
            IsRemovableNumber(line, t.substr(0, t.find(' ')))) {
            return true;
        }
        continued = text::EndsWith(t, " _");
    }
    return false;
}

class Remover {
public:
    explicit Remover(std::vector<std::string>& lines)
        : lines_(lines),
          width_(std::max<size_t>(std::to_string(lines.size() - 1).size(), 4)) {}

    // Pass 2: takes the numbers off, and the padding of the other lines.
    void Rewrite() {
        bool continued = false;
        for (std::string& line : lines_) {
            bool hasWords = false;
            const std::string_view first = FirstWord(line, hasWords);
            if (!hasWords) {
                // nothing to do
            } else if (continued) {
                DropLeadingSpaces(line, width_);
            } else if (!first.empty() && IsDigit(first.front())) {
                if (IsRemovableNumber(line, first)) RemoveNumber(line, first.size());
            } else {
                DropLeadingSpaces(line, width_);
            }
            continued = text::EndsWith(text::Trim(line), " _");
        }
    }

private:
    // The number stands in the first column; the spaces that padded it to
    // the field go with it.
    void RemoveNumber(std::string& line, size_t numberLength) const {
        line.erase(0, std::min(numberLength, line.size()));
        if (numberLength + 1 < width_) {
            const size_t k = width_ - numberLength;
            if (line.size() >= k) {
                const size_t spaces = std::min(line.find_first_not_of(' '), k);
                line.erase(0, spaces);
            }
        }
    }

    std::vector<std::string>& lines_;
    const size_t width_;
};

}  // namespace

void RemoveLineNumbers(std::vector<std::string>& lines) try {
    if (lines.empty() || !HoldsNumber(lines)) return;
    Remover(lines).Rewrite();
} QV_PASS_UP("modLine", "RemoveLineNumbers")

bool HoldsLineNumbers(const std::vector<std::string_view>& lines) try {
    return HoldsNumber(lines);
} QV_PASS_UP("modLine", "HoldsLineNumbers")

}  // namespace qv::linenumbers
