#pragma once
// Reads one VB6 module file into a new component of an in-memory project:
// its type, code module, hidden member attribute lines, designer controls,
// class properties and file names.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "host/files/module_reading.h"
#include "host/files/workspace.h"
#include "host/memory/procedure_index.h"

namespace qv::host::files {

// type: the component type the project gives the file (0: from the file's
// extension). A form whose designer is an MDI form becomes one, a designer
// of the MS Forms kind becomes an MS form. Throws FileError for a file that
// cannot be read or is not a module, or whose module name the project
// already holds; a load that fails leaves the project as it was.
memory::MemoryComponent& LoadModuleFile(Workspace& workspace, memory::MemoryProject& project,
                                        const std::string& path, int type);
// The same for a file already read (ReadModuleFiles); rethrows its error.
memory::MemoryComponent& LoadModuleFile(Workspace& workspace, memory::MemoryProject& project,
                                        const std::string& path, int type, ReadModule read);

// How a load reads modules' code: indexed when the workspace checks
// procedures, else deferred when it defers code, else as lines.
CodeReading ReadingFor(const Workspace& workspace);

// Reads the code of a component whose load deferred it (ModuleFile::
// codeDeferred): its lines and hidden attribute lines, as a whole load
// would have. worthReading (when given) is asked first, with the file's
// bytes past the header (the code lines and hidden lines, with their
// breaks): false leaves the code unread and returns false. A file read
// again gives the component the code page of the bytes read (it may have
// changed since the load), before worthReading is asked. Returns true
// when the component's code is read (or was never deferred). Touches that
// component and its file only, so components may be read side by side.
bool LoadDeferredCode(Workspace& workspace, memory::MemoryComponent& component,
                      const std::function<bool(std::string_view code)>& worthReading = {});

// Lets go of the code a load read into a component and of its file's bytes:
// the component keeps an empty code module (it still counts as a module with
// code), its file the path alone. For a command that only reads, once it has
// taken what it needs of the module (Workspace::SetModuleLoaded): a
// workspace whose code was let go is never saved.
void ReleaseLoadedCode(Workspace& workspace, memory::MemoryComponent& component);

// What a module whose code ReleaseCodeToReadAgain let go keeps for
// ReadReleasedCode: what tells whether its file still holds the bytes the
// load read without keeping them (their size and a hash), and where its
// procedures stand (costly to find again from the lines, and little to
// keep).
struct ReleasedCode {
    size_t size = 0;
    size_t hash = 0;
    memory::ProcedureIndex index;
    long lines = 0;  // how many lines the index is of
};

// ReleaseLoadedCode, for a command that wants a module's code once more
// later (to render changes in it): none, and nothing let go, for a component
// whose file's bytes are not kept.
std::optional<ReleasedCode> ReleaseCodeToReadAgain(Workspace& workspace,
                                                   memory::MemoryComponent& component);

// Reads again the code that ReleaseCodeToReadAgain let go: when the file
// still holds the bytes the load read, the component and its file hold what
// the load had put in them (released's index is taken). False, the
// component left as released, when the file can no longer be read or holds
// other bytes: another program changed it, and what was read from it then
// is no longer what it holds. Touches that component and its file only, so
// components may be read side by side.
bool ReadReleasedCode(Workspace& workspace, memory::MemoryComponent& component,
                      ReleasedCode& released);

// Loads the module file into the project, or, when it cannot be modelled,
// records it as a broken module of the project (named `name`, or after the
// file) and leaves it out.
void LoadModuleOrRecord(Workspace& workspace, memory::MemoryProject& project,
                        const std::string& path, int type, ReadModule read,
                        const std::string& name);

// A resource file or related document: a component without code.
memory::MemoryComponent& AddFileComponent(Workspace& workspace, memory::MemoryProject& project,
                                          const std::string& path, int type);

// The component type a module file's extension stands for (0 when none).
int TypeOfExtension(const std::string& path);

}  // namespace qv::host::files
