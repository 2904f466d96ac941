// The commands that change code, on any module text in any code page (the
// first byte picks the module's type and code page): inserting a handler
// into a routine and removing it again gives the module back byte for byte;
// after a handler, line numbers or a tidy the module still holds the same
// routines, each closed (nothing was written outside a routine). A routine
// defined more than once (a copy under #If, another under #Else) is worked
// on copy by copy.

#include "analysis/routine_parsing.h"
#include "errorhandling/insertion.h"
#include "errorhandling/removal.h"
#include "fuzz_setup.h"
#include "platform/vb_error.h"
#include "settings/settings_record.h"
#include "shell/module_commands.h"

namespace {

using namespace qv;

analysis::RoutineList Routines(fuzz::OneModule& module) {
    analysis::RoutineList routines;
    analysis::GetRoutineNames(*module.vbe, "Fuzz", "modFuzz", routines, false);
    return routines;
}

// The routines of the module read afresh from its text, each with whether
// its procedure is closed, as one line each.
std::string ReadAgain(fuzz::OneModule& module, int type) {
    fuzz::OneModule fresh(module.Text(), type, module.Code().TextCodePage());
    std::string routines;
    for (const auto& p : fresh.Code().Index().Procs()) {
        routines += p.name + "/" + std::to_string(p.kind) + (p.closed ? "\n" : " open\n");
    }
    return routines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const int kTypes[] = {host::vbext_ct_StdModule, host::vbext_ct_ClassModule,
                                 host::vbext_ct_VBForm};
    const int type = kTypes[data[0] % 3];
    fuzz::OneModule module(fuzz::Bytes(data + 1, size - 1), type, fuzz::CodePageOf(data[0] / 3u));
    const analysis::RoutineList routines = Routines(module);
    const std::string read = ReadAgain(module, type);
    for (size_t i = 1; i < routines.size(); ++i) {
        const std::string before = module.Text();
        // Each copy of a routine defined more than once is worked on as itself.
        const analysis::RoutineCopyScope copy(module.Code(), routines[i]);
        host::Member& member = module.Code().Members().Item(routines[i].name);
        std::string message;
        if (!errorhandling::AddRoutineErrorHandling(member, routines[i].kind, fuzz::FreshSettings(),
                                                    message))
            continue;
        fuzz::ExpectSame(read, ReadAgain(module, type),
                         "after a handler the module holds the same routines");
        errorhandling::RemoveOld(member, routines[i].kind, fuzz::FreshSettings());
        fuzz::ExpectSame(before, module.Text(), "insert then remove gives the module back");
    }
    for (shell::ModuleCommand command : {shell::ModuleCommand::Line, shell::ModuleCommand::Tidy}) {
        for (const analysis::RoutineEntry& routine : routines) {
            const std::string before = module.Text();
            try {
                shell::RunCommandOn(command, module.Code(), routine, fuzz::FreshSettings());
            } catch (const VbError& e) {
                // Code nested deeper than tidy lays out is refused whole.
                fuzz::Expect(e.Number() == err::kExpressionTooComplex,
                             "numbers and tidy refuse only code nested too deep");
                fuzz::ExpectSame(before, module.Text(), "a refused command changes nothing");
            }
        }
        fuzz::ExpectSame(read, ReadAgain(module, type),
                         "after numbers or a tidy the module holds the same routines");
    }
    return 0;
}
