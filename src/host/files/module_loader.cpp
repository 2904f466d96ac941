#include "host/files/module_loader.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <unordered_map>

#include "host/files/file_error.h"
#include "host/files/file_io.h"
#include "host/files/module_file.h"
#include "host/files/vb_path.h"
#include "host/memory/vb_syntax.h"
#include "host/procedure_shape.h"
#include "platform/native_path.h"
#include "platform/code_page.h"
#include "platform/text.h"
#include "platform/text_finder.h"

namespace qv::host::files {

namespace {

namespace fs = std::filesystem;
using memory::HiddenAttribute;
using memory::MemoryCodeModule;
using memory::MemoryComponent;
using memory::ProcInfo;
using host::Directive;
using host::ReadDirective;

constexpr std::string_view kMsFormsDesigner = "{C62A69F0-16DC-11CE-9E98-00AA00574A4F}";

// The extension of the path's file name, in lower case (".frm"; "" for
// none), as std::filesystem tells it. Asked for every module, so on a
// system whose only separator is '/' it is read off the text itself.
std::string Extension(const std::string& path) {
#ifdef _WIN32
    return text::ToLower(file::Utf8Path(file::NativePath(path).extension()));
#else
    std::string_view name(path);
    if (const size_t slash = name.rfind('/'); slash != std::string_view::npos) {
        name.remove_prefix(slash + 1);
    }
    const size_t dot = name.rfind('.');
    if (name == ".." || dot == std::string_view::npos || dot == 0) return {};
    return text::ToLower(name.substr(dot));
#endif
}

int RefinedType(int type, const ModuleHeader& header) {
    if (type == vbext_ct_VBForm &&
        text::EqualsIgnoreCase(header.designer.className, "VB.MDIForm")) {
        return vbext_ct_VBMDIForm;
    }
    if (type == vbext_ct_ActiveXDesigner &&
        text::EqualsIgnoreCase(header.designer.className, kMsFormsDesigner)) {
        return vbext_ct_MSForm;
    }
    return type;
}

std::string_view Find(const PropertyList& list, std::string_view key) {
    for (const auto& [k, v] : list) {
        if (text::EqualsIgnoreCase(k, key)) return v;
    }
    return {};
}

bool IsTrue(std::string_view value) {
    return text::EqualsIgnoreCase(value, "True") || value == "-1";
}

// Instancing from the header: not exposed 1 Private; exposed but not
// creatable 2 PublicNotCreatable; creatable 3 SingleUse or 5 MultiUse, one
// more for a global name space.
int Instancing(const ModuleHeader& header) {
    if (!IsTrue(Find(header.attributes, "VB_Exposed"))) return 1;
    if (!IsTrue(Find(header.attributes, "VB_Creatable"))) return 2;
    const bool global = IsTrue(Find(header.attributes, "VB_GlobalNameSpace"));
    const bool multiUse = IsTrue(Find(header.classBlock, "MultiUse"));
    return (multiUse ? 5 : 3) + (global ? 1 : 0);
}

// The designer's controls and its own properties.
void SetDesignerContents(MemoryComponent& component, const DesignerBlock& designer) {
    memory::MemoryControls& controls = component.EnsureDesigner().Controls();
    for (const ControlEntry& entry : designer.controls) {
        memory::MemoryControl& control = controls.Add(entry.name);
        for (const auto& [key, value] : entry.properties) control.Props().Set(key, value);
    }
    for (const auto& [key, value] : designer.properties) component.Props().Set(key, value);
}

void SetProperties(MemoryComponent& component, const ParsedModule& parsed) {
    const ModuleHeader& header = parsed.header;
    if (header.hasDesigner) {
        component.EnsureDesigner();
        if (header.designerContentsRead) SetDesignerContents(component, header.designer);
    }
    if (component.Type() == vbext_ct_ClassModule) {
        component.Props().Set("Instancing", std::to_string(Instancing(header)));
        std::string_view mts = Find(header.classBlock, "MTSTransactionMode");
        component.Props().Set("MTSTransactionMode", mts.empty() ? "0" : std::string(mts));
    }
}

// The binary file next to a designer file (.frx for a .frm), when the
// header refers to it.
void AddCompanionFile(MemoryComponent& component, const std::string& path,
                      const ParsedModule& parsed) {
    static const std::pair<std::string_view, std::string_view> kCompanions[] = {
        {".frm", ".frx"}, {".ctl", ".ctx"}, {".pag", ".pgx"}, {".dob", ".dox"}, {".dsr", ".dsx"}};
    const std::string ext = Extension(path);
    for (const auto& [own, companion] : kCompanions) {
        if (ext != own) continue;
        const std::string_view header(parsed.bytes->data(), parsed.codeOffset);
        // Headers of forms are long: their bytes are searched sixteen at a time.
        const text::TextFinder named(std::string(companion) + "\"", false, text::CodePage::Utf8());
        if (named.Find(header, 0) == std::string_view::npos) return;
        const fs::path p = file::NativePath(path);
        const std::string stem = file::Utf8Path(p.stem()) + std::string(companion);
        // The name on disk is the module file's own, in the system's UTF-8.
        if (auto found = ResolveVbPath(file::Utf8Path(p.parent_path()), stem, text::CodePage::Utf8())) {
            component.AddFile(*found);
        }
        return;
    }
}

// The first word naming the procedure's kind of block (Sub, Function or
// Property) on its declaration line.
std::string BlockWord(std::string_view declaration) {
    for (std::string_view word : {"Property", "Function", "Sub"}) {
        size_t at = 0;
        while ((at = text::FindIgnoreCase(declaration, word, at)) != std::string_view::npos) {
            const bool startOk =
                at == 0 || declaration[at - 1] == ' ' || declaration[at - 1] == '\t';
            const size_t end = at + word.size();
            if (startOk && end < declaration.size() &&
                (declaration[end] == ' ' || declaration[end] == '\t')) {
                return std::string(word);
            }
            at = end;
        }
    }
    return "Sub";
}

// A project holds one module of a name, as the IDE loads them: a second
// file with the same VB_Name would be confused with the first by every
// command that finds modules by name.
void RefuseSecondOfName(const Workspace& workspace, memory::MemoryProject& project,
                        const std::string& path, const ParsedModule& parsed, text::CodePage page) {
    MemoryComponent* first = project.Components().Find(parsed.header.vbName);
    if (first == nullptr) return;
    const ModuleFile* file = workspace.FileOf(*first);
    throw FileError(path, 0,
                    "project " + text::ToUtf8(project.Name(), project.TextCodePage()) +
                        " already holds a module named " + text::ToUtf8(parsed.header.vbName, page) +
                        (file != nullptr ? " (" + file->path + ")" : "") +
                        "; a project loads one module of a name: rename one of them (its "
                        "Attribute VB_Name line) or leave it out of the project");
}

// A procedure without its End line is a damaged module. (Alternative
// declarations under #If, which share one body, are one procedure.)
void CheckProceduresClosed(const std::string& path, const ParsedModule& parsed,
                           const MemoryCodeModule& code) {
    for (const ProcInfo& p : code.Index().Procs()) {
        if (p.closed) continue;
        const std::string word = BlockWord(code.Line(p.body));
        throw FileError(path, parsed.FileLine(p.body),
                        "the " + word + " " + text::ToUtf8(p.name, code.TextCodePage()) +
                            " declared here has no End " + word +
                            " line; the module is incomplete: add the closing line");
    }
}

// The statement that ends on line `last` begins on the line returned.
long StatementStart(const MemoryCodeModule& code, long last) {
    long first = last;
    while (first > 1 && memory::IsContinued(code.Line(first - 1))) --first;
    return first;
}

// Where the member's attribute line stood: under a declaration of the
// member (the statement right above it), as the IDE writes them. Needs no
// reading of the module's procedures.
struct Anchor {
    int kind = -1;        // procedure kind or kStatementAnchor; -1: not under a declaration
    long statement = 0;   // the first line of that declaration
};

Anchor DeclarationAbove(const MemoryCodeModule& code, const HiddenLine& line) {
    const long last = line.follows;
    if (last < 1 || last > code.CountOfLines()) return {};
    const long first = StatementStart(code, last);
    if (const auto declaration = memory::ParseProcDeclaration(code.Line(first))) {
        if (!text::EqualsIgnoreCase(declaration->name, line.memberName)) return {};
        return {declaration->kind, first};
    }
    std::string statement(code.Line(first));
    for (long i = first + 1; i <= last; ++i) {
        statement.resize(statement.find_last_of('_'));  // the continuation mark
        statement.append(" ").append(code.Line(i));
    }
    for (const memory::DeclaredName& declared :
         memory::ParseDeclarationStatement(statement).names) {
        if (text::EqualsIgnoreCase(declared.name, line.memberName)) {
            return {memory::kStatementAnchor, first};
        }
    }
    return {};
}

// The procedure kind (or kStatementAnchor) an attribute line of member
// belongs to, or -1 when the module declares no such member.
int AnchorKind(MemoryCodeModule& code, const HiddenLine& line) {
    if (const Anchor above = DeclarationAbove(code, line); above.kind >= 0) return above.kind;
    const std::vector<ProcInfo>& procs = code.Index().Procs();
    // The declaration right above the line.
    auto above = std::upper_bound(procs.begin(), procs.end(), line.follows,
                                  [](long l, const ProcInfo& p) { return l < p.body; });
    if (above != procs.begin() && text::EqualsIgnoreCase((above - 1)->name, line.memberName)) {
        return (above - 1)->kind;
    }
    for (int kind : {vbext_pk_Proc, vbext_pk_Get, vbext_pk_Let, vbext_pk_Set}) {
        if (code.Index().Find(line.memberName, kind) >= 0) return kind;
    }
    auto& members = static_cast<memory::MemoryMembers&>(code.Members());
    return members.Find(line.memberName) != nullptr ? memory::kStatementAnchor : -1;
}

// Which of the member's declarations the line stood under, from 0. Only an
// item or a procedure declared in several branches of an #If has more than
// one, so a module without #Else has none to tell apart.
int Occurrence(MemoryCodeModule& code, const HiddenLine& line, int kind) {
    const Anchor above = DeclarationAbove(code, line);
    if (above.kind != kind) return 0;
    if (kind == memory::kStatementAnchor) {
        auto& members = static_cast<memory::MemoryMembers&>(code.Members());
        const std::vector<long> statements = members.DeclarationStatements(line.memberName);
        const auto at = std::find(statements.begin(), statements.end(), above.statement);
        return at == statements.end() ? 0 : static_cast<int>(at - statements.begin());
    }
    const long i = code.Index().Find(line.memberName, kind);
    if (i < 0) return 0;
    const std::vector<long>& alternatives = code.Index().Procs()[static_cast<size_t>(i)].alternatives;
    const auto at = std::find(alternatives.begin(), alternatives.end(), above.statement);
    return at == alternatives.end() ? 0 : static_cast<int>(at - alternatives.begin()) + 1;
}

bool HasConditionalBranches(const MemoryCodeModule& code) {
    // Every directive starts with '#', which most modules never hold: their
    // bytes are searched at once rather than read line by line.
    if (!code.AnyLineHolds(1, code.CountOfLines(), '#')) return false;
    for (long i = 1; i <= code.CountOfLines(); ++i) {
        const Directive d = ReadDirective(code.Line(i));
        if (d == Directive::Else || d == Directive::ElseIf) return true;
    }
    return false;
}

// Keeps each member attribute line with its member; a line whose member the
// module does not declare stays a visible code line, so nothing is lost. The
// code module holds the parsed code lines.
void AttachHiddenLines(ParsedModule& parsed, MemoryCodeModule& code, ModuleFile& file) {
    // Member name as first written, its lines in file order.
    std::vector<std::pair<std::string, std::vector<HiddenAttribute>>> byMember;
    std::unordered_map<std::string, size_t> slot;  // lower-case name -> byMember index
    std::vector<const HiddenLine*> strays;
    const bool branches = HasConditionalBranches(code);
    for (const HiddenLine& line : parsed.hidden) {
        const int kind = AnchorKind(code, line);
        if (kind < 0) {
            strays.push_back(&line);
            continue;
        }
        const auto [it, added] = slot.emplace(text::ToLower(line.memberName), byMember.size());
        if (added) byMember.emplace_back(line.memberName, std::vector<HiddenAttribute>{});
        byMember[it->second].second.push_back(
            {kind, std::string(line.text), branches ? Occurrence(code, line, kind) : 0});
        file.loadedAttributeBreaks[it->first].push_back(BreakAfter(*parsed.bytes, line.text));
    }
    if (!strays.empty()) {
        // Put them back among the code lines where they stood.
        const auto count = static_cast<size_t>(code.CountOfLines());
        std::vector<std::string_view> lines;
        lines.reserve(count + strays.size());
        size_t next = 0;
        for (size_t i = 0; i <= count; ++i) {
            while (next < strays.size() && strays[next]->follows == static_cast<long>(i)) {
                lines.push_back(strays[next++]->text);
            }
            if (i < count) lines.push_back(code.Line(static_cast<long>(i) + 1));
        }
        code.LoadLines(parsed.bytes, std::move(lines));
    }
    for (auto& [name, lines] : byMember) {
        file.loadedAttributes[text::ToLower(name)] = lines;
        code.SetHiddenAttributes(name, std::move(lines));
    }
}

}  // namespace

int TypeOfExtension(const std::string& path) {
    const std::string ext = Extension(path);
    if (ext == ".bas") return vbext_ct_StdModule;
    if (ext == ".cls") return vbext_ct_ClassModule;
    if (ext == ".frm") return vbext_ct_VBForm;
    if (ext == ".ctl") return vbext_ct_UserControl;
    if (ext == ".pag") return vbext_ct_PropPage;
    if (ext == ".dob") return vbext_ct_DocObject;
    if (ext == ".dsr") return vbext_ct_ActiveXDesigner;
    return 0;
}

CodeReading ReadingFor(const Workspace& workspace) {
    if (workspace.ChecksProcedures()) return CodeReading::Indexed;
    return workspace.DefersCode() ? CodeReading::Deferred : CodeReading::Lines;
}

MemoryComponent& LoadModuleFile(Workspace& workspace, memory::MemoryProject& project,
                                const std::string& path, int type) {
    return LoadModuleFile(workspace, project, path, type,
                          ReadModuleFile(path, workspace.LargestFile(), ReadingFor(workspace)));
}

MemoryComponent& LoadModuleFile(Workspace& workspace, memory::MemoryProject& project,
                                const std::string& path, int type, ReadModule read) {
    if (read.error) std::rethrow_exception(read.error);
    if (type == 0) type = TypeOfExtension(path);
    ParsedModule& parsed = *read.parsed;
    // A file written in UTF-8 is read so, whatever the run's code page.
    const text::CodePage run = workspace.Vbe().TextCodePage();
    const text::CodePage page = !read.utf8 ? text::CodePageOfFile(*parsed.bytes, run)
                                : *read.utf8 ? text::CodePage::Utf8()
                                             : run;
    RefuseSecondOfName(workspace, project, path, parsed, page);
    MemoryComponent& component =
        project.AddComponent(parsed.header.vbName, RefinedType(type, parsed.header));
    if (page != run) component.SetTextCodePage(page);
    try {
        component.AddFile(path);
        AddCompanionFile(component, path, parsed);

        auto file = std::make_unique<ModuleFile>();
        file->path = path;
        file->component = &component;
        file->bytes = parsed.bytes;
        file->codeOffset = parsed.codeOffset;
        file->headerEndsWithBreak = parsed.headerEndsWithBreak;
        file->ending = parsed.ending;
        file->finalBreak = parsed.finalBreak;

        if (parsed.codeRead) {
            MemoryCodeModule& code = *component.Code();
            if (!read.lines) read.lines.emplace().Assign(parsed.bytes, std::move(parsed.code));
            if (read.index)
                code.LoadLines(std::move(*read.lines), std::move(*read.index));
            else
                code.LoadLines(std::move(*read.lines));
            if (workspace.ChecksProcedures()) CheckProceduresClosed(path, parsed, code);
            if (!parsed.hidden.empty()) AttachHiddenLines(parsed, code, *file);
        } else {
            file->codeDeferred = true;
            file->codeOnDisk = read.codeOnDisk;
        }
        SetProperties(component, parsed);
        workspace.Add(std::move(file));
    } catch (...) {
        project.Components().Remove(component);
        throw;
    }
    if (parsed.codeRead && workspace.GetModuleLoaded()) {
        workspace.GetModuleLoaded()(workspace, component);
    }
    return component;
}

void ReleaseLoadedCode(Workspace& workspace, MemoryComponent& component) {
    if (MemoryCodeModule* code = component.Code()) code->LoadLines(memory::LineStore{}, memory::ProcedureIndex{});
    ModuleFile* file = workspace.FileOf(component);
    if (file == nullptr) return;
    // The attribute lines' breaks are views into the bytes.
    file->loadedAttributes.clear();
    file->loadedAttributeBreaks.clear();
    file->bytes.reset();
}

std::optional<ReleasedCode> ReleaseCodeToReadAgain(Workspace& workspace,
                                                   MemoryComponent& component) {
    const ModuleFile* file = workspace.FileOf(component);
    if (file == nullptr || file->bytes == nullptr || component.Code() == nullptr) {
        return std::nullopt;
    }
    const MemoryCodeModule& code = *component.Code();
    ReleasedCode released{file->bytes->size(), std::hash<std::string_view>{}(*file->bytes),
                          code.Index(), code.CountOfLines()};
    ReleaseLoadedCode(workspace, component);
    return released;
}

namespace {

// Puts the code lines of the parsed file into the component's module, with
// what its file learns from them (the bytes are the file's).
// index: where the procedures of those lines stand, when known (taken).
void PutCodeLines(ParsedModule& parsed, MemoryCodeModule& module, ModuleFile& file,
                  memory::ProcedureIndex* index = nullptr) {
    memory::LineStore lines;
    lines.Assign(parsed.bytes, std::move(parsed.code));
    parsed.code = {};
    if (index != nullptr) {
        module.LoadLines(std::move(lines), std::move(*index));
    } else {
        module.LoadLines(std::move(lines));
    }
    file.bytes = parsed.bytes;
    file.ending = parsed.ending;
    file.finalBreak = parsed.finalBreak;
    if (!parsed.hidden.empty()) AttachHiddenLines(parsed, module, file);
}

// The file of a module whose load kept its header alone, read again for its
// code: false (the file as it was) when it can no longer be read, or its
// header or the checks of the whole file no longer hold as at the load.
// Whether the file is written in UTF-8 is told again from the bytes read:
// the code below the header may have gained or lost such text since.
bool ReadCodeAgain(Workspace& workspace, MemoryComponent& component, ModuleFile& file,
                   ParsedModule& parsed) {
    try {
        std::shared_ptr<const std::string> bytes = ReadWholeFile(file.path, workspace.LargestFile());
        if (bytes->size() < file.codeOffset || bytes->compare(0, file.codeOffset, *file.bytes) != 0) {
            return false;
        }
        parsed = ParseModuleFile(file.path, bytes);
        if (parsed.codeOffset != file.codeOffset) return false;
        const text::CodePage run = workspace.Vbe().TextCodePage();
        const text::CodePage page = text::CodePageOfFile(*bytes, run);
        if (page != component.TextCodePage()) component.SetTextCodePage(page);
        file.bytes = std::move(bytes);
        file.codeOnDisk = false;
        return true;
    } catch (const FileError&) {
        return false;
    }
}

}  // namespace

bool LoadDeferredCode(Workspace& workspace, MemoryComponent& component,
                      const std::function<bool(std::string_view code)>& worthReading) {
    ModuleFile* file = workspace.FileOf(component);
    if (file == nullptr || !file->codeDeferred) return true;
    ParsedModule parsed;
    if (file->codeOnDisk && !ReadCodeAgain(workspace, component, *file, parsed)) return false;
    std::string_view code(*file->bytes);
    code.remove_prefix(file->codeOffset);
    if (worthReading && !worthReading(code)) return false;
    // The header was read from these bytes without an error, and the whole
    // file was checked as ParseModuleFile checks it: this parse succeeds
    // (and was made already when the bytes were read again).
    if (parsed.bytes == nullptr) parsed = ParseModuleFile(file->path, file->bytes);
    PutCodeLines(parsed, *component.Code(), *file);
    // The header read first skimmed the designer block.
    if (parsed.header.hasDesigner) SetDesignerContents(component, parsed.header.designer);
    file->codeDeferred = false;
    return true;
}

bool ReadReleasedCode(Workspace& workspace, MemoryComponent& component,
                      ReleasedCode& released) {
    ModuleFile* file = workspace.FileOf(component);
    if (file == nullptr || component.Code() == nullptr) return false;
    std::shared_ptr<const std::string> bytes;
    try {
        bytes = ReadWholeFile(file->path, workspace.LargestFile());
    } catch (const FileError&) {
        return false;
    }
    if (bytes->size() != released.size ||
        std::hash<std::string_view>{}(*bytes) != released.hash) {
        return false;
    }
    // The load parsed these very bytes without an error, and found every
    // procedure closed; its designer's contents and code page still stand.
    ParsedModule parsed = ParseModuleFile(file->path, std::move(bytes));
    // The index is of the module's lines, which hold the stray attribute
    // lines too: it fits the code lines alone when there are none.
    const bool fits = static_cast<long>(parsed.code.size()) == released.lines;
    PutCodeLines(parsed, *component.Code(), *file, fits ? &released.index : nullptr);
    return true;
}

void LoadModuleOrRecord(Workspace& workspace, memory::MemoryProject& project,
                        const std::string& path, int type, ReadModule read,
                        const std::string& name) {
    try {
        LoadModuleFile(workspace, project, path, type, std::move(read));
    } catch (const FileError& e) {
        workspace.AddBroken({&project, name.empty() ? file::Utf8Path(file::NativePath(path).stem()) : name, path,
                             e.what(), e.Line(), project.Components().Count()});
    }
}

MemoryComponent& AddFileComponent(Workspace& workspace, memory::MemoryProject& project,
                                  const std::string& path, int type) {
    MemoryComponent& component = project.AddComponent(file::Utf8Path(file::NativePath(path).filename()), type);
    // Named after the file: the system's text, UTF-8 here.
    component.SetTextCodePage(text::CodePageOfFile(component.Name(), workspace.Vbe().TextCodePage()));
    component.AddFile(path);
    auto file = std::make_unique<ModuleFile>();
    file->path = path;
    file->component = &component;
    workspace.Add(std::move(file));
    return component;
}

}  // namespace qv::host::files
