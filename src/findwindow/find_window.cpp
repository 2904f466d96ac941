#include "findwindow/find_window.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSplitter>
#include <QVBoxLayout>

#include "find/hit_location.h"
#include "platform/event_trap.h"
#include "platform/vb_error.h"
#include "ui/mouse_pointer_guard.h"
#include "ui/vb_qstring.h"

namespace qv::findwindow {

namespace {

constexpr int kMinimumTreeHeight = 90;
constexpr int kMinimumSearchBoxWidth = 140;

// The search text as the engine takes it: UTF-8, which it writes in each
// module's code page.
std::string SearchText(const QString& text) { return text.toUtf8().toStdString(); }

// The part of the selection's first line that ShowFind takes: from the start
// column, as long as the selection is wide, or the rest of the line when the
// end column stands before the start column.
std::string SelectedPart(const std::string& line, long startColumn, long endColumn) {
    const size_t from = static_cast<size_t>(std::max(1L, startColumn) - 1);
    if (from >= line.size()) return {};
    if (endColumn < startColumn) return line.substr(from);
    return line.substr(from, static_cast<size_t>(endColumn - startColumn));
}

}  // namespace

FindWindow::FindWindow(QWidget* parent) : QWidget(parent) {
    BuildControls();
    ConnectEvents();
    focusTimer_.setSingleShot(true);
}

FindWindow::~FindWindow() { SetProjects(nullptr); }

void FindWindow::SetProjects(host::VBProjects* projects) {
    if (projects_ == projects) return;
    if (projects_ != nullptr) projects_->Unsubscribe(this);
    projects_ = projects;
    if (projects_ != nullptr) projects_->Subscribe(this);
}

void FindWindow::ForgetHost() {
    projects_ = nullptr;
    vbe_ = nullptr;
    codeWindow_ = nullptr;
    ClearResults();
}

void FindWindow::BuildControls() {
    searchBox_ = new QComboBox(this);
    searchBox_->setEditable(true);
    searchBox_->setInsertPolicy(QComboBox::NoInsert);
    searchBox_->setMinimumWidth(kMinimumSearchBoxWidth);
    searchBox_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    searchBox_->lineEdit()->setPlaceholderText(tr("Text to find"));
    findButton_ = new QPushButton(tr("&Find"), this);

    treeModel_ = new FindTreeModel(model_.Tree(), this);
    tree_ = new QTreeView(this);
    tree_->setModel(treeModel_);
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);  // scrolling a long tree measures no rows
    tree_->setMinimumHeight(kMinimumTreeHeight);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree_->header()->setStretchLastSection(false);

    // The search and its options above, the results below; the splitter
    // between them gives every pixel the controls do not need to the
    // results, and lets the user move the line.
    auto* controls = new QWidget(this);
    auto* top = new QHBoxLayout;
    top->addWidget(searchBox_, 1);
    top->addWidget(findButton_);
    auto* controlsLayout = new QVBoxLayout(controls);
    controlsLayout->setContentsMargins(0, 0, 0, 0);
    controlsLayout->addLayout(top);
    controlsLayout->addLayout(OptionsLayout());
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(controls);
    splitter_->addWidget(tree_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter_, 1);
}

QLayout* FindWindow::OptionsLayout() {
    wholeWord_ = new QCheckBox(tr("Find Whole Word &Only"), this);
    matchCase_ = new QCheckBox(tr("Match Ca&se"), this);
    pattern_ = new QCheckBox(tr("&Use Pattern Matching"), this);
    firstPerLine_ = new QCheckBox(tr("Only Show First Match on a &Line"), this);
    auto* checks = new QVBoxLayout;
    for (QCheckBox* box : {wholeWord_, matchCase_, pattern_, firstPerLine_}) checks->addWidget(box);
    checks->addStretch(1);

    auto* frame = new QGroupBox(tr("Search"), this);
    scopeModule_ = new QRadioButton(tr("Current &Module"), frame);
    scopeProject_ = new QRadioButton(tr("&Current Project"), frame);
    scopeGroup_ = new QRadioButton(tr("Current &Group"), frame);
    scopeProject_->setChecked(true);
    auto* scopes = new QVBoxLayout(frame);
    for (QRadioButton* button : {scopeModule_, scopeProject_, scopeGroup_}) scopes->addWidget(button);

    auto* options = new QHBoxLayout;
    options->addLayout(checks);
    options->addWidget(frame);
    options->addStretch(1);
    return options;
}

void FindWindow::ConnectEvents() {
    connect(searchBox_, &QComboBox::editTextChanged, this, [this] {
        EventTrap("UDFind.Combo1_Change", [&] { ClearResults(); });
    });
    connect(searchBox_->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        EventTrap("UDFind.Combo1_KeyPress", [&] { Search(searchBox_->currentText()); });
    });
    connect(findButton_, &QPushButton::clicked, this, [this] {
        EventTrap("UDFind.Command1_Click", [&] {
            AddActiveWindowToItsFrame();
            Search(searchBox_->currentText());
        });
    });
    const auto click = [this](const QModelIndex& index) {
        EventTrap("UDFind.TreeView1_NodeClick", [&] { NodeClick(index); });
    };
    connect(tree_, &QTreeView::clicked, this, click);
    connect(tree_, &QTreeView::activated, this, click);
    connect(tree_, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        EventTrap("UDFind.TreeView1_Expand", [&] { SetGroupImage(index, true); });
    });
    connect(tree_, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        EventTrap("UDFind.TreeView1_Collapse", [&] { SetGroupImage(index, false); });
    });
    connect(&focusTimer_, &QTimer::timeout, this, [this] { FocusCodeWindow(); });
}

void FindWindow::ReSize() {
    if (layout() != nullptr) layout()->activate();
}

int FindWindow::MinHeight() const { return layout()->minimumSize().height(); }

int FindWindow::MinWidth() const { return layout()->minimumSize().width(); }

void FindWindow::ShowFind() try {
    host::CodePane* pane = vbe_ != nullptr ? vbe_->ActiveCodePane() : nullptr;
    if (pane == nullptr) return;
    long startLine = 0, startColumn = 0, endLine = 0, endColumn = 0;
    pane->GetSelection(startLine, startColumn, endLine, endColumn);
    host::CodeModule& module = pane->CodeModule();
    const std::string part = SelectedPart(module.Lines(startLine, 1), startColumn, endColumn);
    if (!part.empty()) searchBox_->setEditText(ui::VbQString(part, module.TextCodePage()));
} QV_PASS_UP("UDFind", "ShowFind")

void FindWindow::FocusSearchBox() {
    // A dialog that opened in the meantime keeps the keyboard.
    if (QApplication::activeModalWidget() != nullptr) return;
    window()->activateWindow();
    searchBox_->setFocus(Qt::OtherFocusReason);
    searchBox_->lineEdit()->selectAll();
}

void FindWindow::Search(const QString& findWhat) try {
    if (vbe_ == nullptr) Raise(err::kObjectRequired, "The find window has no code host");
    ui::MousePointerGuard pointer;
    pointer.Hourglass();
    ReadOptions();
    model_.Search(*vbe_, SearchText(findWhat));
    ShowRecentSearches();
    ShowResults();
} QV_PASS_UP("UDFind", "Search")

void FindWindow::ReadOptions() {
    find::FindOptions& options = model_.Options();
    options.wholeWord = wholeWord_->isChecked();
    options.matchCase = matchCase_->isChecked();
    options.patternSearch = pattern_->isChecked();
    options.firstPerLine = firstPerLine_->isChecked();
    // The IDE's own code page is the one its projects were opened in.
    options.codePage = vbe_->TextCodePage();
    options.scope = scopeModule_->isChecked()  ? find::FindScope::Module
                    : scopeGroup_->isChecked() ? find::FindScope::Group
                                               : find::FindScope::Project;
}

// The list shows the recent searches, most recent first, with the search
// text standing as it was typed: refilling the list is not typing, so it
// does not clear the results.
void FindWindow::ShowRecentSearches() {
    const QSignalBlocker quiet(searchBox_);
    const QString typed = searchBox_->currentText();
    searchBox_->clear();
    for (const std::string& text : model_.RecentSearches()) {
        searchBox_->addItem(QString::fromStdString(text));
    }
    if (!model_.RecentSearches().empty()) searchBox_->setCurrentIndex(0);
    searchBox_->setEditText(typed);
}

void FindWindow::ClearResults() {
    if (model_.Tree().Empty()) return;
    model_.ClearResults();
    treeModel_->Reset();
}

void FindWindow::ShowResults() {
    treeModel_->Reset();
    tree_->expandAll();
    const QModelIndex first = treeModel_->index(0, 0);
    tree_->setCurrentIndex(first);
    tree_->scrollToTop();
}

void FindWindow::SetGroupImage(const QModelIndex& index, bool expanded) {
    if (index.data(FindTreeModel::TagRole).toString() != "Group") return;
    treeModel_->SetImage(index, expanded ? "Open" : "Close");
}

void FindWindow::NodeClick(const QModelIndex& index) try {
    const auto hit = find::LocateHit(model_.Tree(), treeModel_->NodeId(index));
    if (!hit || vbe_ == nullptr) return;
    host::VBComponent& component =
        vbe_->VBProjects().Item(hit->project).VBComponents().Item(hit->component);
    host::CodeModule* module = component.CodeModule();
    if (module == nullptr) return;
    host::CodePane& pane = module->CodePane();
    pane.Show();
    pane.SetTopLine(hit->startLine);
    pane.SetSelection(hit->startLine, hit->startColumn, hit->endLine, hit->endColumn);
    codeWindow_ = &pane.Window();
    // The click is not over yet: the tree would take the focus back.
    focusTimer_.start(1);
} QV_PASS_UP("UDFind", "TreeView1_NodeClick")

void FindWindow::AddActiveWindowToItsFrame() {
    host::Window* active = vbe_ != nullptr ? vbe_->ActiveWindow() : nullptr;
    if (active == nullptr) return;
    host::Window* frame = active->LinkedWindowFrame();
    if (frame == nullptr || frame->LinkedWindows() == nullptr) return;
    frame->LinkedWindows()->Add(*active);
}

void FindWindow::FocusCodeWindow() {
    host::Window* window = codeWindow_;
    codeWindow_ = nullptr;
    if (window != nullptr) IgnoringErrors([&] { window->SetFocus(); });
}

}  // namespace qv::findwindow
