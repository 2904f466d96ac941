#pragma once
// Loads VB6 projects into the in-memory host the way the IDE opens them: a
// .vbp project, a .vbg group (its startup project becomes the active one),
// or loose module files (those of one folder form one project named after
// the folder). A project that names a missing file loads without it, with
// a warning in the workspace. A module file that cannot be modelled is left
// out of its project and recorded in the workspace as a broken module; the
// rest of the project loads. A project whose name another loaded project
// has already is renamed (Name_2, Name_3, ...), with a warning.

#include <string>
#include <vector>

#include "host/files/workspace.h"

namespace qv::host::files {

// Each path by its extension (case ignored); the projects they name become
// the workspace's named projects. Throws FileError for a project
// or group file that cannot be read or is not one, and for a module file
// named that is not there; drop the whole workspace then.
void LoadTargets(Workspace& workspace, const std::vector<std::string>& paths);

memory::MemoryProject& LoadProjectFile(Workspace& workspace, const std::string& path);
// Returns the group's startup project (its first when it names none).
memory::MemoryProject& LoadGroupFile(Workspace& workspace, const std::string& path);
// Returns the projects of the files' folders, one per folder, in order.
std::vector<memory::MemoryProject*> LoadModuleFiles(Workspace& workspace,
                                                    const std::vector<std::string>& paths);

}  // namespace qv::host::files
