#pragma once
// The commands of the project browser's tool bars: the engines applied to
// the selected routine rows of the chosen module, or to every row of it.
// Each tool bar click is one edit transaction of the module, so that the
// workbench undoes it in one step; an error halfway puts the module back
// and lists its routines afresh.
//
// After a command the rows it touched are judged again from the code, so
// that the routine list always shows what a fresh listing would show, and
// the module row is recounted from the list.

#include <QList>
#include <QTreeWidgetItem>
#include <string>

#include "host/code_host.h"

namespace qv::mainwindow {

class ProjectBrowser;

class RoutineCommands {
  public:
    explicit RoutineCommands(ProjectBrowser& browser);

    // The module tool bar (every row of the module) and the routine tool bar
    // (the selected rows), by button image number; the browser has checked
    // the module row and asked before deleting.
    void RunModuleCommand(int image);
    void RunRoutineCommand(int image);

    // On the selected rows.
    void InsertEH();
    void ReplaceEH();
    void RemoveEH();
    void DeleteRoutine();
    void AddLine();
    void TidyRoutine();
    // On every row of the module (each selects its rows first).
    void AddEH_Mod();
    void RepEH_Mod();
    void Remove_EH_MOD();
    void ADD_Line_MOD();
    void Tidy_Up_Mod();

  private:
    template <class Command>
    void InOneStep(Command&& command);
    host::CodeModule& Module();
    host::Member& MemberOf(const QTreeWidgetItem& row);
    int KindOf(const QTreeWidgetItem& row) const;
    bool IsDeclarations(const QTreeWidgetItem& row) const;
    QList<QTreeWidgetItem*> Rows() const;
    QList<QTreeWidgetItem*> SelectedRows() const;
    void SelectWhere(bool (*wanted)(const QString& topWord), bool keepSelected);
    void Rejudge(QTreeWidgetItem& row);
    void ShowCurrentRow();
    void StartRowBar();
    void AdvanceRowBar(int index);
    bool RemoveFrom(QTreeWidgetItem& row);

    ProjectBrowser& browser_;
};

}  // namespace qv::mainwindow
