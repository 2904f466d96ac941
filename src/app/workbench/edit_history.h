#pragma once
// One command is one undo step. The code modules' edit transactions say
// where a command's edits begin and end: every group committed while a
// command runs joins that command's step, and a group committed outside one
// (a typed line) is a step of its own. A step keeps, for each group, only
// the lines it changed (as they were before and after) and the hidden
// attribute lines; lines as loaded stay views into their file, so that they
// keep their own line breaks.

#include <QString>
#include <QUndoStack>
#include <memory>
#include <utility>
#include <vector>

#include "host/memory/memory_host.h"

namespace qv::workbench {

class EditHistory : public host::CodeModuleObserver {
  public:
    explicit EditHistory(QUndoStack& stack) : stack_(stack) {}
    ~EditHistory() override;
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    void Watch(host::memory::MemoryCodeModule& module);
    void UnwatchAll();

    // Groups committed between these make one step named label.
    void BeginStep(const QString& label);
    void EndStep();
    // The name of a step made of one group committed outside a command
    // ("Typing" unless a window of the add-in runs its own commands);
    // returns the name it replaces, so that the caller can put it back.
    QString SetLoneGroupLabel(QString label) { return std::exchange(loneLabel_, std::move(label)); }

    // --- CodeModuleObserver
    void LinesInserted(host::CodeModule&, long, long) override {}
    void LinesDeleted(host::CodeModule&, long, long) override {}
    void LinesReplaced(host::CodeModule&, long, long, long) override {}
    void TransactionEnded(host::CodeModule& module, bool committed) override;

    // One committed group: lines first .. first + before.lines.size() - 1
    // (from 1) became the lines of after.
    struct Change {
        host::memory::MemoryCodeModule* module;
        long first;
        host::memory::LineSnapshot before;
        host::memory::LineSnapshot after;
        host::memory::MemoryCodeModule::AttributeLines attributesBefore;
        host::memory::MemoryCodeModule::AttributeLines attributesAfter;
        unsigned long editCountBefore;
        unsigned long editCountAfter;
    };

  private:
    void Push(const QString& label, std::vector<Change> changes);

    QUndoStack& stack_;
    std::vector<host::memory::MemoryCodeModule*> watched_;
    bool inStep_ = false;
    QString label_;
    QString loneLabel_ = QObject::tr("Typing");
    std::vector<Change> pending_;
};

}  // namespace qv::workbench
