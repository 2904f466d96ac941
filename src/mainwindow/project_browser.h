#pragma once
// The page "&View and Insert" of the main window: the project browser. A
// list of the open projects, the modules of the chosen project with their
// routines counted by error-handling status, the routines of the chosen
// module with their status words, a read-only code box with the chosen
// routine, two progress bars, and the tool bars and buttons that act on the
// selection.
//
// The browser reads the code only through the code host; the routine
// commands (routine_commands.h) change it and then refresh the rows here.

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QTreeWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "errorhandling/module_counts.h"
#include "host/code_host.h"
#include "settings/settings_record.h"
#include "mainwindow/status_tally.h"
#include "platform/services.h"
#include "ui/list_view_addon.h"
#include "ui/progress_report.h"

class QMenu;

namespace qv::mainwindow {

class RoutineCommands;

// Roles of the data a row keeps beside its text.
inline constexpr int kIconRole = Qt::UserRole;  // module row: icon number; routine row: key
// Routine row: which copy of a routine defined more than once it stands
// for (its text then reads "Name (copy 2)"); 0 for most.
inline constexpr int kCopyRole = Qt::UserRole + 1;

// The routine a row of the routine list stands for: name, kind and copy.
analysis::RoutineEntry RowRoutine(const host::VBE& vbe, const QTreeWidgetItem& row);

// Column headings, exactly.
const QStringList& ModuleColumns();
const QStringList& RoutineColumns();

// Tool bar buttons: image number, tool tip, in button order (0: separator).
struct ToolButtonInfo {
    int image;
    const char* tip;
};
const std::vector<ToolButtonInfo>& ModuleToolButtons();
const std::vector<ToolButtonInfo>& RoutineToolButtons();

class ProjectBrowser : public QWidget, public ui::ProgressDisplay {
  public:
    // settings: the window's run of settings (it outlives the browser).
    ProjectBrowser(host::VBE& vbe, const settings::SettingsRecord& settings,
                   QWidget* parent = nullptr);
    ~ProjectBrowser() override;

    // Empties every list and the code box, then lists the open projects in
    // the host's order. Nothing is chosen.
    void ListProjects();
    // Chooses a project by name (as picking it in the box does): its modules
    // are listed, not evaluated. False when no such project is listed.
    bool ChooseProject(const QString& name);
    // Lists the modules of the chosen project; a status pass also works out
    // every module's counts ("&Status").
    void ListModules(bool statusPass);
    // "&Status": the status pass over every module of the chosen project.
    void StatusPass();

    // Works out the status of every routine of one module; unless
    // justGetStatus, also rebuilds the routine list (sorted by name).
    analysis::ModuleCounts ListRoutines(const std::string& project, const std::string& module,
                                        bool justGetStatus);
    // Writes the counts into a module row and sets its icon.
    void DoLine(QTreeWidgetItem& row, host::VBComponent& component, const RowCounts& counts);
    // Recounts the selected module row from the routine list's words.
    void DoStatusNumbers();
    // Clears the selection of every routine row and empties the code box.
    void ResetRoutines();

    // Choosing a module row lists its routines and evaluates the row; a
    // second click on the same row while the list has the focus does not.
    void ModuleClicked(QTreeWidgetItem* row);
    // Shows the routine of a selected row in the code box.
    void RoutineClicked(QTreeWidgetItem* row);
    // The routine's text in the code box, optionally with the caret at its end.
    void ShowRoutine(QTreeWidgetItem& row, bool caretAtEnd = false);

    // Selects a module row by name and lists its routines, as the "check"
    // opening does. False when the chosen project has no such row.
    bool ChooseModule(const QString& name);

    // The right button on a routine row at a point of the list (pixels,
    // relative to the list): selects the row and, unless it is the
    // declarations row, returns true (the pop-up opens).
    bool RoutineRightClick(QPoint onList);
    // "Go to Code": the code window at the routine of the selected row, the
    // caret on its last line when the click was in "Exit Status", else on its
    // first line. Returns false when there is nothing to go to.
    bool GoToCode();

    // The tool bars and buttons.
    void ModuleToolClicked(int image);
    void RoutineToolClicked(int image);
    void ShowDetails();

    // The progress report of the two bars. The bars are painted, and pending
    // events run, at most every few dozen milliseconds and whenever both
    // bars are hidden.
    void DoStatus(int value1 = -1, int value2 = -1, int max1 = -1, int max2 = -1);
    const ui::ProgressReport& Progress() const { return progress_; }

    // The chosen project ("" when none) and the module of the selected row.
    QString ProjectName() const;
    QTreeWidgetItem* SelectedModuleRow() const;
    host::VBComponent& ComponentOf(const QTreeWidgetItem& moduleRow);
    host::VBE& Vbe() { return vbe_; }

    QComboBox& ProjectBox() { return *projects_; }
    QTreeWidget& ModuleList() { return *modules_; }
    QTreeWidget& RoutineList() { return *routines_; }
    QPlainTextEdit& CodeBox() { return *code_; }
    QProgressBar& Bar(int index) { return *bars_.at(static_cast<size_t>(index)); }
    QToolBar& ModuleTools() { return *moduleTools_; }
    QToolBar& RoutineTools() { return *routineTools_; }
    QPushButton& DetailsButton() { return *details_; }
    QPushButton& StatusButton() { return *status_; }
    QRadioButton& AllModulesOption() { return *allModules_; }
    QRadioButton& ExcludeReadOnlyOption() { return *excludeReadOnly_; }
    ui::ListViewAddon& ModuleAddon() { return *moduleAddon_; }
    ui::ListViewAddon& RoutineAddon() { return *routineAddon_; }
    QMenu& RoutineMenu() { return *routineMenu_; }
    RoutineCommands& Commands() { return *commands_; }
    const settings::SettingsRecord& Settings() const { return settings_; }

    // Asked for when the window should close ("Go to Code" closes it).
    std::function<void()> onCloseRequest;

    // ProgressDisplay
    void DrawBar(int bar, int value, int maximum) override;
    void SetBarVisible(int bar, bool visible) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    QTreeWidget* NewList(const QStringList& columns, ui::ListViewAddon*& addon);
    QToolBar* NewToolBar(const std::vector<ToolButtonInfo>& buttons, bool moduleBar);
    void ConnectEvents();
    bool MovedByKey(QObject* watched, QEvent* event);
    void AddModuleRow(host::VBComponent& component, bool evaluate);
    void AddRoutineRow(const analysis::RoutineStatusRow& row);
    void SortList(ui::ListViewAddon& addon, int column);
    void ResortModules();
    void ShowBarValue(size_t bar);
    bool RefuseReadOnly(const QTreeWidgetItem* moduleRow);

    // While the browser lives the engines' progress reports reach its bars.
    class BarServices : public ForwardingServices {
      public:
        BarServices(Services& inner, ProjectBrowser& browser)
            : ForwardingServices(inner), browser_(browser) {}
        void DoStatus(int v1, int v2, int m1, int m2) override {
            browser_.DoStatus(v1, v2, m1, m2);
        }

      private:
        ProjectBrowser& browser_;
    };

    static constexpr qint64 kEventInterval = 30;  // ms between two event runs

    host::VBE& vbe_;
    ui::ProgressReport progress_;
    QElapsedTimer sinceEvents_;
    std::array<std::pair<int, int>, 2> barValues_{};  // value, maximum: drawn on the next paint
    BarServices barServices_;
    ScopedServices scopedServices_;
    QTreeWidgetItem* lastModuleRow_ = nullptr;
    QPoint menuPoint_;  // where the routine pop-up was opened, on the list

    QComboBox* projects_ = nullptr;
    QTreeWidget* modules_ = nullptr;
    QTreeWidget* routines_ = nullptr;
    ui::ListViewAddon* moduleAddon_ = nullptr;
    ui::ListViewAddon* routineAddon_ = nullptr;
    QPlainTextEdit* code_ = nullptr;
    std::array<QProgressBar*, 2> bars_{};
    QToolBar* moduleTools_ = nullptr;
    QToolBar* routineTools_ = nullptr;
    QPushButton* details_ = nullptr;
    QPushButton* status_ = nullptr;
    QRadioButton* allModules_ = nullptr;
    QRadioButton* excludeReadOnly_ = nullptr;
    QMenu* routineMenu_ = nullptr;
    RoutineCommands* commands_ = nullptr;
    const settings::SettingsRecord& settings_;
};

}  // namespace qv::mainwindow
