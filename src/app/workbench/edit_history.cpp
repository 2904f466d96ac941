#include "app/workbench/edit_history.h"

#include <QUndoCommand>
#include <algorithm>

namespace qv::workbench {

using host::memory::MemoryCodeModule;

namespace {

class ModulesStep : public QUndoCommand {
  public:
    ModulesStep(const QString& label, std::vector<EditHistory::Change> changes)
        : QUndoCommand(label), changes_(std::move(changes)) {}

    // The command itself has run already; the first redo does nothing.
    void redo() override {
        if (first_) {
            first_ = false;
            return;
        }
        for (const auto& c : changes_) c.module->Restore(c.after);
    }
    void undo() override {
        for (auto it = changes_.rbegin(); it != changes_.rend(); ++it)
            it->module->Restore(it->before);
    }

  private:
    std::vector<EditHistory::Change> changes_;
    bool first_ = true;
};

// Whether a group left the module's text as it was (a typed line that the
// host tidied back to what it held): no step then.
bool SameText(const MemoryCodeModule::State& a, const MemoryCodeModule::State& b) {
    return a.lines.lines == b.lines.lines && a.attributes == b.attributes;
}

}  // namespace

EditHistory::~EditHistory() {
    UnwatchAll();
}

void EditHistory::Watch(MemoryCodeModule& module) {
    if (std::find(watched_.begin(), watched_.end(), &module) != watched_.end()) return;
    module.Subscribe(this);
    watched_.push_back(&module);
}

void EditHistory::UnwatchAll() {
    for (MemoryCodeModule* module : watched_) module->Unsubscribe(this);
    watched_.clear();
    pending_.clear();
}

void EditHistory::BeginStep(const QString& label) {
    inStep_ = true;
    label_ = label;
    pending_.clear();
}

void EditHistory::EndStep() {
    inStep_ = false;
    Push(label_, std::move(pending_));
    pending_.clear();
}

void EditHistory::TransactionEnded(host::CodeModule& codeModule, bool committed) {
    auto& module = static_cast<MemoryCodeModule&>(codeModule);
    const MemoryCodeModule::State* before = module.CommittedFrom();
    // A group that changed nothing is no step.
    if (!committed || before == nullptr || before->editCount == module.EditCount()) return;
    Change change{&module, *before, module.Current()};
    if (SameText(change.before, change.after)) return;
    if (!inStep_) {
        Push(loneLabel_, {std::move(change)});
        return;
    }
    // A second group of one module in the same command: the step goes back
    // to where the first began.
    auto same = std::find_if(pending_.begin(), pending_.end(),
                             [&](const Change& c) { return c.module == &module; });
    if (same != pending_.end()) {
        same->after = std::move(change.after);
    } else {
        pending_.push_back(std::move(change));
    }
}

void EditHistory::Push(const QString& label, std::vector<Change> changes) {
    if (changes.empty()) return;
    stack_.push(new ModulesStep(label, std::move(changes)));
}

}  // namespace qv::workbench
