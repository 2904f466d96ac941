#include "app/workbench/edit_history.h"

#include <QUndoCommand>
#include <algorithm>
#include <string_view>

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
        for (const auto& c : changes_) {
            c.module->RestorePart(c.first, static_cast<long>(c.before.lines.size()), c.after,
                                  c.attributesAfter, c.editCountAfter);
        }
    }
    void undo() override {
        for (auto it = changes_.rbegin(); it != changes_.rend(); ++it) {
            it->module->RestorePart(it->first, static_cast<long>(it->after.lines.size()),
                                    it->before, it->attributesBefore, it->editCountBefore);
        }
    }

  private:
    std::vector<EditHistory::Change> changes_;
    bool first_ = true;
};

bool SameLine(std::string_view a, std::string_view b) {
    return (a.data() == b.data() && a.size() == b.size()) || a == b;
}

// The lines a group left as they were at the module's start and end.
std::pair<size_t, size_t> UnchangedEnds(const std::vector<std::string_view>& before,
                                        const MemoryCodeModule& module) {
    const size_t oldCount = before.size();
    const auto newCount = static_cast<size_t>(module.CountOfLines());
    size_t prefix = 0;
    while (prefix < oldCount && prefix < newCount &&
           SameLine(before[prefix], module.Line(static_cast<long>(prefix) + 1)))
        ++prefix;
    size_t suffix = 0;
    while (
        suffix < oldCount - prefix && suffix < newCount - prefix &&
        SameLine(before[oldCount - 1 - suffix], module.Line(static_cast<long>(newCount - suffix))))
        ++suffix;
    return {prefix, suffix};
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
    const auto [prefix, suffix] = UnchangedEnds(before->lines.lines, module);
    const size_t oldCount = before->lines.lines.size() - prefix - suffix;
    const size_t newCount = static_cast<size_t>(module.CountOfLines()) - prefix - suffix;
    // A typed line that the host tidied back to what it held: no step either.
    if (oldCount == 0 && newCount == 0 && before->attributes == module.AllHiddenAttributes())
        return;
    const long first = static_cast<long>(prefix) + 1;
    Change change{
        &module,
        first,
        host::memory::SnapshotPart(before->lines, prefix, oldCount, module.LoadedBuffers()),
        module.LinesPart(first, static_cast<long>(newCount)),
        before->attributes,
        module.AllHiddenAttributes(),
        before->editCount,
        module.EditCount()};
    if (inStep_) {
        pending_.push_back(std::move(change));
        return;
    }
    std::vector<Change> lone;
    lone.push_back(std::move(change));
    Push(loneLabel_, std::move(lone));
}

void EditHistory::Push(const QString& label, std::vector<Change> changes) {
    if (changes.empty()) return;
    stack_.push(new ModulesStep(label, std::move(changes)));
}

}  // namespace qv::workbench
