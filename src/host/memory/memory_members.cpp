// A code module's members: the procedures and the named items of the
// declarations section, and their hidden attributes.

#include <string>
#include <vector>

#include "host/memory/memory_host.h"
#include "host/memory/vb_syntax.h"
#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::host::memory {

namespace {


// The named items of the declarations section, in order.
std::vector<MemberRecord> ReadDeclarationMembers(const MemoryCodeModule& module) {
    std::vector<MemberRecord> records;
    const long n = module.CountOfDeclarationLines();
    bool inBlock = false;
    for (long i = 1; i <= n; ++i) {
        const long first = i;
        std::string statement(module.Line(i));
        while (IsContinued(statement) && i < n) {
            // Join the continuation: drop the "_" and go on with the next line.
            const size_t underscore = statement.find_last_of('_');
            statement.resize(underscore);
            statement.append(" ").append(module.Line(++i));
        }
        const DeclarationStatement parsed = ParseDeclarationStatement(statement);
        if (parsed.closesBlock) {
            inBlock = false;
            continue;
        }
        if (inBlock) continue;
        if (parsed.opensBlock) {
            inBlock = true;
            continue;
        }
        for (const DeclaredName& d : parsed.names) {
            records.push_back({d.name, d.type, d.scope, first});
        }
    }
    return records;
}

}  // namespace

void MemoryMembers::RefreshDeclarations() const {
    const unsigned long declarations = module_.DeclarationsVersion();
    if (builtForDeclarations_ == declarations) return;
    statements_ = ReadDeclarationMembers(module_);
    builtForDeclarations_ = declarations;
    records_.clear();
    procOf_.clear();
    byName_.clear();
    procedureByName_.clear();
    // One member per name and sort: an item declared in each branch of an
    // #If is one member.
    for (const MemberRecord& record : statements_) {
        if (byName_.emplace(text::ToLower(record.name), records_.size()).second) {
            records_.push_back(record);
            procOf_.push_back(-1);
        }
    }
    declarationRecords_ = records_.size();
    builtFor_ = ~0UL;  // the procedures' records, which follow, are read again
}

void MemoryMembers::Refresh() const {
    RefreshDeclarations();
    const ProcedureIndex& index = module_.Index();
    const unsigned long names = index.NamesVersion();
    if (builtFor_ == names) return;
    records_.resize(declarationRecords_);
    procOf_.resize(declarationRecords_);
    procedureByName_.clear();
    // Sized once: a project-wide command holds the members of every module.
    records_.reserve(declarationRecords_ + index.Count());
    procOf_.reserve(declarationRecords_ + index.Count());
    // A property with several accessors is one member.
    for (size_t i = 0; i < index.Count(); ++i) {
        const ProcInfo& p = index.At(i);
        if (!procedureByName_.emplace(text::ToLower(p.name), records_.size()).second) continue;
        records_.push_back(
            {p.name, p.isProperty ? vbext_mt_Property : vbext_mt_Method, p.scope, p.body, true});
        procOf_.push_back(static_cast<long>(i));
    }
    builtFor_ = names;
    locatedFor_ = index.Version();
}

void MemoryMembers::Locate(size_t record) const {
    // A procedure's line moves with every edit above it; read it when asked.
    if (procOf_[record] >= 0) {
        records_[record].location = module_.Index().Body(static_cast<size_t>(procOf_[record]));
    }
}

const std::vector<MemberRecord>& MemoryMembers::Records() const {
    Refresh();
    if (locatedFor_ != module_.Index().Version()) {
        for (size_t i = 0; i < records_.size(); ++i) Locate(i);
        locatedFor_ = module_.Index().Version();
    }
    return records_;
}

const MemberRecord* MemoryMembers::Find(std::string_view name) const {
    if (const MemberRecord* procedure = Find(name, true)) return procedure;
    return Find(name, false);
}

const MemberRecord* MemoryMembers::Find(std::string_view name, bool procedure) const {
    // An item of the declarations section is found without the procedures'
    // records.
    if (procedure) {
        Refresh();
    } else {
        RefreshDeclarations();
    }
    const auto& map = procedure ? procedureByName_ : byName_;
    auto it = map.find(text::ToLower(name));
    if (it == map.end()) return nullptr;
    Locate(it->second);
    return &records_[it->second];
}

const MemberRecord* MemoryMembers::FindDeclare(std::string_view name) const {
    const unsigned long declarations = module_.DeclarationsVersion();
    if (mayDeclareFor_ != declarations) {
        mayDeclare_ = false;
        const long n = module_.CountOfDeclarationLines();
        // Every Declare statement holds the word on one of its lines.
        for (long i = 1; i <= n && !mayDeclare_; ++i) {
            mayDeclare_ = text::ContainsIgnoreCase(module_.Line(i), "declare");
        }
        mayDeclareFor_ = declarations;
    }
    if (!mayDeclare_) return nullptr;
    const MemberRecord* record = Find(name, false);
    return record != nullptr && record->type == vbext_mt_Method ? record : nullptr;
}

std::vector<long> MemoryMembers::DeclarationStatements(std::string_view name) const {
    RefreshDeclarations();
    std::vector<long> lines;
    for (const MemberRecord& record : statements_) {
        if (text::EqualsIgnoreCase(record.name, name)) lines.push_back(record.location);
    }
    return lines;
}

long MemoryMembers::Count() const {
    return static_cast<long>(Records().size());
}

MemoryMember& MemoryMembers::Handle(const std::string& name, bool procedure) {
    auto& slot = handles_[text::ToLower(name) + (procedure ? "\x01" : "\x02")];
    if (!slot) slot = std::make_unique<MemoryMember>(*this, name, procedure);
    return *slot;
}

Member& MemoryMembers::Item(long index) {
    const auto& records = Records();
    if (index < 1 || index > static_cast<long>(records.size())) Raise(err::kSubscriptOutOfRange);
    const MemberRecord& record = records[static_cast<size_t>(index - 1)];
    return Handle(record.name, record.procedure);
}

Member& MemoryMembers::Item(std::string_view name) {
    const MemberRecord* record = Find(name);
    if (record == nullptr) Raise(err::kSubscriptOutOfRange);
    return Handle(record->name, record->procedure);
}

host::CodeModule& MemoryMembers::Parent() {
    return module_;
}

const MemberRecord& MemoryMember::Record() const {
    const MemberRecord* record = parent_.Find(name_, procedure_);
    if (record == nullptr)
        Raise(err::kSubscriptOutOfRange, "Member " + name_ + " no longer exists");
    return *record;
}

int MemoryMember::Type() const {
    return Record().type;
}
int MemoryMember::Scope() const {
    return Record().scope;
}
long MemoryMember::CodeLocation() const {
    return Record().location;
}
host::Members& MemoryMember::Parent() {
    return parent_;
}

void MemoryMember::SplitAttributeLines(std::vector<HiddenAttribute>& own,
                                       std::vector<HiddenAttribute>& other) const {
    const auto* lines = parent_.Module().HiddenAttributes(name_);
    if (lines == nullptr) return;
    // Lines are told apart by the declaration they stood under only when
    // the name is both a procedure's and a declared item's.
    const bool shared = parent_.Find(name_, !procedure_) != nullptr;
    for (const HiddenAttribute& line : *lines) {
        const bool procedureLine = line.anchorKind != kStatementAnchor;
        (!shared || procedureLine == procedure_ ? own : other).push_back(line);
    }
}

MemberAttributes MemoryMember::Attributes() const {
    std::vector<HiddenAttribute> own, other;
    SplitAttributeLines(own, other);
    return ParseMemberAttributes(own);
}

void MemoryMember::SetAttributes(const MemberAttributes& attributes) {
    std::vector<HiddenAttribute> own, other;
    SplitAttributeLines(own, other);
    const MemberRecord& record = Record();
    const int anchorKind = !record.procedure                  ? kStatementAnchor
                           : record.type == vbext_mt_Property ? vbext_pk_Get
                                                              : vbext_pk_Proc;
    std::vector<HiddenAttribute> lines = WithMemberAttributes(
        own, record.name, record.type == vbext_mt_Variable, anchorKind, attributes);
    lines.insert(lines.end(), other.begin(), other.end());
    parent_.Module().SetHiddenAttributes(name_, std::move(lines));
}

}  // namespace qv::host::memory
