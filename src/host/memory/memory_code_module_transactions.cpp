// A code module's states and edit groups: what it was at a group's start,
// committing a group, cancelling one (its edits undone), and putting back
// a state or a part of one.

#include <algorithm>
#include <memory>

#include "host/memory/memory_code_module_observers.h"
#include "host/memory/memory_host.h"
#include "platform/vb_error.h"

namespace qv::host::memory {

MemoryCodeModule::State MemoryCodeModule::Current() const {
    return {lines_.Snapshot(), attributes_, editCount_};
}

void MemoryCodeModule::PutBack(const State& state) {
    RecordReload();
    attributes_ = state.attributes;
    const long oldCount = lines_.Count();
    lines_.Restore(state.lines);
    AfterReload(oldCount);
}

void MemoryCodeModule::Restore(const State& state) {
    editCount_ = std::max(editCount_, state.editCount) + 1;
    PutBack(state);
}

void MemoryCodeModule::RestorePart(long first, long oldCount, const LineSnapshot& lines,
                                   const AttributeLines& attributes, unsigned long editCount) {
    if (first < 1 || oldCount < 0 || first + oldCount - 1 > lines_.Count())
        Raise(err::kInvalidProcedureCall);
    editCount_ = std::max(editCount_, editCount) + 1;
    const bool sameAttributes = &attributes == &attributes_ || attributes == attributes_;
    if (!sameAttributes) attributes_ = attributes;
    const auto newCount = static_cast<long>(lines.lines.size());
    const long oldDeclarations = indexCurrent_ ? index_.DeclarationLines() : -1;
    RecordEdit(first - 1, oldCount, newCount);
    // Told to the index as an edit: putting back one routine costs that
    // routine, not a new reading of the whole module.
    lines_.Replace(first - 1, oldCount, lines);
    if (indexCurrent_) index_.OnReplaced(lines_, first, oldCount, newCount);
    // The members are read again only when their attribute lines or the
    // declarations section may have changed.
    if (!sameAttributes || oldDeclarations < 0 || first <= oldDeclarations + 1 ||
        index_.DeclarationLines() != oldDeclarations) {
        ++declarationsVersion_;
    }
    if (oldCount > 0 || newCount > 0) {
        TellObservers(
            [&](CodeModuleObserver& o) { o.LinesReplaced(*this, first, oldCount, newCount); });
    }
}

void MemoryCodeModule::BeginTransaction() {
    auto begun = std::make_unique<Transaction>();
    begun->attributes = attributes_;
    begun->editCount = editCount_;
    for (const auto& open : transactions_) begun->enclosingSteps.push_back(open->steps.size());
    transactions_.push_back(std::move(begun));
}

void MemoryCodeModule::RecordEdit(long index, long oldCount, long newCount) {
    for (const auto& open : transactions_) {
        if (!open->lines) open->steps.push_back({index, newCount, lines_.Snapshot(index, oldCount)});
    }
}

void MemoryCodeModule::RecordReload() {
    for (const auto& open : transactions_) {
        if (open->lines) continue;
        open->lines = LinesAtBegin(*open);
        open->steps.clear();
    }
}

LineSnapshot MemoryCodeModule::LinesAtBegin(const Transaction& transaction) const {
    if (transaction.lines) return *transaction.lines;
    LineSnapshot lines = lines_.Snapshot();
    for (auto step = transaction.steps.rbegin(); step != transaction.steps.rend(); ++step) {
        const auto at = lines.lines.begin() + step->index;
        lines.lines.erase(at, at + step->inserted);
        lines.lines.insert(lines.lines.begin() + step->index, step->removed.lines.begin(),
                           step->removed.lines.end());
        lines.buffers.insert(lines.buffers.end(), step->removed.buffers.begin(),
                             step->removed.buffers.end());
    }
    return lines;
}

const MemoryCodeModule::State* MemoryCodeModule::CommittedFrom() const {
    if (!committed_) return nullptr;
    if (!committedFrom_) {
        committedFrom_ = std::make_unique<State>(
            State{LinesAtBegin(*committed_), committed_->attributes, committed_->editCount});
    }
    return committedFrom_.get();
}

void MemoryCodeModule::CommitTransaction() {
    if (transactions_.empty()) Raise(err::kInvalidProcedureCall);
    std::unique_ptr<Transaction> ended = std::move(transactions_.back());
    transactions_.pop_back();
    // An inner group's edits are the enclosing group's already; the
    // observers hear of the outermost group only.
    if (!transactions_.empty()) return;
    committed_ = std::move(ended);
    TellObservers([&](CodeModuleObserver& o) { o.TransactionEnded(*this, true); });
    committed_.reset();
    committedFrom_.reset();
    // Until the next group the lines are read far more than edited (a
    // project-wide command holds every module until it is written): packed,
    // they take about half the room.
    lines_.Compact();
}

void MemoryCodeModule::CancelTransaction() {
    if (transactions_.empty()) Raise(err::kInvalidProcedureCall);
    std::unique_ptr<Transaction> t = std::move(transactions_.back());
    transactions_.pop_back();
    // The enclosing groups forget the edits undone here.
    for (size_t i = 0; i < transactions_.size(); ++i) {
        if (!transactions_[i]->lines) transactions_[i]->steps.resize(t->enclosingSteps[i]);
    }
    // Nothing a cancelled group did remains: a module that was as loaded is
    // so again, and is not written back.
    if (editCount_ != t->editCount) {
        editCount_ = t->editCount;
        if (t->lines) {
            PutBack({*t->lines, t->attributes, t->editCount});
        } else {
            UndoSteps(*t);
        }
    } else {
        attributes_ = std::move(t->attributes);
        ++declarationsVersion_;  // the attribute lines may have changed
    }
    if (!transactions_.empty()) return;
    TellObservers([&](CodeModuleObserver& o) { o.TransactionEnded(*this, false); });
}

// The group's edits undone from the last, the index kept by each.
void MemoryCodeModule::UndoSteps(const Transaction& transaction) {
    const long oldCount = lines_.Count();
    attributes_ = transaction.attributes;
    for (auto step = transaction.steps.rbegin(); step != transaction.steps.rend(); ++step) {
        lines_.Replace(step->index, step->inserted, step->removed);
        if (indexCurrent_) {
            index_.OnReplaced(lines_, step->index + 1, step->inserted,
                              static_cast<long>(step->removed.lines.size()));
        }
    }
    ++declarationsVersion_;
    if (oldCount > 0 || lines_.Count() > 0) {
        TellObservers(
            [&](CodeModuleObserver& o) { o.LinesReplaced(*this, 1, oldCount, lines_.Count()); });
    }
}

}  // namespace qv::host::memory
