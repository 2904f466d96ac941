#include "host/files/module_writer.h"

#include <algorithm>

#include "host/memory/vb_syntax.h"
#include "platform/text.h"

namespace qv::host::files {

namespace {

using memory::HiddenAttribute;
using memory::MemoryCodeModule;

bool SameLines(const std::vector<HiddenAttribute>& a, const std::vector<HiddenAttribute>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.anchorKind == y.anchorKind && x.occurrence == y.occurrence && x.text == y.text;
    });
}

// The last line of the statement that starts at line (continuations).
long StatementEnd(const MemoryCodeModule& code, long line) {
    while (line < code.CountOfLines() && memory::IsContinued(code.Line(line))) ++line;
    return line;
}

// The first line of the member's procedure declaration that the line stood
// under (its first declaration, or one of the alternatives under #If); 0
// when there is no such procedure.
long ProcedureDeclaration(MemoryCodeModule& code, const std::string& member,
                          const HiddenAttribute& line) {
    const auto& index = code.Index();
    long i = line.anchorKind == memory::kStatementAnchor ? -1 : index.Find(member, line.anchorKind);
    for (int other : {vbext_pk_Proc, vbext_pk_Get, vbext_pk_Let, vbext_pk_Set}) {
        if (i >= 0) break;
        i = index.Find(member, other);
    }
    if (i < 0) return 0;
    const memory::ProcInfo& p = index.Procs()[static_cast<size_t>(i)];
    const size_t alternative = static_cast<size_t>(line.occurrence);
    return alternative >= 1 && alternative <= p.alternatives.size() ? p.alternatives[alternative - 1]
                                                                     : p.body;
}

// The line after which a member's attribute line stands: the end of the
// declaration it stood under. 0 when the member is gone.
long AnchorLine(MemoryCodeModule& code, const std::string& member, const HiddenAttribute& line) {
    auto& members = static_cast<memory::MemoryMembers&>(code.Members());
    if (line.anchorKind != memory::kStatementAnchor) {
        if (const long declaration = ProcedureDeclaration(code, member, line)) {
            return StatementEnd(code, declaration);
        }
    }
    const std::vector<long> statements = members.DeclarationStatements(member);
    if (!statements.empty()) {
        const size_t at = std::min(static_cast<size_t>(line.occurrence), statements.size() - 1);
        return StatementEnd(code, statements[at]);
    }
    if (const long declaration = ProcedureDeclaration(code, member, line)) {
        return StatementEnd(code, declaration);
    }
    return 0;
}

}  // namespace

bool ModuleEdited(const ModuleFile& file) {
    const MemoryCodeModule* code = file.component != nullptr ? file.component->Code() : nullptr;
    if (code == nullptr || !file.bytes) return false;
    if (code->EditCount() != 0) return true;
    const std::vector<std::string> members = code->MembersWithHiddenAttributes();
    if (members.size() != file.loadedAttributes.size()) return true;
    for (const std::string& member : members) {
        auto it = file.loadedAttributes.find(text::ToLower(member));
        if (it == file.loadedAttributes.end() ||
            !SameLines(it->second, *code->HiddenAttributes(member))) {
            return true;
        }
    }
    return false;
}

RenderedModule RenderModuleFile(const ModuleFile& file) {
    RenderedModule out;
    MemoryCodeModule& code = *file.component->Code();
    const std::string_view ending = LineEndingText(file.ending);
    const std::string& loaded = *file.bytes;
    // A line as loaded keeps the break it had; a line written since takes
    // the file's own (most lines' break).
    // An undo in the workbench may put back lines of the file as it was
    // before a save: they keep their breaks too.
    auto breakOf = [&](std::string_view line) {
        std::string_view own = BreakAfter(loaded, line);
        for (size_t b = 0; own.empty() && b < code.LoadedBuffers().size(); ++b) {
            own = BreakAfter(*code.LoadedBuffers()[b], line);
        }
        return own.empty() ? ending : own;
    };
    // (line after which it stands, text, the break after it), in the order
    // the lines are kept.
    struct Attribute {
        long anchor;
        const std::string* text;
        std::string_view after;
    };
    std::vector<Attribute> attributes;
    for (const std::string& member : code.MembersWithHiddenAttributes()) {
        const std::vector<HiddenAttribute>& lines = *code.HiddenAttributes(member);
        const std::string key = text::ToLower(member);
        const auto as = file.loadedAttributes.find(key);
        const bool asLoaded = as != file.loadedAttributes.end() && SameLines(as->second, lines);
        for (size_t k = 0; k < lines.size(); ++k) {
            const long anchor = AnchorLine(code, member, lines[k]);
            if (anchor <= 0) {
                out.dropped.push_back(lines[k].text);
                continue;
            }
            std::string_view after = ending;
            if (asLoaded && !file.loadedAttributeBreaks.at(key)[k].empty()) {
                after = file.loadedAttributeBreaks.at(key)[k];
            }
            attributes.push_back({anchor, &lines[k].text, after});
        }
    }
    std::stable_sort(attributes.begin(), attributes.end(),
                     [](const auto& a, const auto& b) { return a.anchor < b.anchor; });

    const std::string_view header(loaded.data(), file.codeOffset);
    const long n = code.CountOfLines();
    out.bytes.reserve(loaded.size() + 256);
    out.bytes.append(header);
    if (n > 0 && !file.headerEndsWithBreak) out.bytes.append(ending);
    size_t next = 0;
    for (long i = 1; i <= n; ++i) {
        const std::string_view line = code.Line(i);
        out.bytes.append(line);
        std::string_view after = breakOf(line);
        while (next < attributes.size() && attributes[next].anchor == i) {
            out.bytes.append(after).append(*attributes[next].text);
            after = attributes[next++].after;
        }
        if (i < n || file.finalBreak) out.bytes.append(after);
    }
    return out;
}

}  // namespace qv::host::files