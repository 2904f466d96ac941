#pragma once
// Reading and parsing module files, the part of loading that needs nothing
// but the file: a project's modules are read side by side on the machine's
// cores, and put into the host one after the other in the project's order.

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "host/files/module_file.h"
#include "host/memory/procedure_index.h"

namespace qv::host::files {

struct ReadModule {
    // The module as parsed; its code lines are in lines, when read by
    // ReadModuleFile.
    std::optional<ParsedModule> parsed;
    std::exception_ptr error;  // what reading or parsing threw, for the loader to rethrow
    // Where the procedures of the code lines stand, when asked for: the
    // loader needs them to check that every procedure is closed, and the
    // commands to find routines.
    std::optional<memory::ProcedureIndex> index{};
    // The code lines, made compact on the thread that read them, so that a
    // project's line views never pile up while its files are read.
    std::optional<memory::LineStore> lines{};
};

// largest: the most bytes a file may hold (a larger one is refused unread).
// indexProcedures: index the procedures of the code lines too.
ReadModule ReadModuleFile(const std::string& path, size_t largest, bool indexProcedures = false);

// The files read in parallel; results in the order of paths.
std::vector<ReadModule> ReadModuleFiles(const std::vector<std::string>& paths, size_t largest,
                                        bool indexProcedures = false);

}  // namespace qv::host::files
