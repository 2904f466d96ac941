#include "host/files/module_writer.h"

#include <algorithm>
#include <cstring>

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

namespace {

// A line as loaded keeps the break it had; a line written since takes the
// file's own (most lines' break). An undo in the workbench may put back
// lines of the file as it was before a save: they keep their breaks too.
// Asked for every line written, so the texts a line may lie in are gathered
// once per module.
class LineBreaks {
  public:
    LineBreaks(const ModuleFile& file, const MemoryCodeModule& code)
        : ending_(LineEndingText(file.ending)) {
        texts_.push_back(*file.bytes);
        for (const auto& buffer : code.LoadedBuffers()) {
            // The same bytes again would tell nothing more.
            if (buffer->data() != file.bytes->data()) texts_.push_back(*buffer);
        }
    }
    std::string_view After(std::string_view line) const {
        for (const std::string_view text : texts_) {
            if (const std::string_view own = BreakAfter(text, line); !own.empty()) return own;
        }
        return ending_;
    }

  private:
    std::string_view ending_;
    std::vector<std::string_view> texts_;
};

// An attribute line to write: the code line after which it stands, its
// text, the break after it.
struct PlacedAttribute {
    long anchor;
    const std::string* text;
    std::string_view after;
};

// The attribute lines of the members, sorted by the line they stand after
// (in the order they are kept); those whose member is gone go to dropped.
std::vector<PlacedAttribute> PlaceAttributes(const ModuleFile& file, MemoryCodeModule& code,
                                             const std::vector<std::string>& members,
                                             std::vector<std::string>& dropped) {
    const std::string_view ending = LineEndingText(file.ending);
    std::vector<PlacedAttribute> attributes;
    for (const std::string& member : members) {
        const std::vector<HiddenAttribute>* held = code.HiddenAttributes(member);
        if (held == nullptr) continue;
        const std::vector<HiddenAttribute>& lines = *held;
        const std::string key = text::ToLower(member);
        const auto as = file.loadedAttributes.find(key);
        const bool asLoaded = as != file.loadedAttributes.end() && SameLines(as->second, lines);
        for (size_t k = 0; k < lines.size(); ++k) {
            const long anchor = AnchorLine(code, member, lines[k]);
            if (anchor <= 0) {
                dropped.push_back(lines[k].text);
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
    return attributes;
}

// Writes texts one after the other into memory made ready for them: a
// module's text is written a line and a break at a time, and this spares
// each piece the checks of a string's append.
class Writer {
  public:
    explicit Writer(char* at) : at_(at) {}
    void Put(std::string_view text) {
        // (An empty line written since may point nowhere.)
        if (text.empty()) return;
        std::memcpy(at_, text.data(), text.size());
        at_ += text.size();
    }
    char* At() const { return at_; }

  private:
    char* at_;
};

// The most bytes AppendCodeLines writes for these lines: each line and
// attribute line with a break of at most two bytes, and a break before
// the first.
size_t MostBytes(const MemoryCodeModule& code, long first, long last,
                 const std::vector<PlacedAttribute>& attributes) {
    size_t bytes = 2;
    for (long i = first; i <= last; ++i) bytes += code.Line(i).size() + 2;
    for (const PlacedAttribute& attribute : attributes) bytes += attribute.text->size() + 2;
    return bytes;
}

// Code lines first .. last, each with the attribute lines after it and the
// break after those (none after the file's last line when it has none).
void AppendCodeLines(std::string& out, const ModuleFile& file, MemoryCodeModule& code,
                     long first, long last, const std::vector<PlacedAttribute>& attributes) {
    const long n = code.CountOfLines();
    const LineBreaks breaks(file, code);
    const size_t start = out.size();
    out.resize(start + MostBytes(code, first, last, attributes));
    Writer writer(out.data() + start);
    if (first == 1 && n > 0 && !file.headerEndsWithBreak) writer.Put(LineEndingText(file.ending));
    auto next = std::lower_bound(attributes.begin(), attributes.end(), first,
                                 [](const PlacedAttribute& a, long line) { return a.anchor < line; });
    for (long i = first; i <= last; ++i) {
        const std::string_view line = code.Line(i);
        writer.Put(line);
        std::string_view after = breaks.After(line);
        for (; next != attributes.end() && next->anchor == i; ++next) {
            writer.Put(after);
            writer.Put(*next->text);
            after = next->after;
        }
        if (i < n || file.finalBreak) writer.Put(after);
    }
    out.resize(static_cast<size_t>(writer.At() - out.data()));
}

}  // namespace

RenderedModule RenderModuleFile(const ModuleFile& file) {
    RenderedModule out;
    MemoryCodeModule& code = *file.component->Code();
    const std::string& loaded = *file.bytes;
    const std::vector<PlacedAttribute> attributes =
        PlaceAttributes(file, code, code.MembersWithHiddenAttributes(), out.dropped);
    // The code lines make room for themselves past the header.
    out.bytes.assign(loaded.data(), file.codeOffset);
    AppendCodeLines(out.bytes, file, code, 1, code.CountOfLines(), attributes);
    return out;
}

std::string RenderModuleLines(const ModuleFile& file, long first, long count,
                              const std::vector<std::string>& members) {
    MemoryCodeModule& code = *file.component->Code();
    std::vector<std::string> dropped;
    const std::vector<PlacedAttribute> attributes = PlaceAttributes(file, code, members, dropped);
    std::string out;
    AppendCodeLines(out, file, code, first, std::min(first + count - 1, code.CountOfLines()),
                    attributes);
    return out;
}

}  // namespace qv::host::files
