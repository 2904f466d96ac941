#pragma once
// Loads VB6 projects into the in-memory host the way the IDE opens them: a
// .vbp project, a .vbg group (its startup project becomes the active one),
// or loose module files (those of one folder form one project named after
// the folder). A project that names a missing file loads without it, with
// a warning in the workspace.

#include <string>
#include <vector>

#include "host/files/workspace.h"

namespace qv::host::files {

// Each path by its extension (case ignored). Throws FileError for a file
// that cannot be read or is not what its extension says; drop the whole
// workspace then.
void LoadTargets(Workspace& workspace, const std::vector<std::string>& paths);

memory::MemoryProject& LoadProjectFile(Workspace& workspace, const std::string& path);
void LoadGroupFile(Workspace& workspace, const std::string& path);
void LoadModuleFiles(Workspace& workspace, const std::vector<std::string>& paths);

}  // namespace qv::host::files
