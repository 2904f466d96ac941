#include "workspace/loaded_target.h"

#include <algorithm>
#include <atomic>

#include "host/files/file_error.h"
#include "host/files/project_loader.h"
#include "host/files/workspace_saver.h"

namespace qv::workspace {

using host::memory::MemoryComponent;
using host::memory::MemoryProject;

namespace {
std::atomic<bool> keepUntilExit{false};
}  // namespace

void KeepTargetsUntilExit(bool keep) {
    keepUntilExit = keep;
}

LoadedTarget::LoadedTarget(host::memory::MemoryVbe* into)
    : ownVbe_(into == nullptr ? std::make_unique<host::memory::MemoryVbe>() : nullptr),
      vbe_(into == nullptr ? ownVbe_.get() : into),
      files_(std::make_unique<host::files::Workspace>(*vbe_)) {}

LoadedTarget::~LoadedTarget() {
#if !defined(__SANITIZE_ADDRESS__)
    if (keepUntilExit) {
        // The process ends next and the system takes the memory back at once.
        static_cast<void>(files_.release());
        static_cast<void>(ownVbe_.release());
        return;
    }
#endif
    files_.reset();
    ownVbe_.reset();
}

std::string LoadedTarget::PathsText() const {
    std::string text;
    for (const std::string& p : paths_) text += (text.empty() ? "" : " ") + p;
    return text;
}

std::vector<MemoryProject*> LoadedTarget::Projects() {
    std::vector<MemoryProject*> projects;
    auto& all = vbe_->Projects();
    for (long i = 1; i <= all.Count(); ++i) projects.push_back(&all.At(i));
    return projects;
}

std::vector<MemoryProject*> LoadedTarget::NamedProjects() {
    const std::vector<MemoryProject*> loaded = Projects();
    std::vector<MemoryProject*> named;
    for (MemoryProject* project : files_->NamedProjects()) {
        if (std::find(loaded.begin(), loaded.end(), project) != loaded.end()) {
            named.push_back(project);
        }
    }
    return named;
}

std::vector<MemoryComponent*> LoadedTarget::Components(MemoryProject& project) {
    std::vector<MemoryComponent*> components;
    auto& all = project.Components();
    for (long i = 1; i <= all.Count(); ++i) components.push_back(&all.At(i));
    return components;
}

std::vector<host::files::BrokenModule> LoadedTarget::BrokenModules(
    const MemoryProject* project) const {
    std::vector<host::files::BrokenModule> broken;
    for (const host::files::BrokenModule& module : files_->BrokenModules()) {
        if (project == nullptr || module.project == project) broken.push_back(module);
    }
    return broken;
}

// The one way in to fill a target's private parts.
struct OpenAccess {
    static void SetPaths(LoadedTarget& t, std::vector<std::string> p) { t.paths_ = std::move(p); }
    static void SetLeftovers(LoadedTarget& t, std::vector<std::string> l) {
        t.leftovers_ = std::move(l);
    }
};

OpenResult Open(const std::vector<std::string>& paths, const OpenOptions& options) {
    OpenResult result;
    if (paths.empty()) {
        result.error = "name a target: a .vbp project, a .vbg project group or module files";
        return result;
    }
    auto target = std::make_unique<LoadedTarget>(options.into);
    target->Files().SetCheckProcedures(options.checkProcedures);
    target->Files().SetDeferCode(options.deferCode);
    target->Files().SetCodeFilter(options.codeFilter);
    target->Files().SetModuleLoaded(options.moduleLoaded);
    target->Files().SetLargestFile(options.largestFile);
    OpenAccess::SetPaths(*target, paths);
    target->Vbe().SetTextCodePage(options.codePage);
    // Set before the load: a command may read each module as it is loaded.
    target->Vbe().SetTabWidth(options.tabWidth);
    try {
        host::files::LoadTargets(target->Files(), paths);
    } catch (const host::files::FileError& e) {
        result.error = e.what();
        return result;
    }
    if (options.removeLeftovers) {
        OpenAccess::SetLeftovers(*target, host::files::RemoveLeftoverTempFiles(target->Files()));
    }
    result.target = std::move(target);
    return result;
}

}  // namespace qv::workspace
