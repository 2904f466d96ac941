#pragma once
// What a command that only reads keeps of each module as the load reads it:
// the module's code and bytes are let go once kept, so that the next
// modules are read into the same memory and a large project never sits in
// memory whole. A module the load did not hand over (one selected by name,
// whose code is kept) is worked on later, from its code.
//
//     KeptAtLoad<Figures> counted([](MemoryComponent& c) { return Count(c); });
//     auto target = LoadTarget(context, paths, true, false, {}, counted.OnLoaded());
//     if (std::optional<Figures> figures = counted.Take(component)) ...

#include <functional>
#include <optional>
#include <unordered_map>
#include <utility>

#include "host/code_host.h"
#include "host/files/module_loader.h"
#include "host/files/workspace.h"
#include "host/memory/memory_host.h"

namespace qv::cli {

template <typename Kept>
class KeptAtLoad {
public:
    // What to keep of a module as it is loaded; nothing (std::nullopt)
    // leaves the module and its code as they are.
    using Keep = std::function<std::optional<Kept>(host::memory::MemoryComponent& component)>;

    explicit KeptAtLoad(Keep keep) : keep_(std::move(keep)) {}
    KeptAtLoad(const KeptAtLoad&) = delete;
    KeptAtLoad& operator=(const KeptAtLoad&) = delete;

    // For the load (LoadTarget's moduleLoaded), which calls it on one thread
    // with each module in turn.
    host::files::ModuleLoaded OnLoaded() {
        return [this](host::files::Workspace& workspace, host::memory::MemoryComponent& component) {
            std::optional<Kept> kept = keep_(component);
            if (!kept) return;
            kept_.insert_or_assign(&component, std::move(*kept));
            host::files::ReleaseLoadedCode(workspace, component);
        };
    }

    // What was kept of the component at its load, or nullptr.
    const Kept* Find(const host::VBComponent& component) const {
        const auto at = kept_.find(&component);
        return at == kept_.end() ? nullptr : &at->second;
    }

    // What was kept of the component, moved out (once: a second take finds
    // what the first left); std::nullopt when nothing was. Once the load is
    // over, components apart may be taken side by side (each touches only
    // its own entry).
    std::optional<Kept> Take(const host::VBComponent& component) {
        const auto at = kept_.find(&component);
        if (at == kept_.end()) return std::nullopt;
        return std::move(at->second);
    }

private:
    Keep keep_;
    std::unordered_map<const host::VBComponent*, Kept> kept_;
};

}  // namespace qv::cli
