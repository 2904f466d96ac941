#pragma once
// Loads VB6 files from a temporary folder into an in-memory host, and
// builds module files from readable lines.

#include <memory>
#include <string>
#include <vector>

#include "host/files/workspace.h"
#include "host/memory/memory_vbe.h"
#include "host_files/temp_folder.h"
#include "platform/code_page.h"

namespace qv::test {

// Lines joined with the ending, with a final break when asked.
std::string Joined(const std::vector<std::string>& lines, const std::string& ending = "\r\n",
                   bool finalBreak = true);

struct LoadedFiles {
    std::unique_ptr<host::memory::MemoryVbe> vbe;
    std::unique_ptr<host::files::Workspace> workspace;

    host::memory::MemoryProject& Project(long index = 1) { return vbe->Projects().At(index); }
    host::memory::MemoryComponent& Component(const std::string& name, long project = 1);
    host::memory::MemoryCodeModule& Code(const std::string& name, long project = 1);
    const host::files::ModuleFile& File(const std::string& name, long project = 1);
};

// Loads the paths (each a .vbp, .vbg or module file), read in the code page.
LoadedFiles Load(const std::vector<std::string>& paths, text::CodePage page = {});

// Every file of the folder with its bytes, to show that nothing was written.
std::vector<std::pair<std::string, std::string>> Snapshot(const TempFolder& folder);

// A group of two projects that share one module, named by each with its
// own spelling of the path (shared/util.bas); gives the group's path.
std::string WriteGroupSharingAModule(TempFolder& folder);

}  // namespace qv::test
