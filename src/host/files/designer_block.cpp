#include "host/files/designer_block.h"

#include "host/memory/vb_syntax.h"
#include "platform/text.h"

namespace qv::host::files {

namespace {

using memory::SkipBlanks;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TakeToken(std::string_view& s) {
    s = SkipBlanks(s);
    size_t n = 0;
    while (n < s.size() && !IsBlank(s[n])) ++n;
    std::string_view token = s.substr(0, n);
    s = SkipBlanks(s.substr(n));
    return token;
}

std::string_view TrimBlanks(std::string_view s) {
    s = SkipBlanks(s);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool IsWord(std::string_view line, std::string_view word) {
    return text::EqualsIgnoreCase(TrimBlanks(line), word);
}

// "text" -> text with doubled quotes made single; anything else as it is
// ("Form1.frx":0000 stays).
std::string Unquoted(std::string_view v) {
    if (v.size() < 2 || v.front() != '"' || v.back() != '"') return std::string(v);
    std::string out;
    const std::string_view inner = v.substr(1, v.size() - 2);
    for (size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] == '"') {
            if (i + 1 >= inner.size() || inner[i + 1] != '"') return std::string(v);
            ++i;
        }
        out.push_back(inner[i]);
    }
    return out;
}

}  // namespace

namespace {

// "Begin Class Name": the class and the name as views of the line.
bool BeginParts(std::string_view line, std::string_view& className, std::string_view& name) {
    std::string_view rest = line;
    if (!text::EqualsIgnoreCase(TakeToken(rest), "Begin")) return false;
    className = TakeToken(rest);
    name = TakeToken(rest);
    return !className.empty() && !name.empty();
}

// Whether the line begins as Begin, End, BeginProperty and EndProperty do.
bool MayOpenOrClose(std::string_view t) {
    if (t.size() < 3) return false;
    const char a = text::AsciiLower(t[0]), b = text::AsciiLower(t[1]), c = text::AsciiLower(t[2]);
    return (a == 'b' && b == 'e' && c == 'g') || (a == 'e' && b == 'n' && c == 'd');
}

// Reads the block from its Begin line lines[first] to its End line, whose
// index it returns (-1 when it is never closed). Without contents only the
// designer's class and name are kept: the End line is found all the same.
long WalkDesignerBlock(LinesOnDemand& lines, long first, bool contents, DesignerBlock& out) {
    if (!ParseBeginLine(lines[static_cast<size_t>(first)], out.className, out.name)) return -1;
    // The blocks open above the current line: -1 the designer, else the
    // index of a control. BeginProperty blocks only count depth.
    std::vector<long> open{-1};
    long propertyDepth = 0;
    for (long i = first + 1; lines.Has(static_cast<size_t>(i)); ++i) {
        const std::string_view t = SkipBlanks(lines[static_cast<size_t>(i)]);
        // Only Begin and End lines (and their Property kin) open or close a
        // block: skimming passes the property lines (BackColor, Enabled, ...)
        // at their first bytes.
        if (!contents && !MayOpenOrClose(t)) continue;
        std::string_view className, name;
        std::string key, value;
        if (text::StartsWithIgnoreCase(t, "BeginProperty")) {
            ++propertyDepth;
        } else if (text::StartsWithIgnoreCase(t, "EndProperty")) {
            if (propertyDepth > 0) --propertyDepth;
        } else if (propertyDepth == 0 && BeginParts(t, className, name)) {
            if (contents) {
                out.controls.push_back({std::string(name), std::string(className), {}});
            }
            open.push_back(static_cast<long>(out.controls.size()) - 1);
        } else if (IsWord(t, "End")) {
            open.pop_back();
            propertyDepth = 0;
            if (open.empty()) return i;
        } else if (contents && propertyDepth == 0 && ParsePropertyLine(t, key, value)) {
            PropertyList& target = open.back() < 0
                                       ? out.properties
                                       : out.controls[static_cast<size_t>(open.back())].properties;
            target.emplace_back(std::move(key), std::move(value));
        }
    }
    return -1;
}

}  // namespace

bool ParseBeginLine(std::string_view line, std::string& className, std::string& name) {
    std::string_view cls, nm;
    if (!BeginParts(line, cls, nm)) return false;
    className = std::string(cls);
    name = std::string(nm);
    return true;
}

bool ParsePropertyLine(std::string_view line, std::string& key, std::string& value) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    const std::string_view k = TrimBlanks(line.substr(0, eq));
    if (k.empty()) return false;
    std::string_view v = SkipBlanks(line.substr(eq + 1));
    // The value ends at a comment outside quotes ("-1  'True").
    bool quoted = false;
    size_t end = v.size();
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '"')
            quoted = !quoted;
        else if (v[i] == '\'' && !quoted) {
            end = i;
            break;
        }
    }
    v = TrimBlanks(v.substr(0, end));
    key = std::string(k);
    value = Unquoted(v);
    return true;
}

long ReadDesignerBlock(LinesOnDemand& lines, long first, DesignerBlock& out) {
    return WalkDesignerBlock(lines, first, true, out);
}

long SkimDesignerBlock(LinesOnDemand& lines, long first, DesignerBlock& out) {
    return WalkDesignerBlock(lines, first, false, out);
}

long ReadClassBlock(LinesOnDemand& lines, long first, PropertyList& out) {
    for (long i = first + 1; lines.Has(static_cast<size_t>(i)); ++i) {
        const std::string_view t = lines[static_cast<size_t>(i)];
        if (IsWord(t, "END")) return i;
        std::string key, value;
        if (ParsePropertyLine(t, key, value)) out.emplace_back(std::move(key), std::move(value));
    }
    return -1;
}

}  // namespace qv::host::files
