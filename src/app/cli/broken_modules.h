#pragma once
// The module files of a target that could not be modelled (binary or
// damaged bytes, a procedure without its closing line, a second module of
// one name): they are left out of their project and never written. Every
// command reports those within its scope and goes on with the rest; it
// exits 3 at the end when there were any. In JSON they are the entries of
// a top-level "errors" array:
// {"project", "module", "file", "line", "error"} (line 0: not one line).

#include <iosfwd>
#include <vector>

#include "app/cli/json_text.h"
#include "app/cli/project_target.h"

namespace qv::cli {

using BrokenList = std::vector<host::files::BrokenModule>;

// The broken modules of the project, or of every project when project is
// nullptr, in the order they were met.
BrokenList BrokenModules(LoadedTarget& target, const host::memory::MemoryProject* project);
// Those of each of the projects, in their order.
BrokenList BrokenModules(LoadedTarget& target,
                         const std::vector<host::memory::MemoryProject*>& projects);

// One line on err for each.
void ReportBrokenModules(std::ostream& err, const BrokenList& broken);

// An array.
JsonNode BrokenModulesJson(const BrokenList& broken);

}  // namespace qv::cli
