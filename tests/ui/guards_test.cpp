#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>

#include "box_answers.h"
#include "platform/error_state.h"
#include "platform/services.h"
#include "ui/busy_guard.h"
#include "ui/message_boxes.h"
#include "ui/mouse_pointer_guard.h"
#include "ui/window_helpers.h"

namespace qv::ui {
namespace {

// The shape the application shows now; the arrow when nothing overrides it.
Qt::CursorShape Shown() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor != nullptr ? cursor->shape() : Qt::ArrowCursor;
}

bool Overridden() {
    return QGuiApplication::overrideCursor() != nullptr;
}

TEST(MousePointerGuard, PointerComesBackInNestedOrder) {
    ASSERT_FALSE(Overridden());
    {
        MousePointerGuard outer;
        outer.Hourglass();
        EXPECT_EQ(Shown(), Qt::WaitCursor);
        {
            MousePointerGuard inner;
            inner.Pointer(vb_pointer::kIBeam);
            EXPECT_EQ(Shown(), Qt::IBeamCursor);
            inner.Pointer(vb_pointer::kDefault);
            EXPECT_EQ(Shown(), Qt::ArrowCursor);
        }
        EXPECT_EQ(Shown(), Qt::WaitCursor);
    }
    EXPECT_FALSE(Overridden());
    { MousePointerGuard unused; }
    EXPECT_FALSE(Overridden()) << "a guard that set nothing restores nothing";
    EXPECT_EQ(CursorShapeOf(99), Qt::ArrowCursor);
}

TEST(MousePointerGuard, PendingErrorSurvivesTheRelease) {
    SetCurrentError(VbError(53, "File not found", "AddIn.Load(3):"));
    {
        MousePointerGuard guard;
        guard.Hourglass();
    }
    EXPECT_EQ(Err().number, 53);
    EXPECT_EQ(Err().description, "File not found");
    EXPECT_EQ(Err().source, "AddIn.Load(3):");
    ClearCurrentError();
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        edit = new QLineEdit("some text", &window);
        focus = new QPushButton("focus", &window);
        layout->addWidget(edit);
        layout->addWidget(focus);
        window.resize(300, 120);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
        QApplication::processEvents();
    }

    QWidget window;
    QLineEdit* edit = nullptr;
    QPushButton* focus = nullptr;
};

TEST_F(WindowTest, BusyGuardDisablesThenRestoresStateFocusAndRunsTheHookBeforeTheHourglassEnds) {
    ASSERT_EQ(QApplication::focusWidget(), edit);
    int hookRuns = 0;
    bool enabledInHook = false;
    Qt::CursorShape shapeInHook = Qt::ArrowCursor;
    {
        BusyGuard guard(focus, edit, [&] {
            ++hookRuns;
            enabledInHook = window.isEnabled();
            shapeInHook = Shown();
        });
        EXPECT_FALSE(window.isEnabled());
        EXPECT_EQ(Shown(), Qt::WaitCursor);
    }
    EXPECT_TRUE(window.isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), edit);
    EXPECT_EQ(hookRuns, 1);
    EXPECT_TRUE(enabledInHook);
    EXPECT_EQ(shapeInHook, Qt::WaitCursor);
    EXPECT_FALSE(Overridden());
}

TEST_F(WindowTest, BusyGuardKeepsADisabledWindowDisabledAndSurvivesAFailingHook) {
    window.setEnabled(false);
    SetCurrentError(VbError(5, "Invalid procedure call or argument", "X.Y(1):"));
    {
        BusyGuard guard(focus, nullptr, [] { throw VbError(6, "Overflow"); });
    }
    EXPECT_FALSE(window.isEnabled());
    EXPECT_EQ(Err().number, 5) << "the error being handled is not replaced by the hook's";
    EXPECT_FALSE(Overridden());
    ClearCurrentError();
    EXPECT_THROW(BusyGuard(nullptr, nullptr), VbError);
}

TEST_F(WindowTest, MessageBoxCanBeAnsweredWhileTheBusyGuardHoldsTheWindow) {
    BusyGuard guard(focus, edit);
    bool boxEnabled = false;
    testing::WhenBoxOpens([&boxEnabled](QMessageBox& box) {
        boxEnabled = box.isEnabled();
        testing::Press(box, QMessageBox::Yes);
    });
    // The time-out only ends the test if the box could not be answered.
    EXPECT_EQ(MsgBoxCursor("Delete?", mb::kYesNo, "T", 3000, &window), mb::kAnswerYes);
    EXPECT_TRUE(boxEnabled);
    testing::WhenBoxOpens([](QMessageBox& box) { testing::Press(box, QMessageBox::No); });
    EXPECT_EQ(ShowMessageBox("Delete?", mb::kYesNo, "T"), mb::kAnswerNo);
}

TEST_F(WindowTest, SetCursorOverControlAndAlignForm) {
    const QRect onScreen(edit->mapToGlobal(QPoint(0, 0)), edit->size());
    SetCursorOverControl(*edit, 5);
    EXPECT_LE(std::abs(QCursor::pos().x() - onScreen.center().x()), 1);
    EXPECT_LE(std::abs(QCursor::pos().y() - onScreen.center().y()), 1);
    SetCursorOverControl(*edit, 9);
    EXPECT_EQ(QCursor::pos(), onScreen.bottomRight());
    SetCursorOverControl(*edit, 1);
    EXPECT_EQ(QCursor::pos(), onScreen.topLeft());

    const QRect work = window.screen()->availableGeometry();
    AlignForm(window, 9);
    EXPECT_EQ(window.frameGeometry().bottomRight(), work.bottomRight());
    AlignForm(window, 4);
    EXPECT_EQ(window.frameGeometry().topLeft(), work.topLeft());
}

TEST_F(WindowTest, SetTopmostKeepsPlaceAndSize) {
    window.move(40, 50);
    const QRect before = window.geometry();
    SetTopmost(window);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), before);
}

TEST(HiLight, SelectsTheTextOfTextBoxesOnly) {
    QLineEdit line("abc");
    HiLight(line);
    EXPECT_EQ(line.selectedText(), "abc");
    QLineEdit masked;
    masked.setInputMask("99-99");
    masked.setText("12-34");
    HiLight(masked);
    EXPECT_EQ(masked.selectedText(), "12-34");
    QPlainTextEdit lines("one\ntwo");
    HiLight(lines);
    EXPECT_EQ(lines.textCursor().selectedText(),
              QString("one") + QChar::ParagraphSeparator + "two");

    QListWidget list;
    list.addItems({"a", "b"});
    list.setCurrentRow(1);
    HiLight(list);
    EXPECT_EQ(list.selectedItems().size(), 1) << "a list box is left alone";
    QTextEdit rich("rich");
    HiLight(rich);
    EXPECT_FALSE(rich.textCursor().hasSelection()) << "a rich text box is no text box";
}

}  // namespace
}  // namespace qv::ui
