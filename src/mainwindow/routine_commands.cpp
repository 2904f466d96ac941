#include "mainwindow/routine_commands.h"

#include <algorithm>

#include "analysis/routine_parsing.h"
#include "errorhandling/insertion.h"
#include "errorhandling/messages.h"
#include "errorhandling/module_counts.h"
#include "errorhandling/removal.h"
#include "errorhandling/routine_text.h"
#include "mainwindow/project_browser.h"
#include "platform/error_state.h"
#include "platform/services.h"
#include "platform/vb_error.h"
#include "settings/settings_record.h"
#include "shell/line_number_commands.h"
#include "tidy/tidy_routine.h"
#include "ui/vb_qstring.h"

namespace qv::mainwindow {

namespace {

constexpr const char* kModule = "frmQVAddIn";
constexpr int kConfirmRemoval = 6;
constexpr int kYesNoQuestionNoDefault = mb::kYesNo | mb::kQuestion | mb::kDefaultButton2;

enum Image { kAdd = 1, kReplace = 2, kRemove = 3, kLines = 4, kIndent = 6, kDelete = 7 };

// A name as the browser shows it, back as the IDE's bytes.
std::string Bytes(host::VBE& vbe, const QString& text) {
    return ui::VbBytes(text, vbe.TextCodePage());
}

bool IsMissing(const QString& top) { return top == "MISSING"; }
bool IsNotSome(const QString& top) { return top != "SOME"; }
bool HasOurHandler(const QString& top) {
    return top == "OK" || top == "IN ERROR" || top == "EXTRA CODE";
}
bool AnyRow(const QString&) { return true; }

}  // namespace

RoutineCommands::RoutineCommands(ProjectBrowser& browser) : browser_(browser) {}

host::CodeModule& RoutineCommands::Module() {
    QTreeWidgetItem* moduleRow = browser_.SelectedModuleRow();
    if (moduleRow == nullptr) Raise(err::kObjectRequired, "No module is selected");
    host::CodeModule* module = browser_.ComponentOf(*moduleRow).CodeModule();
    if (module == nullptr) Raise(err::kObjectRequired, "The module has no code");
    return *module;
}

host::Member& RoutineCommands::MemberOf(const QTreeWidgetItem& row) {
    return Module().Members().Item(RowRoutine(browser_.Vbe(), row).name);
}

int RoutineCommands::KindOf(const QTreeWidgetItem& row) const {
    return analysis::ProcKind(Bytes(browser_.Vbe(), row.text(1)));
}

bool RoutineCommands::IsDeclarations(const QTreeWidgetItem& row) const {
    return row.text(0) == QString::fromLatin1(analysis::kDeclarationsName.data(),
                                              static_cast<qsizetype>(analysis::kDeclarationsName.size()));
}

QList<QTreeWidgetItem*> RoutineCommands::Rows() const {
    QList<QTreeWidgetItem*> rows;
    QTreeWidget& list = browser_.RoutineList();
    for (int i = 0; i < list.topLevelItemCount(); ++i) rows << list.topLevelItem(i);
    return rows;
}

QList<QTreeWidgetItem*> RoutineCommands::SelectedRows() const {
    QList<QTreeWidgetItem*> rows;
    for (QTreeWidgetItem* row : Rows()) {
        if (row->isSelected()) rows << row;
    }
    return rows;
}

void RoutineCommands::SelectWhere(bool (*wanted)(const QString& topWord), bool keepSelected) {
    for (QTreeWidgetItem* row : Rows()) {
        row->setSelected((keepSelected && row->isSelected()) || wanted(row->text(2)));
    }
}

void RoutineCommands::Rejudge(QTreeWidgetItem& row) {
    const analysis::RoutineStatusRow judged =
        analysis::JudgeRoutine(Module(), RowRoutine(browser_.Vbe(), row), false, browser_.Settings());
    row.setText(2, QString::fromStdString(analysis::StatusString(judged.status.top)));
    row.setText(3, QString::fromStdString(analysis::StatusString(judged.status.exit)));
}

void RoutineCommands::ShowCurrentRow() {
    browser_.RoutineClicked(browser_.RoutineList().currentItem());
}

void RoutineCommands::StartRowBar() {
    browser_.DoStatus(-1, -1, -1, browser_.RoutineList().topLevelItemCount());
}

void RoutineCommands::AdvanceRowBar(int index) { browser_.DoStatus(-1, index); }

template <class Command>
void RoutineCommands::InOneStep(Command&& command) {
    host::CodeModule& module = Module();
    host::EditTransaction transaction(module);
    try {
        command();
    } catch (...) {
        // The module goes back as it was; so do the rows, from the code.
        transaction.Cancel();
        const ErrorRecord pending = Err();
        IgnoringErrors([this] {
            QTreeWidgetItem* moduleRow = browser_.SelectedModuleRow();
            if (moduleRow != nullptr) {
                browser_.ListRoutines(Bytes(browser_.Vbe(), browser_.ProjectName()), Bytes(browser_.Vbe(), moduleRow->text(0)), false);
            }
        });
        Err() = pending;
        throw;
    }
    transaction.Commit();
}

void RoutineCommands::RunModuleCommand(int image) try {
    InOneStep([&] {
        switch (image) {
            case kAdd: AddEH_Mod(); break;
            case kReplace: RepEH_Mod(); break;
            case kRemove: Remove_EH_MOD(); break;
            case kLines: ADD_Line_MOD(); break;
            case kIndent: Tidy_Up_Mod(); break;
            default: break;
        }
    });
}
QV_PASS_UP(kModule, "Toolbar1_ButtonClick")

void RoutineCommands::RunRoutineCommand(int image) try {
    InOneStep([&] {
        switch (image) {
            case kAdd: InsertEH(); break;
            case kReplace: ReplaceEH(); break;
            case kRemove: RemoveEH(); break;
            case kLines: AddLine(); break;
            case kIndent: TidyRoutine(); break;
            case kDelete: DeleteRoutine(); break;
            default: break;
        }
    });
}
QV_PASS_UP(kModule, "Toolbar2_ButtonClick")

void RoutineCommands::InsertEH() try {
    bool changed = false;
    const settings::SettingsRecord& record = browser_.Settings();
    for (QTreeWidgetItem* row : SelectedRows()) {
        if (IsDeclarations(*row) || row->text(2) != "MISSING") continue;
        const analysis::RoutineCopyScope copy(Module(), RowRoutine(browser_.Vbe(), *row));
        std::string refusal;  // a refused routine is passed over without a message
        if (errorhandling::AddRoutineErrorHandling(MemberOf(*row), KindOf(*row), record, refusal)) {
            Rejudge(*row);
            changed = true;
        }
    }
    if (changed) browser_.DoStatusNumbers();
    ShowCurrentRow();
}
QV_PASS_UP(kModule, "InsertEH")

void RoutineCommands::AddEH_Mod() try {
    SelectWhere(IsMissing, false);
    InsertEH();
    browser_.ResetRoutines();
}
QV_PASS_UP(kModule, "AddEH_Mod")

void RoutineCommands::RepEH_Mod() try {
    SelectWhere(IsNotSome, false);
    ReplaceEH();
    browser_.ResetRoutines();
}
QV_PASS_UP(kModule, "RepEH_Mod")

void RoutineCommands::ReplaceEH() try {
    RemoveEH();
    InsertEH();
}
QV_PASS_UP(kModule, "ReplaceEH")

bool RoutineCommands::RemoveFrom(QTreeWidgetItem& row) {
    const analysis::RoutineCopyScope copy(Module(), RowRoutine(browser_.Vbe(), row));
    const QString top = row.text(2);
    if (top == "IN ERROR" || top == "OK") {
        errorhandling::RemoveOld(MemberOf(row), KindOf(row), browser_.Settings());
        return true;
    }
    if (top != "EXTRA CODE" && top != "IN ERROR & EXTRA CODE") return false;
    // The handler holds lines of the user's own: the user sees them first.
    browser_.ShowRoutine(row, true);
    if (errorhandling::MyMsgBox(kConfirmRemoval, kYesNoQuestionNoDefault, true) != mb::kAnswerYes) {
        return false;
    }
    errorhandling::RemoveOld(MemberOf(row), KindOf(row), browser_.Settings());
    browser_.ShowRoutine(row, true);
    return true;
}

void RoutineCommands::RemoveEH() try {
    bool changed = false;
    for (QTreeWidgetItem* row : SelectedRows()) {
        if (IsDeclarations(*row) || !RemoveFrom(*row)) continue;
        Rejudge(*row);
        changed = true;
    }
    ShowCurrentRow();
    if (changed) browser_.DoStatusNumbers();
}
QV_PASS_UP(kModule, "RemoveEH")

void RoutineCommands::Remove_EH_MOD() try {
    SelectWhere(HasOurHandler, true);
    RemoveEH();
    browser_.ResetRoutines();
}
QV_PASS_UP(kModule, "Remove_EH_MOD")

void RoutineCommands::DeleteRoutine() try {
    host::CodeModule& module = Module();
    host::VBProject& project = module.Parent().Collection().Parent();
    const QList<QTreeWidgetItem*> selected = SelectedRows();
    // Every routine's lines are found first and deleted from the bottom up,
    // so that each copy of a routine defined more than once is found as it
    // stands.
    std::vector<errorhandling::RoutineText> routines;
    for (QTreeWidgetItem* row : selected) {
        if (IsDeclarations(*row)) continue;
        browser_.CodeBox().clear();
        const analysis::RoutineEntry entry = RowRoutine(browser_.Vbe(), *row);
        const analysis::RoutineCopyScope copy(module, entry);
        routines.push_back(errorhandling::GetRoutine(project, module.Name(), entry.name, entry.kind));
    }
    std::sort(routines.begin(), routines.end(),
              [](const auto& a, const auto& b) { return a.startLine > b.startLine; });
    for (const errorhandling::RoutineText& routine : routines) {
        if (routine.count > 0) module.DeleteLines(routine.startLine, routine.count);
    }
    for (auto it = selected.crbegin(); it != selected.crend(); ++it) {
        if (!IsDeclarations(**it)) delete *it;
    }
    // The module row follows the routines that are left.
    browser_.DoStatusNumbers();
}
QV_PASS_UP(kModule, "DeleteRoutine")

void RoutineCommands::AddLine() try {
    StartRowBar();
    const QList<QTreeWidgetItem*> rows = Rows();
    for (int i = 0; i < rows.size(); ++i) {
        AdvanceRowBar(i);
        QTreeWidgetItem& row = *rows[i];
        if (!row.isSelected() || IsDeclarations(row)) continue;
        const analysis::RoutineCopyScope copy(Module(), RowRoutine(browser_.Vbe(), row));
        linenumbers::AddLineNumbers_Mem(MemberOf(row), KindOf(row), false, browser_.Settings());
        Rejudge(row);
    }
    browser_.DoStatusNumbers();
    ShowCurrentRow();
}
QV_PASS_UP(kModule, "AddLine")

void RoutineCommands::ADD_Line_MOD() try {
    SelectWhere(AnyRow, false);
    AddLine();
    browser_.ResetRoutines();
}
QV_PASS_UP(kModule, "ADD_Line_MOD")

void RoutineCommands::TidyRoutine() try {
    StartRowBar();
    const QList<QTreeWidgetItem*> rows = Rows();
    for (int i = 0; i < rows.size(); ++i) {
        AdvanceRowBar(i);
        QTreeWidgetItem& row = *rows[i];
        if (!row.isSelected()) continue;
        if (IsDeclarations(row)) {
            tidy::Tidy_Declarations(Module(), browser_.Settings());
            continue;
        }
        const analysis::RoutineCopyScope copy(Module(), RowRoutine(browser_.Vbe(), row));
        tidy::Tidy_Routine(MemberOf(row), KindOf(row), false, browser_.Settings());
        Rejudge(row);
    }
    browser_.DoStatusNumbers();
    ShowCurrentRow();
}
QV_PASS_UP(kModule, "TidyRoutine")

void RoutineCommands::Tidy_Up_Mod() try {
    SelectWhere(AnyRow, false);
    TidyRoutine();
    browser_.ResetRoutines();
}
QV_PASS_UP(kModule, "Tidy_Up_Mod")

}  // namespace qv::mainwindow
