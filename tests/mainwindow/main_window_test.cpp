// The main window: how the "tool" and "check" openings fill the browser,
// the splash, the pages, the example code and closing.

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include "mainwindow/browser_fixture.h"
#include "mainwindow/info_texts.h"
#include "mainwindow/main_window.h"
#include "mainwindow/options_page.h"

namespace qv::mainwindow::test {
namespace {

// Records the documents the shell is asked to open.
class ShellRecordingServices : public qv::test::RecordingServices {
public:
    void ShellOpen(std::string_view document) override { opened.emplace_back(document); }
    std::vector<std::string> opened;
};

class MainWindowTest : public BrowserTest {
protected:
    // The window as the add-in opens it: shown, and up once the splash has
    // had the focus and given way.
    std::unique_ptr<MainWindow> Opened(int displayType) {
        auto window = std::make_unique<MainWindow>(fixture_.Vbe(), displayType);
        window->show();
        EXPECT_TRUE(window->SplashShown());
        QApplication::setActiveWindow(window.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->SplashShown(); }));
        return window;
    }

    static void ClickTab(MainWindow& window, int page) {
        QTabBar* bar = window.Tabs().findChild<QTabBar*>();
        ASSERT_NE(bar, nullptr);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
        EXPECT_EQ(window.PageIndex(), page);
    }

    // What the window system sends when the window's frame is closed.
    static void CloseFromTheFrame(QWidget& window) {
        QCloseEvent close;
        QApplication::sendEvent(window.windowHandle(), &close);
    }
};

TEST_F(MainWindowTest, TheToolOpeningChoosesTheActiveProjectAndNoModule) {
    auto window = Opened(kDisplayTool);
    ProjectBrowser& browser = window->Browser();
    EXPECT_EQ(window->DisplayType(), kDisplayPlain);
    EXPECT_EQ(window->PageIndex(), kViewPage);
    EXPECT_EQ(browser.ProjectName(), "Project1");
    EXPECT_EQ(Column(browser.ModuleList(), 0), QStringList({"modA", "modB"}));
    EXPECT_TRUE(browser.ModuleList().selectedItems().isEmpty());
    EXPECT_EQ(browser.RoutineList().topLevelItemCount(), 0);
    // The options page comes up clean.
    EXPECT_FALSE(window->Options().SaveButton().isEnabled());
    EXPECT_EQ(window->Options().WindowList().currentRow(), -1);
    EXPECT_EQ(window->windowTitle().left(14), "Brell's Add-In");
}

TEST_F(MainWindowTest, TheCheckOpeningAlsoListsTheSelectedComponentsRoutines) {
    fixture_.Vbe().SetSelectedComponent(&static_cast<host::memory::MemoryComponent&>(
        fixture_.Project().VBComponents().Item("modB")));
    auto window = Opened(kDisplayCheck);
    ProjectBrowser& browser = window->Browser();
    ASSERT_NE(browser.SelectedModuleRow(), nullptr);
    EXPECT_EQ(browser.SelectedModuleRow()->text(0), "modB");
    EXPECT_TRUE(browser.SelectedModuleRow()->isSelected());
    EXPECT_EQ(ListRows(browser.ModuleList())[1], QStringList({"modB", "1", "1", "2", "0"}));
    EXPECT_EQ(Column(browser.RoutineList(), 0),
              QStringList({"(Declarations)", "ErrorSave", "Extra", "Handled", "Other"}));
}

TEST_F(MainWindowTest, WithoutAnActiveProjectTheListsStayEmpty) {
    fixture_.Vbe().SetActiveProject(nullptr);
    auto window = Opened(kDisplayCheck);
    EXPECT_EQ(window->Browser().ProjectBox().count(), 1);
    EXPECT_EQ(window->Browser().ModuleList().topLevelItemCount(), 0);
}

TEST_F(MainWindowTest, FourPagesInOrderAndTheHelpTextStartsAtTheTop) {
    auto window = Opened(kDisplayTool);
    QStringList captions;
    for (int i = 0; i < window->Tabs().count(); ++i) captions << window->Tabs().tabText(i);
    EXPECT_EQ(captions, QStringList({"&Information", "&Options", "&View and Insert",
                                     "Example Error&Log"}));
    window->resize(600, 300);
    ClickTab(*window, kInformationPage);
    QScrollBar* bar = window->HelpBox().verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    ClickTab(*window, kViewPage);
    ClickTab(*window, kInformationPage);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_TRUE(window->HelpBox().toPlainText().contains("Ctrl+Shift+E"));
}

TEST_F(MainWindowTest, CopyToClipboardCopiesTheExampleWithCrLf) {
    auto window = Opened(kDisplayTool);
    ClickTab(*window, kExamplePage);
    QTest::mouseClick(&window->CopyButton(), Qt::LeftButton);
    EXPECT_EQ(services_.Clipboard(), ExampleErrorLogCode().toStdString());
    const QString copied = QString::fromStdString(services_.Clipboard());
    EXPECT_EQ(copied.count("\n"), copied.count("\r\n"));
    EXPECT_TRUE(copied.contains("Public Sub ErrorLog("));
}

TEST_F(MainWindowTest, CloseEmptiesTheListsAndShowsTheSplashForTheNextOpening) {
    auto window = Opened(kDisplayTool);
    ASSERT_GT(window->Browser().ModuleList().topLevelItemCount(), 0);
    QTest::mouseClick(&window->CloseButton(), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->Browser().ModuleList().topLevelItemCount(), 0);
    EXPECT_EQ(window->result(), QDialog::Accepted);
}

TEST_F(MainWindowTest, AContactLabelOpensItsTargetThroughTheShellAndCloses) {
    ShellRecordingServices shell;  // installed over the fixture's services
    auto window = Opened(kDisplayTool);
    ClickTab(*window, kInformationPage);
    QLabel* contact = nullptr;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->text().contains(ContactLabels()[0].caption.toHtmlEscaped())) contact = label;
    }
    ASSERT_NE(contact, nullptr);
    QTest::mouseClick(contact, Qt::LeftButton, {}, QPoint(6, contact->height() / 2));
    ASSERT_EQ(shell.opened.size(), 1U);
    EXPECT_EQ(shell.opened[0], (ContactLabels()[0].tag + ContactLabels()[0].caption).toStdString());
    EXPECT_EQ(shell.opened[0].substr(0, 7), "mailto:");
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, ClosingTheFrameIsIgnoredWhileACommandRuns) {
    auto window = Opened(kDisplayTool);
    window->setEnabled(false);  // as the busy guard leaves it
    CloseFromTheFrame(*window);
    EXPECT_TRUE(window->isVisible());
    window->setEnabled(true);
    CloseFromTheFrame(*window);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, DetailsOpensTheStatisticsOfTheChosenProject) {
    auto window = Opened(kDisplayTool);
    QString title;
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            title = modal->windowTitle();
            QTest::keyClick(modal, Qt::Key_Escape);
        }
    });
    ClickButton(window->Browser().DetailsButton());
    EXPECT_EQ(title, "Statistics for Project1");
    EXPECT_TRUE(services_.messages.empty());
}

}  // namespace
}  // namespace qv::mainwindow::test
