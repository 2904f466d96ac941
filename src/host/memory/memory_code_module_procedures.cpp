// A code module's procedure queries: where a procedure starts, its body and
// its lines, which procedure a line is in, and the copies of a name.


#include <algorithm>
#include <cstdint>

#include "host/memory/memory_host.h"
#include "host/memory/vb_syntax.h"
#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::host::memory {

namespace {

// Each name (case ignored, of any kind) once: the index of its first
// procedure in the module's order and how many definitions it has of each
// kind; in the order of those first procedures. One sort of the module's
// procedures, instead of a lookup by name for every one of them.
struct NameGroup {
    size_t first = 0;
    long copies[4] = {0, 0, 0, 0};
};

std::vector<NameGroup> NameGroupsOf(const ProcedureIndex& index) {
    const std::vector<ProcInfo>& procs = index.Procs();
    std::vector<std::uint32_t> order(procs.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
    // Stable: within a name the module's order stays, so a run starts with
    // its first procedure.
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return CompareNames(procs[a].name, procs[b].name) < 0;
    });
    std::vector<NameGroup> groups;
    for (size_t k = 0; k < order.size();) {
        NameGroup group;
        group.first = order[k];
        size_t end = k;
        for (; end < order.size() && CompareNames(procs[order[end]].name, procs[order[k]].name) == 0;
             ++end) {
            const int kind = procs[order[end]].kind;
            if (kind >= 0 && kind < 4) ++group.copies[kind];
        }
        groups.push_back(group);
        k = end;
    }
    std::sort(groups.begin(), groups.end(),
              [](const NameGroup& a, const NameGroup& b) { return a.first < b.first; });
    return groups;
}

}  // namespace

const MemberRecord* MemoryCodeModule::DeclaredProcedure(std::string_view procName,
                                                        int procKind) const {
    if (procKind != vbext_pk_Proc) return nullptr;
    const MemberRecord* record = members_.FindDeclare(procName);
    if (record == nullptr || record->location > Index().DeclarationLines()) {
        return nullptr;
    }
    return record;
}

long MemoryCodeModule::CheckedProc(std::string_view procName, int procKind) const {
    const long copy =
        chosenCopy_.copy > 0 && text::EqualsIgnoreCase(procName, chosenCopy_.name) ? chosenCopy_.copy
                                                                                   : 0;
    const long i = Index().Find(procName, procKind, copy);
    if (i < 0) Raise(err::kSubOrFunctionNotDefined);
    return i;
}

long MemoryCodeModule::ProcCopies(std::string_view procName, int procKind) const {
    return Index().Copies(procName, procKind);
}

long MemoryCodeModule::ProcCopyOfLine(long line) const {
    const long i = Index().ProcOfLine(line, lines_.Count());
    return i < 0 ? 0 : Index().CopyOf(static_cast<size_t>(i));
}

ProcCopyChoice MemoryCodeModule::ChooseProcCopy(std::string_view procName, long copy) {
    ProcCopyChoice before = chosenCopy_;
    // The first copy is what the lookups answer for without a choice.
    if (copy == 0 && before.copy == 0) return before;
    chosenCopy_ = {copy > 0 ? std::string(procName) : std::string(), copy};
    return before;
}

bool MemoryCodeModule::ListRoutines(
    const std::function<void(const std::string&, int, long)>& add) const {
    if (chosenCopy_.copy > 0) return false;
    const ProcedureIndex& index = Index();
    for (const NameGroup& group : NameGroupsOf(index)) {
        // The member of this name is the first procedure of it.
        const size_t i = group.first;
        const ProcInfo& p = index.At(i);
        if (!p.isProperty) {
            // A Sub or Function hidden by a Declare of its name starts where
            // the Declare stands, within the declarations section.
            if (DeclaredProcedure(p.name, vbext_pk_Proc) != nullptr ||
                index.StartLine(i) <= index.DeclarationLines()) {
                continue;
            }
            add(p.name, vbext_pk_Proc, 0);
            const long copies = group.copies[vbext_pk_Proc];
            for (long copy = 1; copy < copies; ++copy) add(p.name, vbext_pk_Proc, copy);
            continue;
        }
        constexpr int kAccessors[] = {vbext_pk_Let, vbext_pk_Set, vbext_pk_Get};
        long most = 0;
        for (const int kind : kAccessors) {
            most = std::max(most, group.copies[kind]);
            if (group.copies[kind] > 0) add(p.name, kind, 0);
        }
        for (long copy = 1; copy < most; ++copy) {
            for (const int kind : kAccessors) {
                if (group.copies[kind] > copy) add(p.name, kind, copy);
            }
        }
    }
    return true;
}

const std::string* MemoryCodeModule::ProcedureMemberName(std::string_view name) const {
    const long i = Index().FirstNamed(name);
    return i < 0 ? nullptr : &Index().At(static_cast<size_t>(i)).name;
}

long MemoryCodeModule::ProcStartLine(std::string_view procName, int procKind) const {
    // A Declare statement is a method of the declarations section: the IDE
    // gives its own line, which lies within the section.
    if (const MemberRecord* d = DeclaredProcedure(procName, procKind)) return d->location;
    return Index().StartLine(static_cast<size_t>(CheckedProc(procName, procKind)));
}

long MemoryCodeModule::ProcBodyLine(std::string_view procName, int procKind) const {
    if (const MemberRecord* d = DeclaredProcedure(procName, procKind)) return d->location;
    return Index().Body(static_cast<size_t>(CheckedProc(procName, procKind)));
}

long MemoryCodeModule::ProcCountLines(std::string_view procName, int procKind) const {
    if (DeclaredProcedure(procName, procKind) != nullptr) return 1;
    return Index().CountLines(static_cast<size_t>(CheckedProc(procName, procKind)), lines_.Count());
}

std::string MemoryCodeModule::ProcOfLine(long line, int& procKind) const {
    const long i = Index().ProcOfLine(line, lines_.Count());
    if (i < 0) {
        procKind = vbext_pk_Proc;
        return {};
    }
    const ProcInfo& p = Index().At(static_cast<size_t>(i));
    procKind = p.kind;
    return p.name;
}

}  // namespace qv::host::memory
