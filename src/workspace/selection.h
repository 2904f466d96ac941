#pragma once
// The selection the IDE would hold over a loaded target: the active
// project, the selected component, and the code pane's cursor, chosen by
// names and a line as a user gives them. A choice that does not fit the
// target comes back as a value that says what was wrong and what there is.

#include <string>
#include <variant>
#include <vector>

#include "workspace/loaded_target.h"

namespace qv::workspace {

struct SelectionRequest {
    std::string project{};  // "": the active (startup) project
    std::string module{};   // "": none, or the module of the routine
    std::string routine{};  // "": none
    int routineKind = -1;   // the procedure kind of the routine; -1: whichever it has
    long line = 0;          // the cursor line, 1-based; 0: none
};

struct Selection {
    host::memory::MemoryProject* project = nullptr;      // always set
    // What a command over the whole project works on: the project asked
    // for, else every project the target names (LoadedTarget::NamedProjects),
    // the active one among them. Never empty.
    std::vector<host::memory::MemoryProject*> projects;
    host::memory::MemoryComponent* component = nullptr;  // the module, or the routine's module
    std::string routine;                                 // "" when no routine was named
    int routineKind = 0;                                 // procedure kind of the routine
    long line = 0;                                       // the cursor line, 0 when none
};

struct SelectionError {
    enum class Kind {
        NoProjectLoaded,
        UnknownProject,           // choices: the projects
        BrokenModule,             // detail: why the module could not be loaded
        UnknownModule,            // choices: the project's modules
        UnknownRoutine,           // module: "" when the whole project was searched
        RoutineInSeveralModules,  // choices: the modules that hold it
        SeveralAccessors,         // a property asked for without its kind
        LineWithoutModule,        // a line needs a module or routine
        NoCode,                   // a line in a module that holds no code
        LinePastEnd,              // lines: how many the module has
        LineOutsideRoutine,
    };
    Kind kind = Kind::NoProjectLoaded;
    std::string project{};
    std::string module{};
    std::string routine{};  // as asked, with its kind (name:Get) when one was given
    long line = 0;
    long lines = 0;
    std::string detail{};
    std::vector<std::string> choices{};
};

// Applies the request. The project becomes the active project. A module
// (by name, case ignored) becomes the selected component, and its code pane
// the active one with the cursor on the line, else on the routine's
// declaration, else on line 1, as the IDE's cursor would stand. A routine
// without a module is looked for in every module of the project.
std::variant<Selection, SelectionError> Select(LoadedTarget& target,
                                               const SelectionRequest& request);

}  // namespace qv::workspace
