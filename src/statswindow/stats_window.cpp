#include "statswindow/stats_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>
#include <QVBoxLayout>

#include "errorhandling/messages.h"
#include "platform/event_trap.h"
#include "platform/services.h"
#include "platform/vb_error.h"
#include "stats/stats_table.h"
#include "ui/app_icons.h"
#include "ui/busy_guard.h"
#include "ui/percent_bar.h"
#include "ui/sort_arrow_images.h"
#include "ui/vb_qstring.h"
#include "ui/window_helpers.h"

namespace qv::statswindow {

namespace {

constexpr int kSelectModuleFirst = 8;
constexpr int kCentre = 5;
constexpr int kProjectRole = Qt::UserRole;
constexpr int kModuleRole = Qt::UserRole + 1;
constexpr Qt::KeyboardModifiers kGroupGesture =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;

QString Text(std::string_view ascii) { return QString::fromLatin1(ascii.data(), static_cast<qsizetype>(ascii.size())); }

// The code page a project's names are written in (its file's), and the
// one of a module's (its file's).
text::CodePage PageOfProject(host::VBE& vbe, const std::string& project) {
    try {
        return vbe.VBProjects().Item(project).TextCodePage();
    } catch (const VbError&) {
        return {};
    }
}

text::CodePage PageOfModule(host::VBE& vbe, const std::string& project, const std::string& module) {
    try {
        host::CodeModule* code =
            vbe.VBProjects().Item(project).VBComponents().Item(module).CodeModule();
        return code != nullptr ? code->TextCodePage() : PageOfProject(vbe, project);
    } catch (const VbError&) {
        return {};
    }
}

// Names are kept in the rows as their bytes, to be found again.
QVariant NameData(const std::string& bytes) { return QByteArray::fromStdString(bytes); }
std::string NameOf(const QVariant& data) { return data.toByteArray().toStdString(); }

QStringList FigureCells(const stats::ModuleFigures& f) {
    return {QString::number(f.routines),    QString::number(f.totalLines),
            QString::number(f.declaration), QString::number(f.blank),
            QString::number(f.comments),    QString::number(f.code)};
}

QStringList FigureCells(const stats::RoutineFigures& f) {
    return {QString::number(f.totalLines), QString::number(f.blank),
            QString::number(f.comments), QString::number(f.actualCode)};
}

void SetFigures(QTreeWidgetItem& row, const QStringList& cells) {
    for (int i = 0; i < cells.size(); ++i) {
        row.setText(i + 1, cells[i]);
        row.setTextAlignment(i + 1, Qt::AlignRight | Qt::AlignVCenter);
    }
}

QTreeWidgetItem* AddRow(QTreeWidget& list, const QString& name, const QStringList& figures) {
    auto* row = new QTreeWidgetItem(&list, QStringList{name});
    SetFigures(*row, figures);
    return row;
}

// A column sorts as text when it holds names, as numbers otherwise.
int SortTypeOf(int column) { return column == 0 ? ui::sort_type::kText : ui::sort_type::kNumber; }

}  // namespace

const QStringList& ModuleColumns() {
    static const QStringList columns{"Module name", "Routines", "Total Lines", "Declaration",
                                     "Blank",       "Comments", "Code"};
    return columns;
}

const QStringList& RoutineColumns() {
    static const QStringList columns{"Routine name", "Total Lines", "Blank", "Comments",
                                     "Actual Code"};
    return columns;
}

StatsWindow::StatsWindow(host::VBE& vbe, StatsSelection selection, QWidget* parent)
    : QDialog(parent), vbe_(vbe), selection_(std::move(selection)) {
    setWindowTitle("Statistics for " +
                   ui::VbQString(selection_.project, PageOfProject(vbe_, selection_.project)));
    setWindowIcon(ui::AddInIcon());
    setModal(true);
    // A window the user can make larger: by its frame, its maximise button,
    // or the grip in its corner where no window manager draws a frame.
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);
    BuildControls();
    ConnectEvents();
    resize(760, 560);
}

namespace {

// The width a list needs to show every cell whole: its columns, its frame
// and room for its scroll bar.
int WantedListWidth(QTreeWidget& list, const ui::ListViewAddon& addon) {
    return addon.ContentWidth() + 2 * list.frameWidth() +
           list.verticalScrollBar()->sizeHint().width();
}

}  // namespace

void StatsWindow::FitToColumns() {
    int wanted = WantedListWidth(*moduleList_, *moduleAddon_);
    if (!routineList_->isHidden())
        wanted = std::max(wanted, WantedListWidth(*routineList_, *routineAddon_));
    const int grow = wanted - moduleList_->width();
    if (grow <= 0) return;
    QRect frame = geometry();
    const QScreen* screen = this->screen();
    const QRect room = screen != nullptr ? screen->availableGeometry() : QRect(frame);
    const int width = std::min(frame.width() + grow, room.width());
    // Grown about its centre, and kept on the screen.
    const int left = std::clamp(frame.center().x() - width / 2, room.left(),
                                std::max(room.left(), room.right() + 1 - width));
    frame.setLeft(left);
    frame.setWidth(width);
    setGeometry(frame);
}

QTreeWidget* StatsWindow::NewList(const QStringList& columns, ui::ListViewAddon*& addon) {
    auto* list = new QTreeWidget(this);
    list->setColumnCount(static_cast<int>(columns.size()));
    list->setHeaderLabels(columns);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    addon = new ui::ListViewAddon(this);
    addon->SetHeaderImages(ui::SortArrowImages());
    addon->SetListView(list);
    addon->SetStyle(ui::list_style::kFullRowSelect, true);
    list->header()->setSectionsClickable(true);
    return list;
}

void StatsWindow::BuildControls() {
    moduleList_ = NewList(ModuleColumns(), moduleAddon_);
    routineList_ = NewList(RoutineColumns(), routineAddon_);
    detailsButton_ = new QPushButton("&Routine Details", this);
    closeButton_ = new QPushButton("&Close", this);
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(true);
    bar_->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(detailsButton_);
    buttons->addWidget(bar_, 1);
    buttons->addStretch();
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(moduleList_, 3);
    layout->addWidget(routineList_, 2);
    layout->addLayout(buttons);
    moduleList_->installEventFilter(this);
    detailsButton_->installEventFilter(this);
}

void StatsWindow::ConnectEvents() {
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(detailsButton_, &QPushButton::clicked, this, [this] {
        EventTrap("frmStats.cmdDetails_Click", [&] { RoutineDetails(); });
    });
    connect(moduleList_, &QTreeWidget::itemDoubleClicked, this, [this] {
        EventTrap("frmStats.lvModules_DblClick", [&] { RoutineDetails(); });
    });
    connect(moduleList_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* row) {
        EventTrap("frmStats.lvModules_ItemClick", [&] { ModuleRowChanged(row); });
    });
    const auto sortOnClick = [this](QTreeWidget* list, ui::ListViewAddon* addon) {
        connect(list->header(), &QHeaderView::sectionClicked, this, [addon](int column) {
            EventTrap("frmStats.lv_ColumnClick", [&] { addon->Sort(column + 1, SortTypeOf(column)); });
        });
    };
    sortOnClick(moduleList_, moduleAddon_);
    sortOnClick(routineList_, routineAddon_);
}

void StatsWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    IgnoringErrors([this] { ui::SetCursorOverControl(*moduleList_, kCentre); });
}

bool StatsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == moduleList_ && event->type() == QEvent::FocusIn && !computed_) {
        EventTrap("frmStats.lvModules_GotFocus", [&] { FirstFocus(); });
    }
    if (watched == detailsButton_ && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton && (mouse->modifiers() & kGroupGesture) == kGroupGesture) {
            EventTrap("frmStats.cmdDetails_MouseDown", [&] { GroupStats(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void StatsWindow::FirstFocus() {
    computed_ = true;
    {
        ui::BusyGuard busy(moduleList_, moduleList_);
        DoStats();
    }
    moduleAddon_->AutoSizeColumns();
    FitToColumns();
}

void StatsWindow::DoStats() try {
    computed_ = true;
    ListProjects({selection_.project}, false);
} QV_PASS_UP("frmStats", "DoStats")

void StatsWindow::GroupStats() try {
    const std::vector<std::string> projects = BoxProjects();
    if (projects.size() < 2) return;
    groupMode_ = true;
    computed_ = true;
    setWindowTitle("Statistics for project Group");
    routineList_->hide();  // the module list takes its room
    ListProjects(projects, true);
    FitToColumns();
} QV_PASS_UP("frmStats", "GroupStats")

void StatsWindow::ListProjects(const std::vector<std::string>& projects, bool groupMode) {
    moduleList_->clear();
    routineList_->clear();
    shownModule_.clear();
    QTreeWidgetItem& totalRow = *AddRow(*moduleList_, Text(std::string(stats::kTotalRowText)),
                                        {"0", "0", "0", "0", "0", " "});
    std::vector<std::pair<std::string, std::vector<std::string>>> rows;
    long count = 0;
    for (const std::string& project : projects) {
        rows.emplace_back(project, ModuleRows(project));
        count += static_cast<long>(rows.back().second.size());
    }
    StartBar(count);
    stats::ModuleFigures total;
    for (const auto& [project, modules] : rows) {
        for (const std::string& module : modules) {
            AddModuleRow(project, module, groupMode, total, totalRow);
        }
    }
    FinishModuleList(totalRow);
}

std::vector<std::string> StatsWindow::ModuleRows(const std::string& project) const {
    if (!selection_.modules.empty() && project == selection_.project) return selection_.modules;
    return stats::StatisticsModules(vbe_.VBProjects().Item(project));
}

std::vector<std::string> StatsWindow::BoxProjects() const {
    if (!selection_.projects.empty()) return selection_.projects;
    std::vector<std::string> names;
    host::VBProjects& projects = vbe_.VBProjects();
    for (long i = 1; i <= projects.Count(); ++i) names.push_back(projects.Item(i).Name());
    return names;
}

void StatsWindow::AddModuleRow(const std::string& project, const std::string& module,
                               bool groupMode, stats::ModuleFigures& total,
                               QTreeWidgetItem& totalRow) {
    const std::string text = groupMode ? project + "." + module : module;
    QTreeWidgetItem* row =
        AddRow(*moduleList_, ui::VbQString(text, PageOfModule(vbe_, project, module)),
               {" ", " ", " ", " ", " ", " "});
    row->setData(0, kProjectRole, NameData(project));
    row->setData(0, kModuleRole, NameData(module));
    const stats::ModuleFigures figures = stats::GetModuleFigures(
        vbe_, project, module,
        groupMode ? stats::RoutineCounting::Members : stats::RoutineCounting::RoutineList);
    SetFigures(*row, FigureCells(figures));
    stats::AddFigures(total, figures);
    SetFigures(totalRow, FigureCells(total));
    AdvanceBar(moduleList_->topLevelItemCount() - 1);
}

void StatsWindow::FinishModuleList(QTreeWidgetItem& totalRow) {
    totalRow.setText(0, Text(stats::TotalRowText(moduleList_->topLevelItemCount() - 1)));
    moduleList_->scrollToItem(&totalRow);
    HideBar();
    moduleAddon_->AutoSizeColumns();
    // Sorted by name, ascending, whatever column was sorted before.
    moduleAddon_->SetSortKey(-1);
    moduleAddon_->SetSortOrder(ui::kSortAscending);
    moduleAddon_->Sort(1, ui::sort_type::kText);
}

void StatsWindow::RoutineDetails() try {
    if (routineList_->isHidden()) return;
    QTreeWidgetItem* row = moduleList_->currentItem();
    if (row == nullptr || !row->isSelected()) {
        errorhandling::MyMsgBox(kSelectModuleFirst, mb::kExclamation, true);
        return;
    }
    const std::string module = NameOf(row->data(0, kModuleRole));
    if (module.empty() || module == shownModule_) return;  // the total row, or shown already
    ListRoutines(NameOf(row->data(0, kProjectRole)), module);
} QV_PASS_UP("frmStats", "RoutineDetails")

void StatsWindow::ListRoutines(const std::string& project, const std::string& module) {
    shownModule_ = module;
    routineList_->clear();
    StartBar(0);
    const std::vector<stats::RoutineRow> rows = stats::RoutineStatistics(
        vbe_, project, module, [this](long done, long max) {
            if (barMaximum_ != max) StartBar(max);
            AdvanceBar(done);
        });
    const text::CodePage page = PageOfModule(vbe_, project, module);
    for (const stats::RoutineRow& row : rows) {
        AddRow(*routineList_, ui::VbQString(row.text, page), FigureCells(row.figures));
    }
    HideBar();
    routineAddon_->AutoSizeColumns();
    FitToColumns();
}

void StatsWindow::ModuleRowChanged(QTreeWidgetItem* row) {
    const std::string module = row != nullptr ? NameOf(row->data(0, kModuleRole)) : std::string();
    if (module == shownModule_) return;
    routineList_->clear();
    shownModule_.clear();
}

void StatsWindow::StartBar(long maximum) {
    barMaximum_ = maximum;
    ui::DrawBar(*bar_, 0, static_cast<int>(maximum));
    bar_->show();
}

void StatsWindow::AdvanceBar(long value) {
    ui::DrawBar(*bar_, static_cast<int>(value), static_cast<int>(barMaximum_));
    GetServices().DoEvents();
}

void StatsWindow::HideBar() { bar_->hide(); }

}  // namespace qv::statswindow
