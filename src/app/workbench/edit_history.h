#pragma once
// One command is one undo step. The code modules' edit transactions say
// where a command's edits begin and end: every group committed while a
// command runs joins that command's step, and a group committed outside one
// (a typed line) is a step of its own. A step puts the modules back as the
// host had them at each group's begin (undo) and as at its end (redo),
// hidden attribute lines included, so that lines as loaded keep their own
// line breaks.

#include <QString>
#include <QUndoStack>
#include <map>
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

    struct Change {
        host::memory::MemoryCodeModule* module;
        host::memory::MemoryCodeModule::State before;
        host::memory::MemoryCodeModule::State after;
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
