#include "analysis/routine_parsing.h"

#include <algorithm>
#include <functional>
#include <initializer_list>

#include "analysis/markers.h"
#include "analysis/routine_shape.h"
#include "host/memory/memory_host.h"
#include "platform/like.h"
#include "platform/services.h"
#include "platform/text.h"
#include "platform/vb_error.h"
#include "platform/vb_strings.h"

namespace qv::analysis {

namespace {

using text::Trim;

// The kind of block the words before a declaration's parentheses name:
// "Sub" before "Function" before "Property", each a whole word between
// spaces in any case; "" for none.
std::string BlockKindWord(std::string_view head) {
    bool function = false, property = false;
    size_t at = 0;
    while (at < head.size()) {
        const size_t space = std::min(head.find(' ', at), head.size());
        const std::string_view word = head.substr(at, space - at);
        if (text::EqualsIgnoreCase(word, "sub")) return "Sub";
        function = function || text::EqualsIgnoreCase(word, "function");
        property = property || text::EqualsIgnoreCase(word, "property");
        at = space + 1;
    }
    return function ? "Function" : property ? "Property" : "";
}

std::string TrimmedLine(host::CodeModule& module, long line) {
    return std::string(Trim(module.Lines(line, 1)));
}

// One line as Lines(line, 1) gives it (a line past the end is empty text,
// a line before the first an error), without a copy: valid until the
// module changes.
std::string_view LineText(host::CodeModule& module, long line) {
    if (line >= 1 && line <= module.CountOfLines()) return module.LineView(line);
    if (line < 1) module.Lines(line, 1);  // raises as Lines does
    return {};
}

bool HasEntry(const RoutineList& names, std::string_view name, int kind) {
    for (const RoutineEntry& e : names) {
        if (e.name == name && e.kind == kind) return true;
    }
    return false;
}

// The entries of the copies after the first of a routine's kinds (most
// routines have none). name must not refer into names, which grows.
void AddCopies(host::CodeModule& module, RoutineList& names, const std::string& name,
               std::initializer_list<int> kinds) {
    long most = 0;
    std::vector<long> copies;
    for (int kind : kinds) {
        copies.push_back(module.ProcCopies(name, kind));
        most = std::max(most, copies.back());
    }
    for (long copy = 1; copy < most; ++copy) {
        size_t k = 0;
        for (int kind : kinds) {
            if (copies[k++] > copy) names.push_back({name, kind, copy});
        }
    }
}

// Integer of a property value; false when there is no such property or the
// value is not a number.
bool ReadIntegerProperty(host::CodeModule& module, std::string_view name, long& value) {
    try {
        return text::ParseLong(module.Parent().Properties().Item(name).Value(), value);
    } catch (...) {
        return false;
    }
}

}  // namespace

bool IsClosingLine(std::string_view line) {
    // Tabs count as blanks here, around the line and after its End: a
    // closing line indented with a tab, or "End<TAB>Sub", closes the routine
    // as well (the host finds it so), and insertion and removal must agree
    // on which line that is.
    const std::string_view t = text::TrimBlanks(line);
    return t.size() > 3 && text::StartsWithIgnoreCase(t, "end") && (t[3] == ' ' || t[3] == '\t');
}

host::CodeModule& ModuleOf(host::Member& member) { return member.Parent().Parent(); }

namespace {

// The entries after "(Declarations)", member by member; reportMember, when
// set, hears the count of each member before it is read.
void AddRoutineEntries(host::CodeModule& module, RoutineList& names,
                       const std::function<void(long)>& reportMember) {
    host::Members& members = module.Members();
    const long count = members.Count();
    const long declarationLines = module.CountOfDeclarationLines();
    for (long i = 1; i <= count; ++i) {
        if (reportMember) reportMember(i);
        host::Member& member = members.Item(i);
        if (member.Type() == host::vbext_mt_Method) {
            // External declarations are methods of the declarations section.
            const std::string name = member.Name();
            if (module.ProcStartLine(name, host::vbext_pk_Proc) > declarationLines) {
                names.push_back({name, host::vbext_pk_Proc});
                AddCopies(module, names, name, {host::vbext_pk_Proc});
            }
        } else if (member.Type() == host::vbext_mt_Property) {
            const std::string name = member.Name();
            for (int kind : {host::vbext_pk_Let, host::vbext_pk_Set, host::vbext_pk_Get}) {
                if (HasProcKind(member, kind) && !HasEntry(names, name, kind)) {
                    names.push_back({name, kind});
                }
            }
            AddCopies(module, names, name,
                      {host::vbext_pk_Let, host::vbext_pk_Set, host::vbext_pk_Get});
        }
    }
}

}  // namespace

void GetRoutineNames(host::VBE& vbe, std::string_view projectName,
                     std::string_view componentName, RoutineList& names,
                     bool showProgress) try {
    host::VBComponent& component =
        vbe.VBProjects().Item(projectName).VBComponents().Item(componentName);
    host::CodeModule* module = component.CodeModule();
    if (module == nullptr) return;
    Services& services = GetServices();
    services.DoStatus(-1, -1, -1, static_cast<int>(2 * module->Members().Count()));
    // Without a report member by member, the list is read as a listing
    // side by side reads it: from the host's index where it has one.
    if (!showProgress) {
        names = ReadRoutineNames(*module);
        return;
    }
    names.assign(1, RoutineEntry{std::string(kDeclarationsName), 0});
    std::function<void(long)> reportMember;
    if (showProgress) reportMember = [&](long i) { services.DoStatus(-1, static_cast<int>(i)); };
    AddRoutineEntries(*module, names, reportMember);
} QV_PASS_UP("AddIn", "GetRoutineNames")

RoutineList ReadRoutineNames(host::CodeModule& module) try {
    RoutineList names{RoutineEntry{std::string(kDeclarationsName), 0}};
    // The in-memory host lists them from its procedure index, without a
    // member record or handle for each (a project-wide listing would keep
    // those of every module).
    if (const auto* memory = dynamic_cast<const host::memory::MemoryCodeModule*>(&module)) {
        if (memory->ListRoutines([&](const std::string& name, int kind, long copy) {
                names.push_back({name, kind, copy});
            })) {
            return names;
        }
    }
    AddRoutineEntries(module, names, nullptr);
    return names;
} QV_PASS_UP("AddIn", "ReadRoutineNames")

std::string MemberName(host::CodeModule& module, std::string_view name) {
    if (const auto* memory = dynamic_cast<const host::memory::MemoryCodeModule*>(&module)) {
        if (const std::string* spelled = memory->ProcedureMemberName(name)) return *spelled;
    }
    return module.Members().Item(name).Name();
}

bool HasProcKind(host::Member& member, int kind) {
    try {
        ModuleOf(member).ProcBodyLine(member.Name(), kind);
        return true;
    } catch (...) {
        return false;
    }
}

int KindAtLine(host::CodeModule& module, std::string_view name, long line) {
    constexpr long kFar = 99999;
    try {
        module.ProcStartLine(name, host::vbext_pk_Proc);
        return host::vbext_pk_Proc;
    } catch (...) {
    }
    auto distance = [&](int kind) {
        long start = kFar;
        try {
            start = module.ProcStartLine(name, kind);
        } catch (...) {
        }
        const long d = line - start;
        return d < 0 ? kFar : d;
    };
    const long get = distance(host::vbext_pk_Get);
    const long set = distance(host::vbext_pk_Set);
    const long let = distance(host::vbext_pk_Let);
    int result = host::vbext_pk_Get;
    if (set < get) result = host::vbext_pk_Set;
    if (let < get && let < set) result = host::vbext_pk_Let;
    return result;
}

namespace {

// The kind word of the declaration at line body, in a block that ends
// before line end.
std::string DeclaredKindWord(host::CodeModule& module, long body, long end) {
    // The declaration's lines, each continued one joined to the next with a
    // space (only those: a body continued over many lines is not read). Most
    // declarations are one line, read where the module keeps it.
    std::string joined;
    std::string_view declaration;
    bool ended = false;
    for (long line = body; line < end; ++line) {
        const std::string_view text = LineText(module, line);
        if (!text::EndsWith(text, "_")) {
            declaration = joined.empty() ? Trim(text) : joined.append(Trim(text));
            ended = true;
            break;
        }
        const std::string_view before = Trim(text.substr(0, text.size() - 1));
        if (!before.empty()) joined.append(before).append(" ");
    }
    if (!ended) declaration = joined;
    // A declaration written without parentheses ("Sub Main" in a file that
    // no IDE has saved) is judged by its whole text rather than refused.
    return BlockKindWord(declaration.substr(0, declaration.find('(')));
}

}  // namespace

std::string GetRoutineType(host::CodeModule& module, std::string_view name, int kind) try {
    const long body = module.ProcBodyLine(name, kind);
    const long start = module.ProcStartLine(name, kind);
    const long count = module.ProcCountLines(name, kind);
    return DeclaredKindWord(module, body, start + count);
} QV_PASS_UP("AddIn", "GetRoutineType")

std::string RoutineTypeAt(host::CodeModule& module, long body, long end) try {
    return DeclaredKindWord(module, body, end);
} QV_PASS_UP("AddIn", "RoutineTypeAt")

RoutineSpan FirstAndLast(host::CodeModule& module, std::string_view name, int kind) try {
    RoutineShape shape;
    return FirstAndLast(module, name, kind, shape);
} QV_PASS_UP("AddIn", "FirstAndLast")

RoutineSpan FirstAndLast(host::CodeModule& module, std::string_view name, int kind,
                         RoutineShape& shape) try {
    const long start = module.ProcStartLine(name, kind);
    const long blockEnd = start + module.ProcCountLines(name, kind) - 1;
    // The declaration: its continuation lines, and the alternatives of a
    // routine declared in each branch of an #If up to the #End If.
    shape = ReadRoutineShape(module, name, kind);
    if (shape.oneLine) {
        // Declaration, body and closing statement share the line: there is
        // no body, and nothing of the next routine's block belongs to it.
        RoutineSpan span;
        span.startLine = start;
        span.blockEnd = blockEnd;
        span.afterDeclarationLine = shape.declarationEnd + 1;
        span.firstLine = span.lastLine = shape.declarationEnd;
        return span;
    }
    return SpanAt(module, start, shape.declarationEnd + 1, blockEnd);
} QV_PASS_UP("AddIn", "FirstAndLast")

RoutineSpan SpanAt(host::CodeModule& module, long startLine, long afterDeclarationLine,
                   long blockEnd) try {
    RoutineSpan span;
    span.startLine = startLine;
    span.blockEnd = blockEnd;
    long line = afterDeclarationLine;
    span.afterDeclarationLine = line;

    // The comment block that directly follows the declaration.
    bool commentFound = false;
    while (line <= blockEnd + 1) {
        const std::string_view t = Trim(LineText(module, line));
        if (t == kOpeningMarker) break;
        if (!t.empty()) {
            commentFound = IsCommentLine(t);
            break;
        }
        ++line;
    }
    if (commentFound) {
        while (true) {
            const std::string_view t = Trim(LineText(module, line));
            if (t == kOpeningMarker) break;
            if (text::EndsWith(t, " _")) {
                line += 2;  // the continued line belongs to the block, whatever it holds
            } else if (!text::StartsWith(t, "'")) {
                break;
            } else {
                ++line;
            }
        }
    }
    span.firstLine = line;

    // The closing line: the last line of the block that begins with "end ".
    // The block's own last line is where the search starts: the line below
    // it opens the next routine's block, and a stray "End Sub" there is not
    // this routine's closing line (code put above it would land outside).
    const long bottom = blockEnd;
    span.lastLine = 0;
    for (long l = bottom; l >= span.startLine && span.lastLine == 0; --l) {
        if (IsClosingLine(LineText(module, l))) span.lastLine = l;
    }
    for (long l = bottom; l >= span.startLine && span.lastLine == 0; --l) {
        if (!Trim(LineText(module, l)).empty()) span.lastLine = l;
    }
    if (span.lastLine < span.firstLine) span.lastLine = span.firstLine;
    return span;
} QV_PASS_UP("AddIn", "SpanAt")

std::string RemoveComments(host::CodeModule& module, std::string_view name, int kind,
                           std::string& fullText) try {
    return RemoveComments(module, FirstAndLast(module, name, kind), fullText);
} QV_PASS_UP("AddIn", "RemoveComments")

std::string RemoveComments(host::CodeModule& module, const RoutineSpan& span,
                           std::string& fullText) try {
    if (span.lastLine - span.firstLine < 1) return {};
    fullText = BodyText(module, span);
    return CodeWithoutComments(module, span);
} QV_PASS_UP("AddIn", "RemoveComments")

std::string BodyText(host::CodeModule& module, const RoutineSpan& span) try {
    if (span.lastLine - span.firstLine < 1) return {};
    return module.Lines(span.firstLine, span.lastLine - span.firstLine);
} QV_PASS_UP("AddIn", "BodyText")

std::string CodeWithoutComments(host::CodeModule& module, const RoutineSpan& span) try {
    if (span.lastLine - span.firstLine < 1) return {};
    std::string result;
    bool inComment = false;
    bool any = false;
    // The lines are read where the module keeps them (no line holds a
    // break, so they are the pieces of the full text between its CR LF
    // pairs).
    const long last = std::min(span.lastLine - 1, module.CountOfLines());
    // Room for every line at once: a routine's text grows over many
    // appends, each of which could move it.
    size_t room = 0;
    for (long l = span.firstLine; l <= last; ++l) room += module.LineView(l).size() + 2;
    result.reserve(room);
    for (long l = span.firstLine; l <= last; ++l) {
        const std::string_view line = module.LineView(l);
        const std::string_view t = Trim(line);
        if (t == kOpeningMarker || t == kClosingMarker) {
            inComment = false;  // marker lines count as code
        } else if (IsCommentLine(t)) {
            inComment = true;
        }
        if (!inComment && !t.empty()) {
            if (any) result.append(text::kCrLf);
            result.append(line);
            any = true;
        }
        if (!text::EndsWith(t, " _")) inComment = false;
    }
    return result;
} QV_PASS_UP("AddIn", "CodeWithoutComments")

std::string ParameterList(host::Member& member, int kind, bool leadingComma) try {
    host::CodeModule& module = ModuleOf(member);
    const std::string name = member.Name();
    // The first declaration names the parameters: a routine declared in
    // alternatives under #If has one parameter list per branch.
    const long start = module.ProcStartLine(name, kind);
    const RoutineShape shape = ReadRoutineShape(module, name, kind);
    const std::string declaration = module.Lines(start, shape.firstDeclarationEnd - start + 1);
    std::vector<std::string> lines = text::SplitLines(declaration);
    for (std::string& line : lines) {
        std::string t(Trim(line));
        if (IsCommentLine(t) || text::StartsWith(t, "#")) {
            t.clear();
        } else {
            if (text::EndsWith(t, "_")) t.pop_back();
            t = std::string(Trim(t));
        }
        line = t;
    }
    std::string joined = vb5stuff::Join(lines, " ");
    const size_t paren = joined.find('(');
    // Without parentheses the routine has no parameters, rather than its own
    // declaration read as one.
    if (paren == std::string::npos) return {};
    joined = joined.substr(paren + 1);
    std::vector<std::string> names;
    for (const std::string& raw : vb5stuff::Split(joined, ",")) {
        std::string piece(Trim(raw));
        if (text::StartsWith(piece, "_")) piece = std::string(Trim(piece.substr(1)));
        for (std::string_view word : {"Optional ", "ByVal ", "ByRef ", "ParamArray "}) {
            if (text::StartsWith(piece, word)) piece = piece.substr(word.size());
        }
        piece = text::ReplaceAll(piece, "()", "");
        piece = text::ReplaceAll(piece, ")", "");
        if (const size_t as = piece.find(" As "); as != std::string::npos) piece.resize(as);
        names.push_back(piece);
    }
    const std::string list = vb5stuff::Join(names, ", ");
    if (list.empty()) return {};
    return (leadingComma ? ", " : " ") + list;
} QV_PASS_UP("AddIn", "ParameterList")

int ProcKind(std::string_view typeColumnText) {
    if (typeColumnText == "Get") return host::vbext_pk_Get;
    if (typeColumnText == "Let") return host::vbext_pk_Let;
    if (typeColumnText == "Set") return host::vbext_pk_Set;
    return host::vbext_pk_Proc;
}

std::string RoutineLabel(std::string_view name, int kind, long copy) {
    std::string within = KindWord(kind);
    if (copy > 0) within += (within.empty() ? "copy " : ", copy ") + std::to_string(copy + 1);
    return within.empty() ? std::string(name) : std::string(name) + " (" + within + ")";
}

std::string CopySuffix(long copy) {
    return copy > 0 ? " (copy " + std::to_string(copy + 1) + ")" : std::string();
}

std::string KindWord(int kind) {
    switch (kind) {
        case host::vbext_pk_Get: return "Get";
        case host::vbext_pk_Let: return "Let";
        case host::vbext_pk_Set: return "Set";
        default: return {};
    }
}

bool IsReadOnly(host::VBComponent& component) {
    try {
        for (int i = 1; i <= component.FileCount(); ++i) {
            const std::string name = component.FileNames(i);
            if (!Trim(name).empty() && GetServices().FileIsReadOnly(name)) return true;
        }
    } catch (...) {
    }
    return false;
}

int GetInstancing(host::CodeModule& module) {
    long value = 0;
    return ReadIntegerProperty(module, "Instancing", value) ? static_cast<int>(value) : 1;
}

int GetMTSTransactionMode(host::CodeModule& module) {
    long value = 0;
    return ReadIntegerProperty(module, "MTSTransactionMode", value) ? static_cast<int>(value) : 0;
}

bool HasControl(host::VBControls* controls, std::string_view name) {
    if (controls == nullptr) return false;
    try {
        controls->Item(name).Properties().Item("name").Value();
        return true;
    } catch (...) {
        return false;
    }
}

bool IsWithEventsHandler(host::Member& member) {
    try {
        const std::vector<std::string> pieces = vb5stuff::Split(member.Name(), "_");
        if (pieces.size() < 2 || pieces[pieces.size() - 2].empty()) return false;
        host::CodeModule& module = ModuleOf(member);
        host::Member& variable = module.Members().Item(pieces[pieces.size() - 2]);
        long line = variable.CodeLocation();
        if (line > module.CountOfDeclarationLines()) return false;
        std::string declaration = TrimmedLine(module, line);
        std::string lastRead = declaration;
        while (text::EndsWith(lastRead, "_")) {
            lastRead = TrimmedLine(module, ++line);
            declaration.pop_back();
            declaration += lastRead;
        }
        declaration = text::ReplaceAll(declaration, "  ", " ");
        return Like(declaration, "* WithEvents *", CompareMode::Binary);
    } catch (...) {
        return false;
    }
}

}  // namespace qv::analysis
