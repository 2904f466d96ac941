#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "box_answers.h"
#include "platform/services.h"
#include "ui/message_box_flags.h"
#include "ui/message_boxes.h"

namespace qv::ui {
namespace {

using testing::Press;
using testing::WhenBoxOpens;
using Buttons = QList<QMessageBox::StandardButton>;

TEST(MessageBoxFlags, ButtonsIconsDefaultsAndModality) {
    MessageBoxLayout plain = LayoutOf(mb::kOkOnly);
    EXPECT_EQ(plain.buttons, Buttons{QMessageBox::Ok});
    EXPECT_EQ(plain.icon, QMessageBox::NoIcon);
    EXPECT_EQ(plain.defaultButton, QMessageBox::Ok);
    EXPECT_EQ(plain.escapeButton, QMessageBox::Ok);
    EXPECT_FALSE(plain.stayOnTop);

    // Yes/No, question, second button default: the delete confirmation.
    const MessageBoxLayout confirm = LayoutOf(mb::kYesNo | mb::kQuestion | mb::kDefaultButton2);
    EXPECT_EQ(confirm.buttons, (Buttons{QMessageBox::Yes, QMessageBox::No}));
    EXPECT_EQ(confirm.icon, QMessageBox::Question);
    EXPECT_EQ(confirm.defaultButton, QMessageBox::No);
    EXPECT_EQ(confirm.escapeButton, QMessageBox::No);

    const MessageBoxLayout three =
        LayoutOf(vb_box::kYesNoCancel | mb::kExclamation | vb_box::kDefaultButton3);
    EXPECT_EQ(three.buttons, (Buttons{QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}));
    EXPECT_EQ(three.icon, QMessageBox::Warning);
    EXPECT_EQ(three.defaultButton, QMessageBox::Cancel);
    EXPECT_EQ(three.escapeButton, QMessageBox::Cancel);

    EXPECT_EQ(LayoutOf(mb::kCritical | mb::kSystemModal).icon, QMessageBox::Critical);
    EXPECT_TRUE(LayoutOf(mb::kCritical | mb::kSystemModal).stayOnTop);
    EXPECT_EQ(LayoutOf(mb::kInformation).icon, QMessageBox::Information);
    EXPECT_EQ(LayoutOf(vb_box::kAbortRetryIgnore).escapeButton, QMessageBox::Abort);
    EXPECT_EQ(LayoutOf(vb_box::kOkCancel | vb_box::kDefaultButton4).defaultButton, QMessageBox::Ok)
        << "a default past the last button falls back to the first";
    EXPECT_EQ(LayoutOf(9).buttons, Buttons{QMessageBox::Ok}) << "unknown button sets show OK";
}

QRect ScreenGeometry() {
    return QGuiApplication::primaryScreen()->geometry();
}

// Opens a box at the pointer and returns where it showed.
QRect BoxAtPointer(QPoint pointer) {
    QCursor::setPos(pointer);
    QRect shown;
    WhenBoxOpens([&shown](QMessageBox& box) {
        shown = box.frameGeometry();
        Press(box, QMessageBox::Ok);
    });
    EXPECT_EQ(MsgBoxCursor("Placed at the pointer", mb::kOkOnly, "Where", 0), mb::kAnswerOk);
    return shown;
}

TEST(MsgBoxCursor, OpensCentredOnThePointerAndWhollyOnTheScreen) {
    const QRect screen = ScreenGeometry();
    const QRect topLeft = BoxAtPointer(screen.topLeft());
    EXPECT_EQ(topLeft.topLeft(), screen.topLeft());

    const QRect bottomRight = BoxAtPointer(screen.bottomRight());
    EXPECT_EQ(bottomRight.right(), screen.right());
    EXPECT_EQ(bottomRight.bottom(), screen.bottom());

    const QRect middle = BoxAtPointer(screen.center());
    EXPECT_LE(std::abs(middle.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(middle.center().y() - screen.center().y()), 1);
}

TEST(MsgBoxCursor, EmptyTitleIsTheApplicationsAndThePromptIsPlainText) {
    QString title;
    Qt::TextFormat format = Qt::AutoText;
    WhenBoxOpens([&](QMessageBox& box) {
        title = box.windowTitle();
        format = box.textFormat();
        Press(box, QMessageBox::Yes);
    });
    EXPECT_EQ(MsgBoxCursor("<b>not bold</b>", mb::kYesNo, "", 0), mb::kAnswerYes);
    EXPECT_EQ(title, "Brell's Add-In");
    EXPECT_EQ(format, Qt::PlainText);
}

TEST(MsgBoxCursor, TimeoutClosesTheBoxWithItsSafeAnswer) {
    EXPECT_EQ(MsgBoxCursor("Closes by itself", mb::kOkOnly, "T", 30), mb::kAnswerOk);
    EXPECT_EQ(MsgBoxCursor("Closes by itself", mb::kYesNo, "T", 30), mb::kAnswerNo);
    EXPECT_EQ(MsgBoxCursor("Closes by itself", vb_box::kYesNoCancel, "T", 30),
              vb_box::kAnswerCancel);
}

TEST(MsgBoxCursor, NoTimeoutNeverClosesTheBox) {
    bool stillOpen = false;
    WhenBoxOpens([&](QMessageBox& box) {
        // Long past any time-out the other tests use, the box is still there.
        QMessageBox* open = &box;
        QTimer::singleShot(300, open, [&stillOpen, open] {
            stillOpen = open->isVisible();
            Press(*open, QMessageBox::Yes);
        });
    });
    EXPECT_EQ(MsgBoxCursor("Stays", mb::kYesNo, "T", 0), mb::kAnswerYes);
    EXPECT_TRUE(stillOpen);
}

TEST(ShowMessageBox, OrdinaryBoxAnswersTheButtonPressed) {
    WhenBoxOpens([](QMessageBox& box) { Press(box, QMessageBox::Cancel); });
    EXPECT_EQ(ShowMessageBox("Go on?", vb_box::kOkCancel, "T"), vb_box::kAnswerCancel);
}

}  // namespace
}  // namespace qv::ui
