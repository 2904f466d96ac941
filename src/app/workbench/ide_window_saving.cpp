#include "app/workbench/ide_window.h"

// The IDE window's undo and redo, its unsaved changes (the "*" marks and the
// question before they would be lost) and saving them.

#include <QAction>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QStatusBar>

#include "app/workbench/ide_window_shared.h"
#include "ui/vb_qstring.h"
#include "workspace/saving.h"

namespace qv::workbench {

using host::memory::MemoryCodeModule;
using host::memory::MemoryComponent;

// ---------------------------------------------------------------- commands and undo

void IdeWindow::FlushEditors() {
    for (QMdiSubWindow* sub : codeWindows_) static_cast<CodeWindow*>(sub->widget())->Flush(true);
}

void IdeWindow::Undo() {
    FlushEditors();
    history_.undo();
}

void IdeWindow::Redo() {
    FlushEditors();
    history_.redo();
}

// ---------------------------------------------------------------- saving

bool IdeWindow::HasUnsavedChanges() {
    FlushEditors();
    return !history_.isClean();
}

QStringList IdeWindow::UnsavedModules() {
    FlushEditors();
    QStringList names;
    for (MemoryCodeModule* module : AllModules(*vbe_)) {
        if (module->EditCount() == savedEdits_.value(module, 0)) continue;
        auto& component = static_cast<MemoryComponent&>(module->Parent());
        QString name = ui::VbQString(component.Name(), component.Collection().Parent().TextCodePage());
        if (component.FileCount() > 0) name += " (" + FileName(component.FileNames(1)) + ")";
        names << name;
    }
    return names;
}

bool IdeWindow::SettleUnsavedChanges(const QString& question, QWidget* over) {
    if (!HasUnsavedChanges() || letGoAt_ == history_.index()) return true;
    constexpr qsizetype kNamed = 12;
    const QStringList modules = UnsavedModules();
    QString text = question;
    if (!modules.isEmpty()) {
        text += "\n\n" + tr("Changed and not saved:") + "\n    " +
                modules.mid(0, kNamed).join("\n    ");
        if (modules.size() > kNamed) text += "\n    " + tr("and %n more", nullptr,
                                                            static_cast<int>(modules.size() - kNamed));
    }
    const auto answer = QMessageBox::question(
        over != nullptr ? over : this, kProgramName, text,
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::Save) return SaveAll();
    letGoAt_ = history_.index();
    return true;
}

bool IdeWindow::SaveAll() {
    FlushEditors();
    return SaveChanges();
}

bool IdeWindow::SaveChanges() {
    if (!target_) return true;
    // A file another program changed since it was read is written only when
    // the user says so.
    bool declined = false;
    const workspace::SaveResult saved =
        workspace::SaveChanges(*target_, [this, &declined](const std::string& path) {
            const auto answer = QMessageBox::question(
                this, kProgramName,
                tr("%1 was changed by another program since it was opened.\nOverwrite it?")
                    .arg(QString::fromStdString(path)),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
            declined |= answer != QMessageBox::Yes;
            return answer == QMessageBox::Yes;
        });
    if (!saved.Ok()) {
        if (!declined) {
            QMessageBox::warning(
                this, kProgramName,
                tr("Nothing was saved:\n%1").arg(QString::fromStdString(saved.error)));
        }
        return false;
    }
    for (MemoryCodeModule* module : AllModules(*vbe_)) savedEdits_[module] = module->EditCount();
    history_.setClean();
    UpdateModuleMarkers();
    statusBar()->showMessage(tr("Saved %n file(s)", nullptr, static_cast<int>(saved.paths.size())),
                             5000);
    return true;
}

bool IdeWindow::Unsaved() const {
    // Typing is a step from its first keystroke, although it reaches the
    // history only when the cursor leaves it.
    return AnyTyping() || !history_.isClean();
}

void IdeWindow::UpdateModifiedMarker() {
    setWindowModified(Unsaved());
}

void IdeWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // A code window that hides (Close Windows, its close button) clears its
    // main window's modified mark, which is Qt's way for maximised windows;
    // here the mark says whether anything is unsaved, so it is put back.
    if (event->type() == QEvent::ModifiedChange && isWindowModified() != Unsaved()) {
        UpdateModifiedMarker();
    }
}

void IdeWindow::UpdateEditState() {
    // Undo puts open typing into the history first.
    const bool typing = AnyTyping();
    UpdateModifiedMarker();
    undo_->setEnabled(typing || history_.canUndo());
    redo_->setEnabled(!typing && history_.canRedo());
    UpdateModuleMarkers();
}

}  // namespace qv::workbench
