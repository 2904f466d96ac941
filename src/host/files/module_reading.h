#pragma once
// Reading and parsing module files, the part of loading that needs nothing
// but the file: a project's modules are read side by side on the machine's
// cores, and put into the host one after the other in the project's order.

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "host/files/module_file.h"

namespace qv::host::files {

struct ReadModule {
    std::optional<ParsedModule> parsed;
    std::exception_ptr error;  // what reading or parsing threw, for the loader to rethrow
};

// largest: the most bytes a file may hold (a larger one is refused unread).
ReadModule ReadModuleFile(const std::string& path, size_t largest);

// The files read in parallel; results in the order of paths.
std::vector<ReadModule> ReadModuleFiles(const std::vector<std::string>& paths, size_t largest);

}  // namespace qv::host::files
