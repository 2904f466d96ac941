#include "mainwindow/project_browser.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "analysis/routine_parsing.h"
#include "errorhandling/messages.h"
#include "errorhandling/routine_text.h"
#include "mainwindow/browser_images.h"
#include "mainwindow/routine_commands.h"
#include "ui/vb_highlighter.h"
#include "platform/event_trap.h"
#include "platform/services.h"
#include "platform/vb_error.h"
#include "statswindow/stats_window.h"
#include "ui/busy_guard.h"
#include "ui/percent_bar.h"
#include "ui/placement.h"
#include "ui/sort_arrow_images.h"
#include "ui/vb_qstring.h"

namespace qv::mainwindow {

namespace {

constexpr const char* kModule = "frmQVAddIn";
constexpr int kSelectModuleFirst = 8;
constexpr int kSelectProjectFirst = 9;
constexpr int kReadOnlyModule = 4;
constexpr int kDeleteConfirm = 5;
constexpr int kExitStatusColumn = 3;
// Room above and below a row's icon, so that the icons of two rows never touch.
constexpr int kIconRoom = 2;

// Every row as high as an icon with a little room, with or without an icon:
// the lists take one row's height for all, and a row without an icon (the
// declarations) would otherwise make the icons of the others touch.
class IconRowDelegate : public QStyledItemDelegate {
  public:
    explicit IconRowDelegate(QAbstractItemView& list)
        : QStyledItemDelegate(&list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), list_.iconSize().height() + 2 * kIconRoom));
        return size;
    }

  private:
    QAbstractItemView& list_;
};
const QString kBlankCount = QStringLiteral(" ");

// Names as shown and found again: the IDE's code page read both ways (a
// single-byte code page maps every byte, so every name comes back).
QString Text(const host::VBE& vbe, std::string_view bytes) {
    return ui::VbQString(bytes, vbe.TextCodePage());
}
std::string Bytes(const host::VBE& vbe, const QString& text) {
    return ui::VbBytes(text, vbe.TextCodePage());
}

// Names sort as text, everything else as numbers (status words, which are
// no numbers, then sort as text among themselves).
int SortTypeOf(int column) {
    return column == 0 ? ui::sort_type::kText : ui::sort_type::kNumber;
}

RowCounts RowCountsOf(const analysis::ModuleCounts& counts) {
    return {counts.good, counts.some, counts.error, counts.none};
}

QPoint PixelsToTwips(const QWidget& widget, QPoint pixels) {
    return {pixels.x() * ui::TwipsPerPixel(widget.logicalDpiX()),
            pixels.y() * ui::TwipsPerPixel(widget.logicalDpiY())};
}

}  // namespace

const QStringList& ModuleColumns() {
    static const QStringList columns{"Module name", "Good", "Some", "Error", "None"};
    return columns;
}

const QStringList& RoutineColumns() {
    static const QStringList columns{"Routine name", "Type", "Top Status", "Exit Status"};
    return columns;
}

const std::vector<ToolButtonInfo>& ModuleToolButtons() {
    static const std::vector<ToolButtonInfo> buttons{{1, "Add Error Hanlding"},
                                                     {2, "Repalce Error Handling"},
                                                     {3, "Remove Error Handling"},
                                                     {0, nullptr},
                                                     {4, "Add Line Numbers"},
                                                     {0, nullptr},
                                                     {6, "Indent Code"}};
    return buttons;
}

const std::vector<ToolButtonInfo>& RoutineToolButtons() {
    static const std::vector<ToolButtonInfo> buttons{
        {1, "Add Error Handling"},    {2, "Replace Error Handling"},
        {3, "Remove Error Handling"}, {0, nullptr},
        {4, "Add Line Number"},       {0, nullptr},
        {6, "Indent Code"},           {0, nullptr},
        {7, "Delete Routine"}};
    return buttons;
}

ProjectBrowser::ProjectBrowser(host::VBE& vbe, const settings::SettingsRecord& settings,
                               QWidget* parent)
    : QWidget(parent),
      vbe_(vbe),
      barServices_(GetServices(), *this),
      scopedServices_(barServices_),
      settings_(settings) {
    progress_.SetDisplay(this);
    BuildControls();
    commands_ = new RoutineCommands(*this);
    ConnectEvents();
}

ProjectBrowser::~ProjectBrowser() {
    progress_.SetDisplay(nullptr);
    delete commands_;
}

QTreeWidget* ProjectBrowser::NewList(const QStringList& columns, ui::ListViewAddon*& addon) {
    auto* list = new QTreeWidget(this);
    list->setColumnCount(static_cast<int>(columns.size()));
    list->setHeaderLabels(columns);
    list->setIconSize(QSize(16, 16));
    list->setItemDelegate(new IconRowDelegate(*list));
    addon = new ui::ListViewAddon(this);
    addon->SetHeaderImages(ui::SortArrowImages());
    addon->SetListView(list);
    addon->SetStyle(ui::list_style::kFullRowSelect, true);
    return list;
}

QToolBar* ProjectBrowser::NewToolBar(const std::vector<ToolButtonInfo>& buttons, bool moduleBar) {
    auto* bar = new QToolBar(this);
    bar->setIconSize(QSize(16, 16));
    for (const ToolButtonInfo& button : buttons) {
        if (button.image == 0) {
            bar->addSeparator();
            continue;
        }
        QAction* action = bar->addAction(ToolImage(button.image), QString::fromLatin1(button.tip));
        action->setToolTip(QString::fromLatin1(button.tip));
        action->setData(button.image);
        const int image = button.image;
        connect(action, &QAction::triggered, this, [this, image, moduleBar] {
            if (moduleBar) {
                EventTrap("frmQVAddIn.Toolbar1_ButtonClick", [&] { ModuleToolClicked(image); });
            } else {
                EventTrap("frmQVAddIn.Toolbar2_ButtonClick", [&] { RoutineToolClicked(image); });
            }
        });
    }
    return bar;
}

void ProjectBrowser::BuildControls() {
    projects_ = new QComboBox(this);
    projects_->setMinimumContentsLength(24);
    status_ = new QPushButton("&Status", this);
    details_ = new QPushButton("&Details", this);
    allModules_ = new QRadioButton("&All Modules", this);
    excludeReadOnly_ = new QRadioButton("E&xclude Read-only", this);
    allModules_->setChecked(true);
    modules_ = NewList(ModuleColumns(), moduleAddon_);
    routines_ = NewList(RoutineColumns(), routineAddon_);
    routines_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    moduleTools_ = NewToolBar(ModuleToolButtons(), true);
    routineTools_ = NewToolBar(RoutineToolButtons(), false);
    code_ = new QPlainTextEdit(this);
    code_->setReadOnly(true);
    code_->setLineWrapMode(QPlainTextEdit::NoWrap);
    code_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    new ui::VbHighlighter(code_->document());
    for (QProgressBar*& bar : bars_) {
        bar = new QProgressBar(this);
        bar->setAlignment(Qt::AlignCenter);
        ui::DrawBar(*bar, 0, 1);
        bar->hide();
    }
    routineMenu_ = new QMenu("Routine ...", this);
    QAction* goToCode = routineMenu_->addAction("Go to Code");
    connect(goToCode, &QAction::triggered, this,
            [this] { EventTrap("frmQVAddIn.mnuCode_Click", [&] { GoToCode(); }); });

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Project:", this));
    top->addWidget(projects_);
    top->addSpacing(12);
    top->addWidget(allModules_);
    top->addWidget(excludeReadOnly_);
    top->addStretch();
    top->addWidget(status_);
    top->addWidget(details_);

    auto column = [this](QToolBar* tools, QTreeWidget* list) {
        auto* box = new QWidget(this);
        auto* layout = new QVBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(tools);
        layout->addWidget(list);
        return box;
    };
    auto* lists = new QSplitter(Qt::Horizontal, this);
    lists->addWidget(column(moduleTools_, modules_));
    lists->addWidget(column(routineTools_, routines_));
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(lists);
    split->addWidget(code_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    auto* barRow = new QHBoxLayout;
    barRow->addWidget(bars_[0]);
    barRow->addWidget(bars_[1]);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addLayout(barRow);
}

void ProjectBrowser::ConnectEvents() {
    connect(projects_, &QComboBox::activated, this,
            [this] { EventTrap("frmQVAddIn.cboProjects_Click", [&] { ListModules(false); }); });
    connect(status_, &QPushButton::clicked, this,
            [this] { EventTrap("frmQVAddIn.cmdStatus_Click", [&] { StatusPass(); }); });
    connect(details_, &QPushButton::clicked, this,
            [this] { EventTrap("frmQVAddIn.cmdStats_Click", [&] { ShowDetails(); }); });
    connect(modules_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* row) {
        EventTrap("frmQVAddIn.lvModules_ItemClick", [&] { ModuleClicked(row); });
    });
    connect(routines_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* row) {
        EventTrap("frmQVAddIn.lvRoutines_ItemClick", [&] { RoutineClicked(row); });
    });
    connect(modules_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        EventTrap("frmQVAddIn.lvModules_ColumnClick", [&] { SortList(*moduleAddon_, column); });
    });
    connect(routines_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        EventTrap("frmQVAddIn.lvRoutines_ColumnClick", [&] { SortList(*routineAddon_, column); });
    });
    routines_->viewport()->installEventFilter(this);
    modules_->installEventFilter(this);
    routines_->installEventFilter(this);
}

// A row reached with the keyboard counts as clicked, as in the lists users
// know; once the key is let go, so that holding an arrow key lists once.
bool ProjectBrowser::MovedByKey(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyRelease) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->isAutoRepeat()) return false;
    switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            break;
        default:
            return false;
    }
    if (watched == modules_) {
        EventTrap("frmQVAddIn.lvModules_ItemClick",
                  [&] { ModuleClicked(modules_->currentItem()); });
    } else if (watched == routines_) {
        EventTrap("frmQVAddIn.lvRoutines_ItemClick",
                  [&] { RoutineClicked(routines_->currentItem()); });
    } else {
        return false;
    }
    return true;
}

bool ProjectBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (MovedByKey(watched, event)) return true;
    if (watched == routines_->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            const QPoint onList =
                routines_->viewport()->mapTo(routines_, mouse->position().toPoint());
            bool open = false;
            EventTrap("frmQVAddIn.lvRoutines_MouseDown", [&] { open = RoutineRightClick(onList); });
            if (open) routineMenu_->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ProjectBrowser::SortList(ui::ListViewAddon& addon, int column) {
    addon.Sort(column + 1, SortTypeOf(column));
}

QString ProjectBrowser::ProjectName() const {
    return projects_->currentText();
}

QTreeWidgetItem* ProjectBrowser::SelectedModuleRow() const {
    return modules_->currentItem();
}

host::VBComponent& ProjectBrowser::ComponentOf(const QTreeWidgetItem& moduleRow) {
    return vbe_.VBProjects()
        .Item(Bytes(vbe_, ProjectName()))
        .VBComponents()
        .Item(Bytes(vbe_, moduleRow.text(0)));
}

void ProjectBrowser::ListProjects() try {
    code_->clear();
    routines_->clear();
    modules_->clear();
    lastModuleRow_ = nullptr;
    projects_->clear();
    host::VBProjects& projects = vbe_.VBProjects();
    for (long i = 1; i <= projects.Count(); ++i) projects_->addItem(Text(vbe_, projects.Item(i).Name()));
    projects_->setCurrentIndex(-1);
}
QV_PASS_UP(kModule, "ListProjects")

bool ProjectBrowser::ChooseProject(const QString& name) try {
    const int index = projects_->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) return false;
    projects_->setCurrentIndex(index);
    ListModules(false);
    return true;
}
QV_PASS_UP(kModule, "ChooseProject")

void ProjectBrowser::StatusPass() try {
    status_->setFocus();
    DoStatus();
    ListModules(true);
}
QV_PASS_UP(kModule, "cmdStatus_Click")

void ProjectBrowser::ListModules(bool statusPass) try {
    const ui::BusyGuard busy(this, QApplication::focusWidget(), [this] { DoStatus(); });
    modules_->clear();
    routines_->clear();
    lastModuleRow_ = nullptr;
    code_->clear();
    code_->repaint();
    if (vbe_.VBProjects().Count() == 0 || ProjectName().isEmpty()) return;
    host::VBComponents& components = vbe_.VBProjects().Item(Bytes(vbe_, ProjectName())).VBComponents();
    const long count = components.Count();
    DoStatus(-1, -1, static_cast<int>(count), 0);
    for (long i = 1; i <= count; ++i) {
        DoStatus(static_cast<int>(i));
        host::VBComponent& component = components.Item(i);
        if (component.Type() == host::vbext_ct_RelatedDocument ||
            component.CodeModule() == nullptr) {
            continue;
        }
        const bool evaluate =
            statusPass && (allModules_->isChecked() || !analysis::IsReadOnly(component));
        AddModuleRow(component, evaluate);
        if (statusPass) modules_->scrollToItem(modules_->topLevelItem(0));
    }
    moduleAddon_->AutoSizeColumns();
    routineAddon_->AutoSizeColumns();
    ResortModules();
}
QV_PASS_UP(kModule, "cboProjects_Click")

void ProjectBrowser::AddModuleRow(host::VBComponent& component, bool evaluate) {
    auto* row = new QTreeWidgetItem(modules_, QStringList{Text(vbe_, component.Name()), kBlankCount,
                                                          kBlankCount, kBlankCount, kBlankCount});
    row->setIcon(0, ModuleRowIcon(module_icon::kNotEvaluated));
    row->setData(0, kIconRole, module_icon::kNotEvaluated);
    if (!evaluate) return;
    const analysis::ModuleCounts counts =
        ListRoutines(Bytes(vbe_, ProjectName()), component.Name(), true);
    DoLine(*row, component, RowCountsOf(counts));
}

void ProjectBrowser::ResortModules() {
    // The add-on reverses the order when its own column is sorted again, so
    // the order is reversed first to keep it; a list of fewer than two rows
    // is not sorted and must keep its order as it is.
    if (modules_->topLevelItemCount() < 2) return;
    moduleAddon_->SetSortOrder(1 - moduleAddon_->SortOrder());
    SortList(*moduleAddon_, moduleAddon_->SortKey());
}

analysis::ModuleCounts ProjectBrowser::ListRoutines(const std::string& project,
                                                    const std::string& module,
                                                    bool justGetStatus) try {
    if (!justGetStatus) {
        routines_->clear();
        code_->clear();
    }
    analysis::ModuleCounts counts =
        analysis::CountModule(vbe_, project, module, !justGetStatus, settings_);
    if (justGetStatus) return counts;
    if (vbe_.VBProjects().Item(project).VBComponents().Item(module).CodeModule() == nullptr) {
        return counts;
    }
    auto* declarations =
        new QTreeWidgetItem(routines_, QStringList{Text(vbe_, std::string(analysis::kDeclarationsName))});
    declarations->setData(0, kIconRole, QString());
    for (const analysis::RoutineStatusRow& row : counts.routines) AddRoutineRow(row);
    routines_->repaint();
    routineAddon_->SetSortOrder(ui::kSortDescending);
    routineAddon_->SetSortKey(0);
    routineAddon_->Sort(1, ui::sort_type::kText);
    routineAddon_->AutoSizeColumns();
    return counts;
}
QV_PASS_UP(kModule, "ListRoutines")

analysis::RoutineEntry RowRoutine(const host::VBE& vbe, const QTreeWidgetItem& row) {
    const long copy = row.data(0, kCopyRole).toLongLong();
    std::string name = Bytes(vbe, row.text(0));
    name.resize(name.size() - analysis::CopySuffix(copy).size());
    return {name, analysis::ProcKind(Bytes(vbe, row.text(1))), copy};
}

void ProjectBrowser::AddRoutineRow(const analysis::RoutineStatusRow& status) {
    auto* row = new QTreeWidgetItem(routines_,
                                    QStringList{Text(vbe_, status.name + analysis::CopySuffix(status.copy)),
                                                Text(vbe_, status.typeWord),
                                                Text(vbe_, analysis::StatusString(status.status.top)),
                                                Text(vbe_, analysis::StatusString(status.status.exit))});
    const QString key =
        status.typeWord.empty() ? Text(vbe_, status.routineType) : QStringLiteral("Property");
    row->setIcon(0, RoutineRowIcon(key));
    row->setData(0, kIconRole, key);
    row->setData(0, kCopyRole, static_cast<qlonglong>(status.copy));
}

void ProjectBrowser::DoLine(QTreeWidgetItem& row, host::VBComponent& component,
                            const RowCounts& counts) try {
    row.setText(1, QString::number(counts.good));
    row.setText(2, QString::number(counts.some));
    row.setText(3, QString::number(counts.error));
    row.setText(4, QString::number(counts.none));
    const int icon = ModuleIcon(counts, analysis::IsReadOnly(component));
    row.setIcon(0, ModuleRowIcon(icon));
    row.setData(0, kIconRole, icon);
}
QV_PASS_UP(kModule, "DoLine")

void ProjectBrowser::DoStatusNumbers() try {
    RowCounts counts;
    for (int i = 0; i < routines_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem& row = *routines_->topLevelItem(i);
        switch (TallyOfWords(row.text(2), row.text(3))) {
            case WordTally::Good:
                ++counts.good;
                break;
            case WordTally::Some:
                ++counts.some;
                break;
            case WordTally::Error:
                ++counts.error;
                break;
            case WordTally::None:
                ++counts.none;
                break;
            case WordTally::NotCounted:
                break;
        }
    }
    QTreeWidgetItem* moduleRow = SelectedModuleRow();
    if (moduleRow == nullptr) return;
    moduleRow->setText(1, QString::number(counts.good));
    moduleRow->setText(2, QString::number(counts.some));
    moduleRow->setText(3, QString::number(counts.error));
    moduleRow->setText(4, QString::number(counts.none));
    const int icon = ModuleIcon(counts, false);
    moduleRow->setIcon(0, ModuleRowIcon(icon));
    moduleRow->setData(0, kIconRole, icon);
    moduleAddon_->AutoSizeColumns();
}
QV_PASS_UP(kModule, "DoStatusNumbers")

void ProjectBrowser::ResetRoutines() {
    for (int i = 0; i < routines_->topLevelItemCount(); ++i) {
        routines_->topLevelItem(i)->setSelected(false);
    }
    code_->clear();
}

void ProjectBrowser::ModuleClicked(QTreeWidgetItem* row) try {
    const bool listHasFocus = modules_->hasFocus();
    const ui::BusyGuard busy(this, QApplication::focusWidget(), [this] { DoStatus(); });
    if (row == nullptr) return;
    if (listHasFocus && row == lastModuleRow_) return;
    lastModuleRow_ = row;
    code_->clear();
    host::VBComponent& component = ComponentOf(*row);
    DoStatus(-1, -1, 0);
    const analysis::ModuleCounts counts =
        ListRoutines(Bytes(vbe_, ProjectName()), component.Name(), false);
    DoLine(*row, component, RowCountsOf(counts));
    modules_->repaint();
}
QV_PASS_UP(kModule, "lvModules_ItemClick")

bool ProjectBrowser::ChooseModule(const QString& name) try {
    const auto rows = modules_->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (rows.isEmpty()) return false;
    QTreeWidgetItem* row = rows.first();
    modules_->scrollToItem(row);
    modules_->setCurrentItem(row);
    row->setSelected(true);
    ModuleClicked(row);
    return true;
}
QV_PASS_UP(kModule, "display_Check")

void ProjectBrowser::RoutineClicked(QTreeWidgetItem* row) try {
    if (row != nullptr && row->isSelected()) ShowRoutine(*row);
}
QV_PASS_UP(kModule, "lvRoutines_ItemClick")

void ProjectBrowser::ShowRoutine(QTreeWidgetItem& row, bool caretAtEnd) try {
    QTreeWidgetItem* moduleRow = SelectedModuleRow();
    if (moduleRow == nullptr) return;
    host::VBProject& project = vbe_.VBProjects().Item(Bytes(vbe_, ProjectName()));
    host::VBComponent& component = ComponentOf(*moduleRow);
    const analysis::RoutineEntry shown = RowRoutine(vbe_, row);
    std::optional<analysis::RoutineCopyScope> copy;
    if (component.CodeModule() != nullptr) copy.emplace(*component.CodeModule(), shown);
    const errorhandling::RoutineText routine =
        errorhandling::GetRoutine(project, Bytes(vbe_, moduleRow->text(0)), shown.name, shown.kind);
    code_->setPlainText(Text(vbe_, routine.text).replace("\r\n", "\n"));
    code_->moveCursor(caretAtEnd ? QTextCursor::End : QTextCursor::Start);
}
QV_PASS_UP(kModule, "GetRoutine")

bool ProjectBrowser::RoutineRightClick(QPoint onList) try {
    const QPoint twips = PixelsToTwips(*routines_, onList);
    const ui::ListPosition hit = routineAddon_->GetPosition(twips.x(), twips.y());
    if (hit.row < 0) return false;
    QTreeWidgetItem* row = routines_->topLevelItem(hit.row);
    routines_->clearSelection();
    routines_->setCurrentItem(row);
    row->setSelected(true);
    if (row->text(0) == Text(vbe_, std::string(analysis::kDeclarationsName))) return false;
    menuPoint_ = onList;
    return true;
}
QV_PASS_UP(kModule, "lvRoutines_MouseDown")

bool ProjectBrowser::GoToCode() try {
    const QPoint twips = PixelsToTwips(*routines_, menuPoint_);
    const ui::ListPosition hit = routineAddon_->GetPosition(twips.x(), twips.y());
    QTreeWidgetItem* moduleRow = SelectedModuleRow();
    QTreeWidgetItem* row = routines_->currentItem();
    if (moduleRow == nullptr || row == nullptr) return false;
    host::CodeModule* module = ComponentOf(*moduleRow).CodeModule();
    if (module == nullptr) return false;
    const analysis::RoutineEntry shown = RowRoutine(vbe_, *row);
    const analysis::RoutineCopyScope copy(*module, shown);
    const analysis::RoutineSpan span = analysis::FirstAndLast(*module, shown.name, shown.kind);
    const long target = hit.column == kExitStatusColumn ? span.lastLine : span.firstLine;
    host::CodePane& pane = module->CodePane();
    pane.SetTopLine(span.startLine);
    pane.SetSelection(target, 1, target, 1);
    pane.Show();
    if (onCloseRequest) onCloseRequest();
    return true;
}
QV_PASS_UP(kModule, "mnuCode_Click")

bool ProjectBrowser::RefuseReadOnly(const QTreeWidgetItem* moduleRow) {
    if (moduleRow == nullptr || !moduleRow->isSelected()) {
        errorhandling::MyMsgBox(kSelectModuleFirst, 0, true);
        return true;
    }
    modules_->scrollToItem(moduleRow);
    if (analysis::IsReadOnly(ComponentOf(*moduleRow))) {
        errorhandling::MyMsgBox(kReadOnlyModule, 0, true);
        return true;
    }
    return false;
}

void ProjectBrowser::ModuleToolClicked(int image) try {
    const ui::BusyGuard busy(this, QApplication::focusWidget(), [this] { DoStatus(); });
    if (RefuseReadOnly(SelectedModuleRow())) return;
    commands_->RunModuleCommand(image);
}
QV_PASS_UP(kModule, "Toolbar1_ButtonClick")

void ProjectBrowser::RoutineToolClicked(int image) try {
    {
        const ui::BusyGuard busy(this, QApplication::focusWidget(), [this] { DoStatus(); });
        if (!RefuseReadOnly(SelectedModuleRow())) {
            const bool confirmed =
                image != 7 ||
                errorhandling::MyMsgBox(kDeleteConfirm, mb::kYesNo | mb::kDefaultButton2, true) ==
                    mb::kAnswerYes;
            if (confirmed) commands_->RunRoutineCommand(image);
        }
    }
    moduleAddon_->AutoSizeColumns();
}
QV_PASS_UP(kModule, "Toolbar2_ButtonClick")

void ProjectBrowser::ShowDetails() try {
    if (ProjectName().isEmpty()) {
        errorhandling::MyMsgBox(kSelectProjectFirst, mb::kExclamation, true);
        return;
    }
    statswindow::StatsSelection selection{Bytes(vbe_, ProjectName()), {}, {}};
    for (int i = 0; i < modules_->topLevelItemCount(); ++i) {
        selection.modules.push_back(Bytes(vbe_, modules_->topLevelItem(i)->text(0)));
    }
    for (int i = 0; i < projects_->count(); ++i)
        selection.projects.push_back(Bytes(vbe_, projects_->itemText(i)));
    statswindow::StatsWindow stats(vbe_, std::move(selection), window());
    stats.exec();
}
QV_PASS_UP(kModule, "cmdStats_Click")

void ProjectBrowser::DoStatus(int value1, int value2, int max1, int max2) {
    progress_.DoStatus(value1, value2, max1, max2);
    // The engines report thousands of steps a second; the bars are painted
    // and pending events run a few dozen times a second, which keeps the
    // window as lively and costs the run next to nothing.
    const bool hidesBoth = value1 == -1 && value2 == -1 && max1 == -1 && max2 == -1;
    if (!hidesBoth && sinceEvents_.isValid() && sinceEvents_.elapsed() < kEventInterval) return;
    for (size_t bar = 0; bar < bars_.size(); ++bar) ShowBarValue(bar);
    sinceEvents_.start();
    GetServices().DoEvents();
}

void ProjectBrowser::ShowBarValue(size_t bar) {
    // A progress bar repaints itself whenever its percentage changes, so it
    // is given its value only here.
    const auto [value, maximum] = barValues_.at(bar);
    ui::SetBar(*bars_.at(bar), value, maximum);
}

void ProjectBrowser::DrawBar(int bar, int value, int maximum) {
    barValues_.at(static_cast<size_t>(bar)) = {value, maximum};
}

void ProjectBrowser::SetBarVisible(int bar, bool visible) {
    const auto index = static_cast<size_t>(bar);
    if (bars_.at(index)->isVisibleTo(this) == visible) return;
    if (visible) ShowBarValue(index);  // a bar comes up with its value
    bars_.at(index)->setVisible(visible);
}

}  // namespace qv::mainwindow
