#include "app/workbench/module_changes.h"

namespace qv::workbench {

using host::memory::MemoryCodeModule;

namespace {

class ModulesStep : public QUndoCommand {
public:
    struct Change {
        MemoryCodeModule* module;
        ModuleSnapshot before;
        ModuleSnapshot after;
    };
    ModulesStep(const QString& label, std::vector<Change> changes, ModulesRestored restored)
        : QUndoCommand(label), changes_(std::move(changes)), restored_(std::move(restored)) {}

    // The command itself has run already; the first redo does nothing.
    void redo() override {
        if (first_) {
            first_ = false;
            return;
        }
        Apply(false);
    }
    void undo() override { Apply(true); }

private:
    void Apply(bool back) {
        std::vector<MemoryCodeModule*> modules;
        for (const Change& c : changes_) {
            (back ? c.before : c.after).Restore(*c.module);
            modules.push_back(c.module);
        }
        if (restored_) restored_(modules);
    }

    std::vector<Change> changes_;
    ModulesRestored restored_;
    bool first_ = true;
};

}  // namespace

ModuleSnapshot::ModuleSnapshot(MemoryCodeModule& module, const host::files::ModuleFile* file) {
    for (const std::string& member : module.MembersWithHiddenAttributes()) {
        attributes_.emplace(member, *module.HiddenAttributes(member));
    }
    const long n = module.CountOfLines();
    lines_.reserve(static_cast<size_t>(n));
    if (module.EditCount() == 0 && file != nullptr && file->bytes) {
        buffer_ = file->bytes;
        for (long i = 1; i <= n; ++i) lines_.push_back(module.Line(i));
        return;
    }
    // Edited lines live in the module's own store, which later edits move:
    // copy them into one buffer of the snapshot's own.
    auto buffer = std::make_shared<std::string>();
    std::vector<std::pair<size_t, size_t>> spans;
    spans.reserve(static_cast<size_t>(n));
    for (long i = 1; i <= n; ++i) {
        const std::string_view line = module.Line(i);
        spans.emplace_back(buffer->size(), line.size());
        buffer->append(line);
    }
    for (const auto& [offset, size] : spans) lines_.emplace_back(buffer->data() + offset, size);
    buffer_ = std::move(buffer);
}

void ModuleSnapshot::Restore(MemoryCodeModule& module) const {
    module.LoadLines(buffer_, lines_);
    for (const std::string& member : module.MembersWithHiddenAttributes()) {
        module.SetHiddenAttributes(member, {});
    }
    for (const auto& [member, lines] : attributes_) module.SetHiddenAttributes(member, lines);
}

bool ModuleSnapshot::SameLines(const MemoryCodeModule& module) const {
    if (static_cast<long>(lines_.size()) != module.CountOfLines()) return false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i] != module.Line(static_cast<long>(i) + 1)) return false;
    }
    return true;
}

void ModuleChangeRecorder::Begin(const std::vector<MemoryCodeModule*>& modules) {
    before_.clear();
    for (MemoryCodeModule* module : modules) {
        auto& component = static_cast<host::memory::MemoryComponent&>(module->Parent());
        before_.push_back({module, module->EditCount(),
                           ModuleSnapshot(*module, workspace_.FileOf(component))});
    }
}

std::unique_ptr<QUndoCommand> ModuleChangeRecorder::Finish(const QString& label,
                                                           ModulesRestored restored) {
    std::vector<ModulesStep::Change> changes;
    for (Before& b : before_) {
        if (b.module->EditCount() == b.editCount) continue;
        if (b.snapshot.SameLines(*b.module) && b.module->MembersWithHiddenAttributes().empty()) {
            continue;
        }
        auto& component = static_cast<host::memory::MemoryComponent&>(b.module->Parent());
        changes.push_back({b.module, std::move(b.snapshot),
                           ModuleSnapshot(*b.module, workspace_.FileOf(component))});
    }
    before_.clear();
    if (changes.empty()) return nullptr;
    return std::make_unique<ModulesStep>(label, std::move(changes), std::move(restored));
}

std::vector<MemoryCodeModule*> AllModules(host::memory::MemoryVbe& vbe) {
    std::vector<MemoryCodeModule*> modules;
    for (long p = 1; p <= vbe.Projects().Count(); ++p) {
        auto& components = vbe.Projects().At(p).Components();
        for (long c = 1; c <= components.Count(); ++c) {
            if (MemoryCodeModule* code = components.At(c).Code()) modules.push_back(code);
        }
    }
    return modules;
}

}  // namespace qv::workbench
