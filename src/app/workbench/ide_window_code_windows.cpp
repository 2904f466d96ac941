#include "app/workbench/ide_window.h"

// The IDE window's code and designer windows: opening and placing them,
// the one in front, their markers of unsaved lines and typing, and the jumps
// to a module's line or a routine.

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <algorithm>

#include "app/workbench/command_bar_view.h"
#include "app/workbench/designer_view.h"
#include "app/workbench/ide_window_shared.h"
#include "host/memory/memory_windows.h"
#include "platform/text.h"
#include "ui/vb_qstring.h"

namespace qv::workbench {

using host::memory::MemoryCodeModule;
using host::memory::MemoryComponent;

namespace {

// "Project1 - Module1 (Code)": the names read in the code pages of their files.
QString WindowTitle(MemoryComponent& component, const char* kind) {
    const auto& project = component.Owner().Project();
    return ui::VbQString(project.Name(), project.TextCodePage()) + " - " +
           ui::VbQString(component.Name(), component.TextCodePage()) + kind;
}

// A new code window's size, and the step between cascaded windows.
constexpr QSize kCodeWindowSize(720, 480);
constexpr QSize kSmallestCodeWindow(360, 240);
constexpr int kCascadeStep = 28;

}  // namespace

CodeWindow* IdeWindow::OpenCodeWindow(MemoryComponent& component) {
    MemoryCodeModule* module = component.Code();
    if (module == nullptr) return nullptr;
    QMdiSubWindow* sub = codeWindows_.value(module);
    if (sub == nullptr) {
        auto* window = new CodeWindow(*module, *this);
        sub = mdi_->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        sub->setWindowTitle(WindowTitle(component, " (Code)[*]"));
        PlaceNewSubWindow(*sub);
        codeWindows_[module] = sub;
        sub->installEventFilter(this);
        UpdateModuleMarkers();
    }
    module->CodePane().Show();
    sub->show();
    mdi_->setActiveSubWindow(sub);
    auto* window = static_cast<CodeWindow*>(sub->widget());
    window->Editor().setFocus();
    return window;
}

void IdeWindow::OpenDesigner(MemoryComponent& component) {
    if (component.Designer() == nullptr) return;
    QMdiSubWindow* sub = designers_.value(&component);
    if (sub == nullptr) {
        sub = mdi_->addSubWindow(new DesignerView(component));
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        sub->setWindowTitle(WindowTitle(component, " (Form)"));
        PlaceNewSubWindow(*sub);
        designers_[&component] = sub;
    }
    sub->show();
    mdi_->setActiveSubWindow(sub);
}

bool IdeWindow::ShowModule(const QString& moduleName, long line) {
    const std::string wanted = moduleName.toStdString();
    for (long p = 1; p <= vbe_->Projects().Count(); ++p) {
        auto& components = vbe_->Projects().At(p).Components();
        for (long c = 1; c <= components.Count(); ++c) {
            MemoryComponent& component = components.At(c);
            if (!text::SameTextIgnoringCase(component.Name(), component.TextCodePage(), wanted) ||
                component.Code() == nullptr)
                continue;
            CodeWindow* window = OpenCodeWindow(component);
            window->GoToLine(std::max(1L, line));
            window->PublishSelection();
            return true;
        }
    }
    QMessageBox::warning(this, kProgramName, tr("No module named %1 is open.").arg(moduleName));
    return false;
}

void IdeWindow::PlaceNewSubWindow(QMdiSubWindow& sub) {
    const QSize area = mdi_->viewport()->size();
    int shown = 0;
    for (QMdiSubWindow* other : mdi_->subWindowList()) {
        if (other != &sub && other->isVisible()) ++shown;
    }
    // Down and to the right by one step per window shown, back to the
    // corner before a window would get smaller than it can be used at.
    const int room = std::min(area.width() - kSmallestCodeWindow.width(),
                              area.height() - kSmallestCodeWindow.height());
    const int steps = std::max(1, room / kCascadeStep + 1);
    const int offset = (shown % steps) * kCascadeStep;
    const QSize size(std::max(1, std::min(kCodeWindowSize.width(), area.width() - offset)),
                     std::max(1, std::min(kCodeWindowSize.height(), area.height() - offset)));
    sub.setGeometry(QRect(QPoint(offset, offset), size));
}

void IdeWindow::OnSubWindowActivated(QMdiSubWindow* sub) {
    if (sub == nullptr) {
        // No code window is in front: no line and column to show.
        if (mdi_->activeSubWindow() == nullptr) position_->clear();
        return;
    }
    // Ctrl+F4 is the Window menu's: the same key on the window's own system
    // menu would make both of them ambiguous, and neither would close.
    for (QAction* action : sub->systemMenu()->actions()) {
        if (action->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_F4)))
            action->setShortcut({});
    }
    if (auto* window = dynamic_cast<CodeWindow*>(sub->widget())) {
        MemoryCodeModule& module = window->Module();
        auto& component = static_cast<MemoryComponent&>(module.Parent());
        vbe_->SetActiveCodePane(&module.CodePane());
        vbe_->SetSelectedComponent(&component);
        vbe_->SetActiveProject(&component.Owner().Project());
        ShowProperties(&component);
        CursorMoved(window->Editor().textCursor().blockNumber() + 1, window->CursorColumn());
    }
}

bool IdeWindow::eventFilter(QObject* watched, QEvent* event) {
    // A code window the user closes is closed in the host's collection too.
    if (event->type() == QEvent::Close) {
        for (auto it = codeWindows_.begin(); it != codeWindows_.end(); ++it) {
            if (it.value() == watched) it.key()->CodePane().Window().Close();
        }
        // Once it is hidden, the window before it comes to the front.
        QMetaObject::invokeMethod(this, [this] { ActivateFrontWindow(); }, Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void IdeWindow::ActivateFrontWindow() {
    if (QMdiSubWindow* active = mdi_->activeSubWindow(); active != nullptr && active->isVisible())
        return;
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (!(*it)->isVisible()) continue;
        mdi_->setActiveSubWindow(*it);
        if (auto* code = dynamic_cast<CodeWindow*>((*it)->widget())) code->Editor().setFocus();
        return;
    }
}

void IdeWindow::CursorMoved(long line, long column) {
    position_->setText(tr("Ln %1, Col %2").arg(line).arg(column));
}

void IdeWindow::CodePopup(const QPoint& globalPosition) {
    QMenu popup(this);
    bars_->FillPopup(popup, "Code Window");
    popup.exec(globalPosition);
}

void IdeWindow::GoToRoutine(host::VBComponent& component, const std::string& routine, int kind,
                            bool focusCode) {
    auto& memory = static_cast<MemoryComponent&>(component);
    QWidget* hadFocus = QApplication::focusWidget();
    CodeWindow* window = OpenCodeWindow(memory);
    if (window == nullptr) return;
    long line = 1;
    if (!routine.empty() && routine != analysis::kDeclarationsName) {
        try {
            line = memory.Code()->ProcBodyLine(routine, kind);
        } catch (const std::exception&) {
            line = 1;  // the routine went since the command ran
        }
    }
    window->GoToLine(line);
    window->PublishSelection();
    if (focusCode) {
        activateWindow();
        window->Editor().setFocus();
    } else if (hadFocus != nullptr) {
        hadFocus->activateWindow();
        hadFocus->setFocus();
    }
}

void IdeWindow::UpdateModuleMarkers() {
    for (auto it = codeWindows_.begin(); it != codeWindows_.end(); ++it) {
        const bool typing = static_cast<CodeWindow*>(it.value()->widget())->HasTyping();
        it.value()->setWindowModified(typing ||
                                      it.key()->EditCount() != savedEdits_.value(it.key(), 0));
    }
}

bool IdeWindow::AnyTyping() const {
    for (QMdiSubWindow* sub : codeWindows_) {
        if (static_cast<CodeWindow*>(sub->widget())->HasTyping()) return true;
    }
    return false;
}

void IdeWindow::WatchPaneFocus(MemoryCodeModule& module) {
    auto* window = dynamic_cast<host::memory::MemoryWindow*>(&module.CodePane().Window());
    if (window == nullptr) return;
    window->SetFocusHandler([this, &module](host::memory::MemoryWindow&) {
        CodeWindow* code = OpenCodeWindow(static_cast<MemoryComponent&>(module.Parent()));
        if (code == nullptr) return;
        code->FollowPane();
        activateWindow();
        code->Editor().setFocus(Qt::OtherFocusReason);
    });
}

}  // namespace qv::workbench
