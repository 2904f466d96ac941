#pragma once
// What a module or project command of the add-in did, told when it ends: how
// many routines it changed and in how many modules, how many it left as they
// were, and a list of every routine it refused (and every module it passed
// over or could not finish) with the reason. Choosing a row shows that
// routine in its code window while the list keeps the focus, so the user
// goes down the list with the arrow keys; Enter or a double click hands the
// focus to the code.

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "shell/command_catalogue.h"
#include "shell/routine_run.h"

class QLabel;
class QTreeWidget;

namespace qv::workbench {

struct RunCounts {
    int changed = 0;    // routines (and declarations sections) changed
    int unchanged = 0;  // routines neither changed nor refused
    int refused = 0;
    int modules = 0;  // modules with a change
};

RunCounts CountRun(const shell::RunOutcome& run);

// The menu's name of a module or project command and the module's or
// project's name: "Add Error Handling to Project Example".
QString RunTitle(const shell::CommandInfo& command, const shell::RunOutcome& run);

// "Add Error Handling to Project Example: 3 routines changed in 2 modules,
// 1 left as it was; 2 refused, for the reasons below."
QString SummaryText(const QString& title, const RunCounts& counts);

// A row of the list: where it leads and why.
struct SummaryRow {
    host::VBComponent* component = nullptr;
    std::string routine;  // empty for a row about the whole module
    int kind = 0;
    QString reason;
};

std::vector<SummaryRow> RefusedRows(const shell::RunOutcome& run);

class RunSummary : public QDialog {
  public:
    // Shows a routine of a component (focusCode: and gives its code window
    // the focus).
    using GoTo = std::function<void(host::VBComponent& component, const std::string& routine,
                                    int kind, bool focusCode)>;

    RunSummary(const QString& title, const shell::RunOutcome& run, GoTo goTo,
               QWidget* parent = nullptr);

    QLabel& SummaryLabel() { return *summary_; }
    QTreeWidget& List() { return *list_; }

  private:
    void Follow(int row, bool focusCode);

    std::vector<SummaryRow> rows_;
    GoTo goTo_;
    QLabel* summary_ = nullptr;
    QTreeWidget* list_ = nullptr;
};

}  // namespace qv::workbench
