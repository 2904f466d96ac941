// The find window as the host's tool window: made once, shown every time,
// never smaller than its controls need, brought back on the screen, and its
// dock's place kept between runs.

#include <gtest/gtest.h>

#include <QMainWindow>
#include <QTest>

#include "findwindow/find_dock.h"
#include "findwindow/find_tool_window.h"
#include "host_files/temp_folder.h"
#include "support/recording_services.h"
#include "support/vb_fixture.h"

namespace qv::findwindow {
namespace {

class TestAddIn : public host::AddInInstance {
public:
    std::string ProgId() const override { return "qvaddin.Connect"; }
};

const QRect kScreen(0, 0, 1280, 800);

class FindToolWindowTest : public ::testing::Test {
protected:
    FindToolWindowTest() {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config_.Path().string()));
        RegisterFindDocument(fixture_.Vbe().AllWindows());
        fixture_.Add("modMain", host::vbext_ct_StdModule,
                     test::Vb({"Sub Main()", "    Dim answer As Long", "End Sub"}));
        fixture_.Vbe().SetActiveProject(&fixture_.Project());
    }
    ~FindToolWindowTest() override { qunsetenv("XDG_CONFIG_HOME"); }

    // The document's window, which the dock may have taken and deleted.
    FindWindow& Find() {
        FindWindow* window = tool_.document != nullptr ? tool_.document->Window() : nullptr;
        if (window == nullptr) throw std::runtime_error("no find window");
        return *window;
    }

    test::TempFolder config_;
    test::RecordingServices services_;
    test::VbFixture fixture_;
    TestAddIn addIn_;
    FindToolWindow tool_;
};

TEST_F(FindToolWindowTest, TheWindowIsMadeOnceAndShownEveryTime) {
    const long windowsBefore = fixture_.Vbe().Windows().Count();
    ShowFindWindow(tool_, addIn_, fixture_.Vbe(), kScreen);
    ASSERT_NE(tool_.window, nullptr);
    host::Window* first = tool_.window;
    EXPECT_EQ(first->Caption(), "Find");
    EXPECT_EQ(first->Type(), host::vbext_wt_ToolWindow);
    EXPECT_TRUE(first->Visible());
    first->SetVisible(false);
    ShowFindWindow(tool_, addIn_, fixture_.Vbe(), kScreen);
    EXPECT_EQ(tool_.window, first);
    EXPECT_TRUE(first->Visible());
    EXPECT_EQ(fixture_.Vbe().Windows().Count(), windowsBefore + 1);
}

TEST_F(FindToolWindowTest, ShowingTakesTheSelectionAndFollowsTheProjects) {
    auto& pane = fixture_.Module("modMain").CodePane();
    pane.Show();
    pane.SetSelection(2, 9, 2, 15);
    ShowFindWindow(tool_, addIn_, fixture_.Vbe(), kScreen);
    FindWindow& find = Find();
    EXPECT_EQ(find.SearchBox().currentText(), "answer");
    find.Search("answer");
    EXPECT_FALSE(find.Model().Tree().Empty());
    fixture_.Vbe().AddProject("Second");
    EXPECT_TRUE(find.Model().Tree().Empty());
}

TEST_F(FindToolWindowTest, ATooSmallWindowGrowsToItsMinimum) {
    ShowFindWindow(tool_, addIn_, fixture_.Vbe(), kScreen);
    tool_.window->SetWidth(10);
    tool_.window->SetHeight(10);
    ShowFindWindow(tool_, addIn_, fixture_.Vbe(), kScreen);
    EXPECT_EQ(tool_.window->Width(), Find().MinWidth());
    EXPECT_EQ(tool_.window->Height(), Find().MinHeight());
}

TEST_F(FindToolWindowTest, AWindowOffTheScreenComesBackCentredOnThatAxis) {
    ShowFindWindow(tool_, addIn_, fixture_.Vbe(), kScreen);
    host::Window& window = *tool_.window;
    window.SetWidth(400);
    window.SetHeight(300);
    window.SetLeft(-50);
    window.SetTop(100);
    BringOnScreen(window, kScreen);
    EXPECT_EQ(window.Left(), 440);
    EXPECT_EQ(window.Top(), 100);
    window.SetLeft(1000);
    window.SetTop(600);
    BringOnScreen(window, kScreen);
    EXPECT_EQ(window.Left(), 440);
    EXPECT_EQ(window.Top(), 250);
}

TEST_F(FindToolWindowTest, TheDockKeepsItsPlaceBetweenRuns) {
    {
        QMainWindow main;
        main.resize(1000, 700);
        main.show();
        ShowFindDock(tool_, addIn_, fixture_.Vbe(), main);
        QDockWidget* dock = tool_.dock.data();
        ASSERT_NE(dock, nullptr);
        EXPECT_TRUE(dock->isVisible());
        EXPECT_EQ(dock->widget(), &Find());
        dock->setFloating(true);
        dock->setGeometry(120, 90, 460, 520);
        QTest::qWait(10);
        EXPECT_EQ(tool_.window->Width(), 460) << "the host's record follows the dock";
    }  // the main window closes: the place is stored
    auto stored = LoadDockPlace(IdeStore(), kFindWindowPositionId);
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->floating);
    EXPECT_EQ(stored->frame.size(), QSize(460, 520));

    FindToolWindow again;
    QMainWindow main;
    main.show();
    ShowFindDock(again, addIn_, fixture_.Vbe(), main);
    QDockWidget* dock = again.dock.data();
    ASSERT_NE(dock, nullptr);
    EXPECT_TRUE(dock->isFloating());
    EXPECT_EQ(dock->size(), QSize(460, 520));
    EXPECT_EQ(again.window->Width(), 460);
}

TEST_F(FindToolWindowTest, AStoredPlaceReadsBackAsWritten) {
    settings::CRegSettings store = IdeStore();
    const DockPlace place{Qt::BottomDockWidgetArea, false, QRect(10, 20, 300, 200)};
    SaveDockPlace(store, "some-id", place);
    EXPECT_EQ(LoadDockPlace(store, "some-id"), place);
    EXPECT_FALSE(LoadDockPlace(store, "another-id"));
}

}  // namespace
}  // namespace qv::findwindow
