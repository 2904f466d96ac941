#include "mainwindow/main_window.h"

#include "settings/settings_operations.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>

#include "mainwindow/info_texts.h"
#include "mainwindow/options_page.h"
#include "mainwindow/project_browser.h"
#include "ui/vb_highlighter.h"
#include "platform/event_trap.h"
#include "platform/services.h"
#include "platform/vb_error.h"
#include "ui/app_icons.h"
#include "ui/mouse_pointer_guard.h"
#include "ui/vb_qstring.h"
#include "ui/window_helpers.h"

namespace qv::mainwindow {

namespace {

constexpr const char* kModule = "frmQVAddIn";
constexpr int kCentre = 5;

}  // namespace

QString MainWindowCaption() {
    return QStringLiteral("Brell's Add-In Version %1").arg(QStringLiteral(QVADDIN_VERSION));
}

MainWindow::MainWindow(host::VBE& vbe, int displayType, QWidget* parent)
    : QDialog(parent), vbe_(vbe), displayType_(displayType), settings_(settings::LoadSettings()) {
    settings_.codePage = vbe.TextCodePage();
    setWindowTitle(MainWindowCaption());
    setWindowIcon(ui::AddInIcon());
    setModal(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    // Topmost from the start: changing the flags of a shown window hides it,
    // which would end a modal run.
    setWindowFlag(Qt::WindowStaysOnTopHint, true);

    tabs_ = new QTabWidget(this);
    browser_ = new ProjectBrowser(vbe_, settings_, this);
    browser_->onCloseRequest = [this] { CloseWindow(); };
    options_ = new OptionsPage(settings_, this);
    tabs_->addTab(InformationPage(), "&Information");
    tabs_->addTab(options_, "&Options");
    tabs_->addTab(browser_, "&View and Insert");
    tabs_->addTab(ExamplePage(), "Example Error&Log");

    close_ = new QPushButton("Close", this);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(close_);
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(tabs_, 1);
    layout->addLayout(bottom);

    // The splash covers the window until its first focus.
    auto* splashLabel = new QLabel(MainWindowCaption() + "\n\nLoading ...", this);
    splashLabel->setAlignment(Qt::AlignCenter);
    splashLabel->setFocusPolicy(Qt::StrongFocus);
    QFont big = splashLabel->font();
    big.setPointSize(big.pointSize() * 2);
    splashLabel->setFont(big);
    splash_ = splashLabel;
    splash_->installEventFilter(this);
    auto* stack = new QStackedLayout(this);
    stack->setStackingMode(QStackedLayout::StackAll);
    stack->addWidget(content);
    stack->addWidget(splash_);
    stack->setCurrentWidget(splash_);
    splash_->setAutoFillBackground(true);

    options_->GetFormSettings();
    options_->LockCompanySettings();
    options_->WindowList().setCurrentRow(-1);
    options_->WindowList().scrollToTop();
    options_->SaveButton().setEnabled(false);

    connect(tabs_, &QTabWidget::currentChanged, this,
            [this](int index) { EventTrap("frmQVAddIn.TabStrip1_Click", [&] { PageChanged(index); }); });
    connect(close_, &QPushButton::clicked, this,
            [this] { EventTrap("frmQVAddIn.cmdOK_Click", [&] { CloseWindow(); }); });
    connect(copy_, &QPushButton::clicked, this,
            [this] { EventTrap("frmQVAddIn.cmdCopy_Click", [&] { CopyExample(); }); });
    ShowPage(kViewPage);
    PlaceOnScreen();
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::InformationPage() {
    auto* page = new QWidget(this);
    help_ = new QTextBrowser(page);
    help_->setHtml(HelpText());
    help_->setOpenLinks(false);
    auto* created = new QLabel("Created to assist VB programmers", page);
    auto* contacts = new QHBoxLayout;
    contacts->addWidget(created);
    contacts->addStretch();
    const QList<ContactLabel>& labels = ContactLabels();
    for (int i = 0; i < labels.size(); ++i) {
        auto* label = new QLabel(QStringLiteral("<a href='#'>%1</a>").arg(labels[i].caption.toHtmlEscaped()), page);
        label->setCursor(Qt::PointingHandCursor);
        connect(label, &QLabel::linkActivated, this,
                [this, i] { EventTrap("frmQVAddIn.lblEmail_Click", [&] { OpenContact(i); }); });
        contacts_ << label;
        contacts->addWidget(label);
    }
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(help_, 1);
    layout->addLayout(contacts);
    return page;
}

QWidget* MainWindow::ExamplePage() {
    auto* page = new QWidget(this);
    example_ = new QPlainTextEdit(page);
    example_->setReadOnly(true);
    example_->setLineWrapMode(QPlainTextEdit::NoWrap);
    example_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    example_->setPlainText(ExampleErrorLogCode());
    new ui::VbHighlighter(example_->document());
    copy_ = new QPushButton("&Copy to Clipboard", page);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copy_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(example_, 1);
    layout->addLayout(buttons);
    return page;
}

void MainWindow::PlaceOnScreen() {
    QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) setGeometry(screen->availableGeometry());
}

bool MainWindow::SplashShown() const { return splash_->isVisible(); }

void MainWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (splash_->isVisible()) {
        // The splash takes the focus once the window is up; that focus
        // applies the display type.
        QTimer::singleShot(0, splash_, [this] { splash_->setFocus(Qt::OtherFocusReason); });
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == splash_ && event->type() == QEvent::FocusIn && splash_->isVisible()) {
        QTimer::singleShot(0, this, [this] {
            EventTrap("frmQVAddIn.Picture1_GotFocus", [&] { ApplyDisplayType(); });
        });
    }
    return QDialog::eventFilter(watched, event);
}

void MainWindow::ApplyDisplayType() try {
    if (!splash_->isVisible() && displayType_ == kDisplayPlain) return;
    splash_->hide();
    raise();
    activateWindow();
    IgnoringErrors([this] {
        if (isVisible()) {
            ui::SetTopmost(*this);
            ui::SetCursorOverControl(browser_->StatusButton(), kCentre);
        }
    });
    const int type = displayType_;
    displayType_ = kDisplayPlain;
    if (type == kDisplayTool) DisplayTool();
    if (type == kDisplayCheck) DisplayCheck();
}
QV_PASS_UP(kModule, "Picture1_GotFocus")

void MainWindow::RefreshProjects() try {
    ui::MousePointerGuard pointer;
    pointer.Hourglass();
    ShowPage(kViewPage);
    GetServices().DoEvents();
    browser_->ListProjects();
    browser_->ModuleAddon().Sort(1, ui::sort_type::kText);
    browser_->RoutineAddon().Sort(1, ui::sort_type::kText);
}
QV_PASS_UP(kModule, "cmdList_Click")

void MainWindow::DisplayTool() try {
    RefreshProjects();
    host::VBProject* active = vbe_.ActiveVBProject();
    if (active == nullptr) return;
    browser_->ChooseProject(ui::VbQString(active->Name(), vbe_.TextCodePage()));
    QTreeWidget& modules = browser_->ModuleList();
    if (modules.topLevelItemCount() > 0) {
        QTreeWidgetItem* first = modules.topLevelItem(0);
        modules.setCurrentItem(first);
        modules.scrollToItem(first);
        first->setSelected(false);
    }
}
QV_PASS_UP(kModule, "Display_Tool")

void MainWindow::DisplayCheck() try {
    RefreshProjects();
    ShowPage(kViewPage);
    host::VBProject* active = vbe_.ActiveVBProject();
    if (active == nullptr) return;
    browser_->ChooseProject(ui::VbQString(active->Name(), vbe_.TextCodePage()));
    host::VBComponent* selected = vbe_.SelectedVBComponent();
    if (selected != nullptr) browser_->ChooseModule(ui::VbQString(selected->Name(), vbe_.TextCodePage()));
}
QV_PASS_UP(kModule, "display_Check")

void MainWindow::ShowPage(int index) { tabs_->setCurrentIndex(index); }

int MainWindow::PageIndex() const { return tabs_->currentIndex(); }

void MainWindow::PageChanged(int index) {
    if (index == shownPage_) return;
    shownPage_ = index;
    // The help text is always read from its beginning.
    if (index == kInformationPage) help_->verticalScrollBar()->setValue(0);
}

void MainWindow::CopyExample() try {
    GetServices().SetClipboardText(example_->toPlainText().replace("\n", "\r\n").toStdString());
}
QV_PASS_UP(kModule, "cmdCopy_Click")

void MainWindow::OpenContact(int index) try {
    const ContactLabel& label = ContactLabels().at(index);
    GetServices().ShellOpen((label.tag + label.caption).toStdString());
    CloseWindow();
}
QV_PASS_UP(kModule, "lblEmail_Click")

void MainWindow::CloseWindow() try {
    if (!isEnabled()) return;
    if (mayClose_ && !mayClose_(this)) return;
    close_->setFocus();
    browser_->ModuleList().clear();
    browser_->RoutineList().clear();
    browser_->CodeBox().clear();
    splash_->show();
    accept();
}
QV_PASS_UP(kModule, "cmdOK_Click")

void MainWindow::reject() {
    EventTrap("frmQVAddIn.Form_QueryUnload", [&] { CloseWindow(); });
}

void ShowMainWindow(host::VBE& vbe, int displayType, QWidget* parent,
                    std::function<bool(QWidget*)> mayClose) {
    MainWindow window(vbe, displayType, parent);
    window.SetCloseGuard(std::move(mayClose));
    window.exec();
}

}  // namespace qv::mainwindow
