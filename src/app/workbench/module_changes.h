#pragma once
// One command is one undo step. Before a command the recorder takes the
// modules it may touch as they stand; afterwards the modules that changed
// make one step that puts them back (undo) and forward again (redo),
// hidden attribute lines included. (The code module's own edit
// transactions will take the place of the snapshots.)

#include <QUndoCommand>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/files/workspace.h"
#include "host/memory/memory_host.h"

namespace qv::workbench {

// A module's lines and hidden attribute lines at one moment. Lines that are
// still as loaded stay views into the file's bytes, so that they keep their
// own line breaks when the module is written after an undo.
class ModuleSnapshot {
public:
    ModuleSnapshot(host::memory::MemoryCodeModule& module, const host::files::ModuleFile* file);
    void Restore(host::memory::MemoryCodeModule& module) const;
    bool SameLines(const host::memory::MemoryCodeModule& module) const;

private:
    std::shared_ptr<const std::string> buffer_;
    std::vector<std::string_view> lines_;
    std::map<std::string, std::vector<host::memory::HiddenAttribute>> attributes_;
};

// Told after an undo or redo put modules back, so that editors follow.
using ModulesRestored = std::function<void(const std::vector<host::memory::MemoryCodeModule*>&)>;

class ModuleChangeRecorder {
public:
    explicit ModuleChangeRecorder(const host::files::Workspace& workspace) : workspace_(workspace) {}

    // The modules as they stand before a command.
    void Begin(const std::vector<host::memory::MemoryCodeModule*>& modules);
    // The undo step of what changed since Begin; nullptr when nothing did.
    std::unique_ptr<QUndoCommand> Finish(const QString& label, ModulesRestored restored);

private:
    struct Before {
        host::memory::MemoryCodeModule* module;
        unsigned long editCount;
        ModuleSnapshot snapshot;
    };
    const host::files::Workspace& workspace_;
    std::vector<Before> before_;
};

// Every code module of the workspace's host.
std::vector<host::memory::MemoryCodeModule*> AllModules(host::memory::MemoryVbe& vbe);

}  // namespace qv::workbench
