#include "app/workbench/run_summary.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "analysis/routine_parsing.h"
#include "errorhandling/messages.h"
#include "ui/app_icons.h"
#include "ui/vb_qstring.h"

namespace qv::workbench {

namespace {

constexpr int kRowRole = Qt::UserRole + 1;

text::CodePage PageOf(host::VBComponent* component) {
    return component != nullptr ? component->Collection().Parent().TextCodePage()
                                : text::CodePage();
}

QString Reason(const std::string& text, host::VBComponent* component) {
    return ui::VbQString(text, PageOf(component));
}

// The list: Enter on a row is a choice of its own, not the dialog's default
// button.
class SummaryList : public QTreeWidget {
  public:
    using QTreeWidget::QTreeWidget;
    std::function<void()> onEnter;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && onEnter) {
            onEnter();
            return;
        }
        QTreeWidget::keyPressEvent(event);
    }
};

}  // namespace

RunCounts CountRun(const shell::RunOutcome& run) {
    RunCounts counts;
    for (const shell::ModuleOutcome& module : run.modules) {
        if (module.Changed()) ++counts.modules;
        for (const shell::RoutineOutcome& routine : module.routines) {
            // The declarations section is no routine; it counts only when
            // it changed (tidied).
            const bool declarations = routine.name == analysis::kDeclarationsName;
            if (declarations && !routine.changed) continue;
            if (routine.changed) {
                ++counts.changed;
            } else if (!routine.refusal.empty()) {
                ++counts.refused;
            } else {
                ++counts.unchanged;
            }
        }
    }
    return counts;
}

namespace {

QString Counted(int n, const char* one, const char* many) {
    return QString::number(n) + ' ' + QObject::tr(n == 1 ? one : many);
}

}  // namespace

QString SummaryText(const QString& title, const RunCounts& counts) {
    QString text = title + ": ";
    text += counts.changed == 0
                ? QObject::tr("nothing changed")
                : Counted(counts.changed, "routine", "routines") + QObject::tr(" changed in ") +
                      Counted(counts.modules, "module", "modules");
    if (counts.unchanged > 0) {
        text += ", " + QString::number(counts.unchanged) +
                QObject::tr(counts.unchanged == 1 ? " left as it was" : " left as they were");
    }
    text += counts.refused == 0 ? QObject::tr("; none refused.")
                                : "; " + QString::number(counts.refused) +
                                      QObject::tr(" refused, for the reasons below.");
    return text;
}

QString RunTitle(const shell::CommandInfo& command, const shell::RunOutcome& run) {
    const bool project = command.scope == shell::CommandScope::Project;
    QString what;
    if (command.name.ends_with(".add")) {
        what = QObject::tr("Add Error Handling to ");
    } else if (command.name.ends_with(".line")) {
        what = QObject::tr("Add Line Numbers to ");
    } else if (command.name.ends_with(".tidy")) {
        what = QObject::tr("Tidy Procedures in ");
    } else {
        what = QString::fromLatin1(command.name.data(), command.name.size()) + ": ";
    }
    host::VBComponent* first = run.modules.empty() ? nullptr : run.modules.front().component;
    QString name;
    if (first != nullptr) {
        name = ui::VbQString(project ? first->Collection().Parent().Name() : first->Name(),
                              PageOf(first));
    }
    return what + (project ? QObject::tr("Project ") : QObject::tr("Module ")) + name;
}

std::vector<SummaryRow> RefusedRows(const shell::RunOutcome& run) {
    std::vector<SummaryRow> rows;
    for (const shell::ModuleOutcome& module : run.modules) {
        if (module.skipped == shell::Skip::ReadOnly) {
            rows.push_back({module.component, {}, 0,
                            Reason(errorhandling::MessageText(errorhandling::kReadOnlyMessage), module.component)});
        }
        if (module.failure) {
            rows.push_back({module.component, module.failedRoutine, 0,
                            QObject::tr("Stopped by an error, the module is as it was: %1")
                                .arg(Reason(module.failure->Description(), module.component))});
        }
        for (const shell::RoutineOutcome& routine : module.routines) {
            if (routine.changed || routine.refusal.empty()) continue;
            rows.push_back({module.component, routine.name, routine.kind, Reason(routine.refusal, module.component)});
        }
    }
    return rows;
}

RunSummary::RunSummary(const QString& title, const shell::RunOutcome& run, GoTo goTo,
                       QWidget* parent)
    : QDialog(parent), rows_(RefusedRows(run)), goTo_(std::move(goTo)) {
    setWindowTitle(title);
    setWindowIcon(ui::AddInIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    summary_ = new QLabel(SummaryText(title, CountRun(run)), this);
    summary_->setWordWrap(true);
    auto* list = new SummaryList(this);
    list_ = list;
    list_->setHeaderLabels({tr("Module"), tr("Routine"), tr("Why it was left alone")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows_.size()));
    for (size_t i = 0; i < rows_.size(); ++i) {
        const SummaryRow& row = rows_[i];
        auto* item = new QTreeWidgetItem(
            QStringList{row.component != nullptr
                            ? ui::VbQString(row.component->Name(), PageOf(row.component))
                            : QString(),
                        ui::VbQString(analysis::RoutineLabel(row.routine, row.kind),
                                      PageOf(row.component)),
                        row.reason});
        item->setData(0, kRowRole, static_cast<int>(i));
        item->setToolTip(2, row.reason);
        items << item;
    }
    list_->addTopLevelItems(items);
    if (!items.isEmpty()) {
        // The first row is current before the list has the focus, so that
        // taking the focus shows nothing: only the user's choice does.
        const QSignalBlocker quiet(list_);
        list_->setCurrentItem(items.first(), 0, QItemSelectionModel::NoUpdate);
    }
    list_->header()->setStretchLastSection(true);
    list_->header()->resizeSections(QHeaderView::ResizeToContents);
    // In the order of the run; a click on a heading sorts by that column
    // (by the reason, say, to see the refusals of one kind together).
    list_->header()->setSortIndicator(-1, Qt::AscendingOrder);
    list_->setSortingEnabled(true);
    list_->setVisible(!rows_.empty());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);

    const auto rowOf = [](QTreeWidgetItem* item) {
        return item != nullptr ? item->data(0, kRowRole).toInt() : -1;
    };
    connect(list_, &QTreeWidget::currentItemChanged, this,
            [this, rowOf](QTreeWidgetItem* item) { Follow(rowOf(item), false); });
    connect(list_, &QTreeWidget::itemClicked, this,
            [this, rowOf](QTreeWidgetItem* item) { Follow(rowOf(item), false); });
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this, rowOf](QTreeWidgetItem* item) { Follow(rowOf(item), true); });
    list->onEnter = [this, rowOf] { Follow(rowOf(list_->currentItem()), true); };
    resize(rows_.empty() ? QSize(560, 120) : QSize(760, 380));
}

void RunSummary::Follow(int row, bool focusCode) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size() || !goTo_) return;
    const SummaryRow& target = rows_[static_cast<size_t>(row)];
    if (target.component == nullptr) return;
    goTo_(*target.component, target.routine, target.kind, focusCode);
}

}  // namespace qv::workbench
