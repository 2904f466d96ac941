#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include "box_answers.h"
#include "ui/qt_services.h"
#include "ui/status_window.h"

namespace qv::ui {
namespace {

QString ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

class RecordingDisplay : public ProgressDisplay {
  public:
    void DrawBar(int, int value, int) override { lastValue = value; }
    void SetBarVisible(int, bool) override {}
    int lastValue = -1;
};

TEST(QtServices, ClipboardTakesTheReportAsText) {
    QtServices services("/dev/null");
    services.SetClipboardText("Error in Modul\xE9\r\nline two");
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromUtf8("Error in Modulé\r\nline two"));
}

TEST(QtServices, LogAppendsOneEntryPerReportInItsFolder) {
    QTemporaryDir temp;
    const QString path = temp.filePath("new folder/qvaddin.log");
    QtServices services(path);
    services.LogError("first\r\nreport");
    services.LogError("second");
    const QString log = ReadAll(path);
    EXPECT_TRUE(log.contains("first\nreport\n")) << log.toStdString();
    EXPECT_TRUE(log.contains("second\n"));
    EXPECT_LT(log.indexOf("first"), log.indexOf("second"));
    EXPECT_EQ(log.count("] error\n"), 2);
    EXPECT_FALSE(log.contains('\r'));
}

TEST(QtServices, UnwritableLogDoesNotFailTheReport) {
    QTemporaryDir temp;
    QFile blocker(temp.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    QtServices services(temp.filePath("file/qvaddin.log"));  // a folder that is a file
    EXPECT_NO_THROW(services.LogError("kept on standard error"));
    EXPECT_EQ(QtServices().LogPath().endsWith("/qvaddin.log"), true);
}

TEST(QtServices, DoStatusDrawsOnTheDisplayOfTheWindowWithBars) {
    QtServices services("/dev/null");
    RecordingDisplay display;
    services.SetProgressDisplay(&display);
    services.DoStatus(-1, -1, 10, -1);
    services.DoStatus(4, -1, -1, -1);
    EXPECT_EQ(display.lastValue, 4);
    EXPECT_TRUE(services.Progress().BarState(0).visible);
    services.DoStatus(-1, -1, -1, -1);
    EXPECT_FALSE(services.Progress().BarState(0).visible);
    services.SetProgressDisplay(nullptr);
    services.DoStatus(5, -1, -1, -1);  // no window with bars: nothing drawn
    EXPECT_EQ(display.lastValue, 4);
}

TEST(QtServices, MessageBoxesAnswerInTheHostsNumbersAndTheStatusWindowIsOne) {
    QtServices services("/dev/null");
    testing::WhenBoxOpens([](QMessageBox& box) { testing::Press(box, QMessageBox::Yes); });
    EXPECT_EQ(services.MessageBox("Sure?", mb::kYesNo, "Brell's Add-In", false), mb::kAnswerYes);
    testing::WhenBoxOpens([](QMessageBox& box) { testing::Press(box, QMessageBox::No); });
    EXPECT_EQ(services.MessageBox("Sure?", mb::kYesNo, "Brell's Add-In", true), mb::kAnswerNo);
    EXPECT_EQ(&services.GetStatusWindow(), &services.GetStatusWindow());
    EXPECT_NE(dynamic_cast<QtStatusWindow*>(&services.GetStatusWindow()), nullptr);
}

TEST(QtServices, GeneralDateOfTheLocaleAndDocumentUrls) {
    QtServices services("/dev/null");
    EXPECT_FALSE(services.FormatGeneralDate(0, true).empty());
    EXPECT_EQ(DocumentUrl("mailto:someone@example.org").scheme(), "mailto");
    EXPECT_EQ(DocumentUrl("https://example.org/a").toString(), "https://example.org/a");
    EXPECT_EQ(DocumentUrl("/tmp/read me.txt").toLocalFile(), "/tmp/read me.txt");
    EXPECT_TRUE(DocumentUrl("C:\\docs\\x.txt").isLocalFile()) << "a drive letter is no scheme";
}

}  // namespace
}  // namespace qv::ui
