// A code module's procedure queries: where a procedure starts, its body and
// its lines, which procedure a line is in, and the copies of a name.


#include "host/memory/memory_host.h"
#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::host::memory {

const MemberRecord* MemoryCodeModule::DeclaredProcedure(std::string_view procName,
                                                        int procKind) const {
    if (procKind != vbext_pk_Proc) return nullptr;
    const MemberRecord* record = members_.Find(procName, false);
    if (record == nullptr || record->type != vbext_mt_Method ||
        record->location > Index().DeclarationLines()) {
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
