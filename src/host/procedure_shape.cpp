#include "host/procedure_shape.h"

#include "host/memory/vb_syntax.h"
#include "platform/text.h"

namespace qv::host {

using memory::IsCommentStart;
using memory::IsContinued;
using memory::SkipBlanks;

namespace {

// The word after "#" (blanks allowed between them).
std::string_view DirectiveWord(std::string_view t, std::string_view& rest) {
    t = SkipBlanks(t.substr(1));
    size_t n = 0;
    while (n < t.size() && memory::IsIdentifierChar(t[n])) ++n;
    rest = SkipBlanks(t.substr(n));
    return t.substr(0, n);
}

bool SameProcedure(const memory::ProcDeclaration& a, const memory::ProcDeclaration& b) {
    return a.kind == b.kind && text::EqualsIgnoreCase(a.name, b.name);
}

// The text of the line's last statement after its first: statements end at
// ":" outside string literals, and a comment ends the line. Empty when the
// line holds one statement.
std::string_view LaterLastStatement(std::string_view line) {
    size_t start = 0;
    size_t end = line.size();
    bool inString = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') inString = !inString;
        if (inString) continue;
        if (c == '\'') {
            end = i;
            break;
        }
        if (c == ':') start = i + 1;
    }
    return start == 0 || start > end ? std::string_view() : line.substr(start, end - start);
}

}  // namespace

Directive ReadDirective(std::string_view line) {
    const std::string_view t = SkipBlanks(line);
    if (t.empty() || t[0] != '#') return Directive::None;
    std::string_view rest;
    const std::string_view word = DirectiveWord(t, rest);
    if (text::EqualsIgnoreCase(word, "If")) return Directive::If;
    if (text::EqualsIgnoreCase(word, "ElseIf")) return Directive::ElseIf;
    if (text::EqualsIgnoreCase(word, "Else")) return Directive::Else;
    if (text::EqualsIgnoreCase(word, "End") && text::StartsWithIgnoreCase(rest, "If") &&
        (rest.size() == 2 || !memory::IsIdentifierChar(rest[2]))) {
        return Directive::EndIf;
    }
    if (text::EqualsIgnoreCase(word, "EndIf")) return Directive::EndIf;
    return Directive::Other;
}

bool ClosesProcedureAtEnd(std::string_view line) {
    // Without a ":" the line holds one statement (most declarations).
    if (line.find(':') == std::string_view::npos) return false;
    const std::string_view last = LaterLastStatement(line);
    return !last.empty() && memory::IsProcEnd(last);
}

bool IsProcedureEnd(std::string_view line) {
    return memory::IsProcEnd(line);
}

bool DeclaresProcedure(std::string_view line) {
    return memory::ParseProcDeclaration(line).has_value();
}

bool IsBlankOrComment(std::string_view line) {
    const std::string_view t = SkipBlanks(line);
    return t.empty() || IsCommentStart(t);
}

bool ConditionalDeclaration::OnDirective(Directive directive, long line) {
    switch (directive) {
        case Directive::If:
            ++depth_;
            break;
        case Directive::ElseIf:
        case Directive::Else:
            if (depth_ > 0) break;
            // After the enclosing #If has closed, a branch at this depth
            // belongs to an #If that opened above the procedure.
            if (closedAt_ != 0)
                outerBranch_ = true;
            else
                switched_ = true;
            break;
        case Directive::EndIf:
            if (depth_ > 0) {
                --depth_;
            } else if (closedAt_ == 0) {
                closedAt_ = line;
                return true;
            } else {
                outerBranch_ = true;
            }
            break;
        default:
            break;
    }
    return false;
}

bool ConditionalDeclaration::Nests(bool headAbove) const {
    if (depth_ != 0 || outerBranch_) return false;
    if (alternatives_) return headAbove && closedAt_ != 0;
    return !switched_ && closedAt_ == 0;
}

ProcedureShape ReadProcedureShape(const std::vector<std::string_view>& lines,
                                  const std::function<bool()>& headAbove) {
    ProcedureShape shape;
    const long n = static_cast<long>(lines.size());
    if (n == 0) return shape;
    const auto declaration = memory::ParseProcDeclaration(lines[0]);
    long i = 0;
    while (i + 1 < n && IsContinued(lines[static_cast<size_t>(i)])) ++i;
    shape.firstDeclarationEnd = shape.declarationEnd = i;
    if (ClosesProcedureAtEnd(lines[static_cast<size_t>(i)])) {
        shape.oneLine = true;
        shape.closing = i;
        return shape;
    }
    ConditionalDeclaration conditional;
    bool previousContinued = false;
    bool inAlternative = false;  // reading an alternative declaration's continuation lines
    for (++i; i < n; ++i) {
        const std::string_view line = lines[static_cast<size_t>(i)];
        const bool continued = IsContinued(line);
        if (previousContinued) {
            if (inAlternative) shape.declarationEnd = i;
            previousContinued = continued;
            continue;
        }
        previousContinued = continued;
        inAlternative = false;
        const std::string_view t = SkipBlanks(line);
        if (t.empty() || IsCommentStart(t)) continue;
        if (const Directive d = ReadDirective(t); d != Directive::None) {
            if (conditional.OnDirective(d, i) && !shape.alternatives.empty()) {
                shape.declarationEnd = i;
            }
            continue;
        }
        if (memory::IsProcEnd(t)) {
            shape.closing = i;
            break;
        }
        if (const auto other = memory::ParseProcDeclaration(t)) {
            if (!declaration || !SameProcedure(*declaration, *other) ||
                !conditional.AcceptsAlternative()) {
                break;  // another procedure: this one has no closing line
            }
            shape.alternatives.push_back(i);
            conditional.OnAlternative();
            shape.declarationEnd = i;
            inAlternative = continued;
        }
    }
    shape.nests =
        shape.closing >= 0 && conditional.Nests(!shape.alternatives.empty() && headAbove());
    return shape;
}

bool IfStandsAbove(const std::function<std::string(long)>& line, long body) {
    for (long l = body - 1; l >= 1; --l) {
        const std::string text = line(l);
        if (!IsBlankOrComment(text)) return ReadDirective(text) == Directive::If;
    }
    return false;
}

}  // namespace qv::host
