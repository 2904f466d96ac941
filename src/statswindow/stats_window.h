#pragma once
// The statistics window: the line figures of every module of the project
// chosen in the main window, with a total row above them, and on request the
// figures of every routine of one module. A hidden gesture (the right mouse
// button on "&Routine Details" with Shift, Ctrl and Alt held) lists every
// module of every project in one table instead.
//
// The figures are the statistics engine's (stats::GetModuleFigures and
// stats::RoutineStatistics), so they equal what `qvaddin stats` prints.

#include <QDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "host/code_host.h"
#include "stats/module_figures.h"
#include "ui/list_view_addon.h"

namespace qv::statswindow {

// What the main window hands over: its chosen project and the rows of its
// module list, and the projects of its project box for group statistics.
struct StatsSelection {
    std::string project;
    // In the module list's order; empty: every module of the project that
    // has code.
    std::vector<std::string> modules;
    // Empty: every open project, in collection order.
    std::vector<std::string> projects;
};

// Column headings, exactly.
const QStringList& ModuleColumns();
const QStringList& RoutineColumns();

class StatsWindow : public QDialog {
public:
    StatsWindow(host::VBE& vbe, StatsSelection selection, QWidget* parent = nullptr);

    // Lists the module figures (the first focus on the module list does this).
    void DoStats();
    // Lists the routines of the selected module (the button, a double click).
    void RoutineDetails();
    // Every module of every project in one table; only with more than one
    // project.
    void GroupStats();
    bool Computed() const { return computed_; }

    QTreeWidget& ModuleList() { return *moduleList_; }
    QTreeWidget& RoutineList() { return *routineList_; }
    QPushButton& DetailsButton() { return *detailsButton_; }
    QPushButton& CloseButton() { return *closeButton_; }
    QProgressBar& ProgressBar() { return *bar_; }
    ui::ListViewAddon& ModuleAddon() { return *moduleAddon_; }
    ui::ListViewAddon& RoutineAddon() { return *routineAddon_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    QTreeWidget* NewList(const QStringList& columns, ui::ListViewAddon*& addon);
    void ConnectEvents();
    void FirstFocus();
    void ListProjects(const std::vector<std::string>& projects, bool groupMode);
    std::vector<std::string> ModuleRows(const std::string& project) const;
    std::vector<std::string> BoxProjects() const;
    void AddModuleRow(const std::string& project, const std::string& module, bool groupMode,
                      stats::ModuleFigures& total, QTreeWidgetItem& totalRow);
    void FinishModuleList(QTreeWidgetItem& totalRow);
    void ListRoutines(const std::string& project, const std::string& module);
    void ModuleRowChanged(QTreeWidgetItem* row);
    // Grows the window so that every column shows whole, within the screen.
    void FitToColumns();
    void StartBar(long maximum);
    void AdvanceBar(long value);
    void HideBar();

    host::VBE& vbe_;
    StatsSelection selection_;
    bool computed_ = false;
    bool groupMode_ = false;
    std::string shownModule_;  // whose routines the routine list shows
    long barMaximum_ = 0;

    QTreeWidget* moduleList_ = nullptr;
    QTreeWidget* routineList_ = nullptr;
    ui::ListViewAddon* moduleAddon_ = nullptr;
    ui::ListViewAddon* routineAddon_ = nullptr;
    QPushButton* detailsButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QProgressBar* bar_ = nullptr;
};

}  // namespace qv::statswindow
