#pragma once
// The bytes of a module file as its module now stands: the header exactly
// as read, then the code lines, each member's hidden attribute lines right
// after its declaration, in the file's own line ending, with or without a
// final line break as the file had it.

#include <string>
#include <vector>

#include "host/files/workspace.h"

namespace qv::host::files {

struct RenderedModule {
    std::string bytes;
    // Attribute lines whose member the code no longer declares (left out).
    std::vector<std::string> dropped;
};

RenderedModule RenderModuleFile(const ModuleFile& file);

// The bytes that RenderModuleFile writes for code lines first .. first +
// count - 1 (1-based), each with the break after it, given that only these
// members' attribute lines may stand after them: a change to one routine
// rendered at the cost of that routine.
std::string RenderModuleLines(const ModuleFile& file, long first, long count,
                              const std::vector<std::string>& members);

// The code or its hidden attribute lines differ from what was loaded.
bool ModuleEdited(const ModuleFile& file);

}  // namespace qv::host::files
