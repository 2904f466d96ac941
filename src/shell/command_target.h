#pragma once
// What a command works on, when its caller names it outright (the command
// line, the language server): a project, a module, one routine (one copy of
// a routine defined more than once), or a line of a module. The catalogue
// resolves it once and hands the routine on, parsed. A command run without
// one works where the IDE's selection stands (the active project, the
// selected component, the cursor of the active code pane), as the menus,
// tool bars and hot keys run it.
//
//     context.target = shell::CommandTarget::Routine(component, {"Load", 1, 1});
//     shell::Execute(shell::CommandId::CodeAdd, context);  // the second copy of Load

#include <optional>

#include "analysis/routine_parsing.h"
#include "host/code_host.h"

namespace qv::shell {

struct CommandTarget {
    // Project commands: this project (nullptr: the component's).
    host::VBProject* project = nullptr;
    // Module and code window commands.
    host::VBComponent* component = nullptr;
    // Code window commands: this routine; without it, the routine at line.
    std::optional<analysis::RoutineEntry> routine = std::nullopt;
    // The line of the component (1-based) whose routine a code window
    // command works on, or that the comment command stamps.
    long line = 0;

    static CommandTarget Project(host::VBProject& project);
    static CommandTarget Module(host::VBComponent& component);
    static CommandTarget Routine(host::VBComponent& component, analysis::RoutineEntry routine);
    static CommandTarget Line(host::VBComponent& component, long line);
};

// The routine that holds the line: its name, the copy the line stands in
// (of a routine defined more than once) and its kind read among that
// copy's accessors. Nothing in the declarations section, past the last
// line, or on lines of no routine.
std::optional<analysis::RoutineEntry> RoutineAtLine(host::CodeModule& module, long line);

}  // namespace qv::shell
