#include "host/files/workspace.h"

namespace qv::host::files {

ModuleFile& Workspace::Add(std::unique_ptr<ModuleFile> file) {
    files_.push_back(std::move(file));
    ModuleFile& added = *files_.back();
    if (added.component != nullptr) byComponent_[added.component] = &added;
    return added;
}

const ModuleFile* Workspace::FileOf(const memory::MemoryComponent& component) const {
    auto it = byComponent_.find(&component);
    return it == byComponent_.end() ? nullptr : it->second;
}

ModuleFile* Workspace::FileOf(const memory::MemoryComponent& component) {
    auto it = byComponent_.find(&component);
    return it == byComponent_.end() ? nullptr : it->second;
}

void Workspace::Forget(const memory::MemoryComponent& component) {
    auto it = byComponent_.find(&component);
    if (it == byComponent_.end()) return;
    const ModuleFile* file = it->second;
    byComponent_.erase(it);
    std::erase_if(files_, [&](const auto& f) { return f.get() == file; });
}

}  // namespace qv::host::files
