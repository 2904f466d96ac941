#pragma once
// A target opened for work: the files of one or more projects, groups or
// module files loaded into an in-memory host, with what the load met on the
// way (warnings, modules that could not be modelled, temporary files of an
// interrupted run that were removed) kept as values for the caller to show.
//
//     workspace::OpenResult opened = workspace::Open({"Sample.vbp"});
//     if (!opened.target) { show(opened.error); return; }
//     for (auto* project : opened.target->Projects()) ...

#include <memory>
#include <string>
#include <vector>

#include "host/files/workspace.h"
#include "host/memory/memory_vbe.h"
#include "platform/code_page.h"

namespace qv::workspace {

class LoadedTarget {
  public:
    // into: an IDE's own root to load the projects into (it outlives the
    // target); nullptr: a root of the target's own.
    explicit LoadedTarget(host::memory::MemoryVbe* into = nullptr);
    ~LoadedTarget();
    LoadedTarget(const LoadedTarget&) = delete;
    LoadedTarget& operator=(const LoadedTarget&) = delete;

    host::memory::MemoryVbe& Vbe() { return *vbe_; }
    host::files::Workspace& Files() { return *files_; }
    const host::files::Workspace& Files() const { return *files_; }
    // The paths as opened.
    const std::vector<std::string>& Paths() const { return paths_; }
    // The paths as one text, for messages.
    std::string PathsText() const;

    // The projects in load order, and the components of one.
    std::vector<host::memory::MemoryProject*> Projects();
    static std::vector<host::memory::MemoryComponent*> Components(
        host::memory::MemoryProject& project);
    // The projects the paths name, in their order (a project file's, a
    // group's startup project, a folder of loose module files'), those of
    // them still loaded.
    std::vector<host::memory::MemoryProject*> NamedProjects();

    // Problems that did not stop the load (a project naming a missing file).
    const std::vector<std::string>& Warnings() const { return files_->Warnings(); }
    // The modules of the project that could not be modelled, or of every
    // project when project is nullptr, in the order they were met.
    std::vector<host::files::BrokenModule> BrokenModules(
        const host::memory::MemoryProject* project = nullptr) const;
    // Temporary files that an interrupted run left beside the target's
    // files, removed when the target was opened (OpenOptions.removeLeftovers).
    const std::vector<std::string>& RemovedLeftovers() const { return leftovers_; }

  private:
    friend struct OpenAccess;
    std::unique_ptr<host::memory::MemoryVbe> ownVbe_;
    host::memory::MemoryVbe* vbe_;
    std::unique_ptr<host::files::Workspace> files_;
    std::vector<std::string> paths_;
    std::vector<std::string> leftovers_;
};

struct OpenOptions {
    // false: a module whose procedure lacks its End line is loaded rather
    // than refused, which spares a caller that only reads text the reading
    // of every module's procedures.
    bool checkProcedures = true;
    // The workbench keeps one root, with its windows, command bars and the
    // add-in's connection, from one opened target to the next: the projects
    // are loaded into it (which holds none then). nullptr: a new root.
    host::memory::MemoryVbe* into = nullptr;
    // The most bytes a project, group or module file may hold: a larger one
    // is refused before it is read.
    size_t largestFile = static_cast<size_t>(host::kDefaultLargestModuleMb) * 1024 * 1024;
    // Remove the temporary files a killed run left beside the files (see
    // host/files/temp_files.h). Only a program that writes there does so:
    // work that only reads leaves the user's folders as they are.
    bool removeLeftovers = false;
    // Leave the modules' code unread until host::files::LoadDeferredCode
    // reads it (only with checkProcedures false): for a caller that reads
    // the text of a few modules only.
    bool deferCode = false;
    // With deferCode: the test of a module's bytes past its header that every
    // module whose code the caller reads passes; the bytes of one that fails
    // are dropped as it is read (host::files::Workspace::SetCodeFilter).
    host::files::CodeFilter codeFilter{};
    // Called with each module whose code is read, as soon as it is loaded
    // (host::files::Workspace::SetModuleLoaded).
    host::files::ModuleLoaded moduleLoaded{};
    // The code page of the run: the files are read in it (a file written in
    // UTF-8 is read as UTF-8), names and paths in them compared as its text.
    text::CodePage codePage{};
    // The width the host lays received tabs out with, as the IDE does: the
    // run's tab width (settings::TabWidth::HostWidth).
    int tabWidth = 4;
};

struct OpenResult {
    std::unique_ptr<LoadedTarget> target;  // nullptr when nothing could be opened
    std::string error;  // why not: the file (and line) at fault and what is wrong
};

// Loads the paths (each a .vbp project, a .vbg group or a module file) and
// lays out received tabs with the tab width of the options. An empty list, a missing
// or unreadable file, or one that is not what it says gives no target and
// the error.
OpenResult Open(const std::vector<std::string>& paths, const OpenOptions& options = {});

// A program that ends its process once its work is done need not take a
// large target apart piece by piece (its many small blocks take a noticeable
// part of a search's time to free); the system takes the memory back at
// once. Programs that open many targets in one process leave this off.
void KeepTargetsUntilExit(bool keep);

}  // namespace qv::workspace
