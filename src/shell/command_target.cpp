#include "shell/command_target.h"

namespace qv::shell {

CommandTarget CommandTarget::Project(host::VBProject& project) {
    return CommandTarget{.project = &project};
}

CommandTarget CommandTarget::Module(host::VBComponent& component) {
    return CommandTarget{.component = &component};
}

CommandTarget CommandTarget::Routine(host::VBComponent& component,
                                     analysis::RoutineEntry routine) {
    return CommandTarget{.component = &component, .routine = std::move(routine)};
}

CommandTarget CommandTarget::Line(host::VBComponent& component, long line) {
    return CommandTarget{.component = &component, .line = line};
}

std::optional<analysis::RoutineEntry> RoutineAtLine(host::CodeModule& module, long line) {
    int kind = 0;
    analysis::RoutineEntry routine{module.ProcOfLine(line, kind), 0, 0};
    if (routine.name.empty()) return std::nullopt;
    routine.copy = module.ProcCopyOfLine(line);
    const analysis::RoutineCopyScope copy(module, routine);
    routine.kind = analysis::KindAtLine(module, routine.name, line);
    return routine;
}

}  // namespace qv::shell
