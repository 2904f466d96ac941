#pragma once
// The JSON of projects, components and routines that commands share, so
// that every command's output extends one shape:
// {"projects":[{"name","type","file","components":[{"name","type","file",
//   "readOnly","routines":[{"name","kind","routineType"[,"copy"]}]}]}]}
// Types and kinds are the host's numbers; texts are UTF-8 (names read in the
// code page of their file, paths as the system's, UTF-8).

#include <iosfwd>
#include <string>

#include "analysis/routine_parsing.h"
#include "app/cli/json_text.h"
#include "app/cli/project_target.h"

namespace qv::cli {

// name, type, file ("" for a project of loose module files).
JsonNode ProjectJson(host::memory::MemoryProject& project);
// name, type, file, readOnly.
JsonNode ComponentJson(LoadedTarget& target, host::memory::MemoryComponent& component);
// name, kind, routineType ("Sub", "Function" or "Property"); for a copy
// after the first of a routine defined more than once, "copy": 2, 3, ...
JsonNode RoutineJson(host::CodeModule& module, const analysis::RoutineEntry& routine);

// The component's file as given to the loader ("" when it has none).
std::string ComponentFile(LoadedTarget& target, host::memory::MemoryComponent& component);


}  // namespace qv::cli
