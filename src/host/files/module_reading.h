#pragma once
// Reading and parsing module files, the part of loading that needs nothing
// but the file: a project's modules are read side by side on the machine's
// cores, and put into the host one after the other in the project's order.

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/files/module_file.h"
#include "host/files/workspace.h"
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
    // Whether the file is written in UTF-8 (not ASCII, and valid UTF-8),
    // told on the reading thread; unset: not known yet.
    std::optional<bool> utf8{};
    // A filtered read whose code passed the filter: only the header's bytes
    // are kept all the same, and the code is read from the file again when
    // it is wanted (ModuleFile::codeOnDisk).
    bool codeOnDisk = false;
};

// How much of a module file a read takes in.
enum class CodeReading {
    Lines,    // the code's lines
    Indexed,  // the lines, and the procedures among them indexed
    Deferred, // the header alone (ParseModuleHeader): the code is read later, if at all
};

// largest: the most bytes a file may hold (a larger one is refused unread).
// found: the path was found to be a regular file an instant ago (a project's
// module), and is opened without another look (file::OpenFoundFile).
ReadModule ReadModuleFile(const std::string& path, size_t largest,
                          CodeReading code = CodeReading::Lines, bool found = false);

// The files read side by side, on the machine's cores with the calling
// thread among them. take is called on the calling thread with each file's
// result, in the order of paths, as soon as it and every file before it are
// read: the caller's work on one file goes on while the next are read.
// filter (Deferred reading only; unset: none): a module whose bytes past the
// header fail it keeps only its header's bytes (Workspace::SetCodeFilter);
// so does one that passes it, marked codeOnDisk. The memory a file was read
// into is reused for the next file. found: as ReadModuleFile's, for every
// path.
void ReadModuleFiles(const std::vector<std::string>& paths, size_t largest, CodeReading code,
                     const CodeFilter& filter,
                     const std::function<void(size_t index, ReadModule read)>& take,
                     bool found = false);

// Hands on one path to read (ReadListedModuleFiles).
using ListedPath = std::function<void(std::string path)>;

// The same for paths found one by one: list, called once on the calling
// thread before any result is taken, hands each path on to listed as soon
// as it is found, and the first are read while the next are looked for.
// most: the most paths list hands on (a path more throws std::logic_error).
// The indexes take is given count the paths in the order listed.
void ReadListedModuleFiles(size_t most, size_t largest, CodeReading code, const CodeFilter& filter,
                           const std::function<void(const ListedPath& listed)>& list,
                           const std::function<void(size_t index, ReadModule read)>& take,
                           bool found = false);

// The files read side by side; results in the order of paths.
std::vector<ReadModule> ReadModuleFiles(const std::vector<std::string>& paths, size_t largest,
                                        CodeReading code = CodeReading::Lines);

}  // namespace qv::host::files
