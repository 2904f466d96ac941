// The options page: every field survives save and a reload of the store,
// "&Save" is enabled exactly while the page differs from the store,
// "Defaults" gives back the company values, and the company's lock.

#include <QApplication>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "mainwindow/options_page.h"
#include "settings/config_home_fixture.h"
#include "settings/settings_operations.h"
#include "settings/settings_record.h"
#include "shell/process_start.h"
#include "support/recording_services.h"

namespace qv::mainwindow {
namespace {

// Real input on the page: the tabs that hold a control are clicked until it
// shows, then keys go to it or a click lands on it.
void Reveal(QWidget& control) {
    for (QWidget* child = &control; child->parentWidget() != nullptr;
         child = child->parentWidget()) {
        QWidget* stack = child->parentWidget();
        auto* tabs = stack->parentWidget() ? qobject_cast<QTabWidget*>(stack->parentWidget())
                                           : nullptr;
        if (tabs == nullptr || tabs->indexOf(child) < 0) continue;
        Reveal(*tabs);
        QTabBar* bar = tabs->findChild<QTabBar*>();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tabs->indexOf(child)).center());
    }
    ASSERT_TRUE(control.isVisible());
}

void Click(QWidget& control) {
    Reveal(control);
    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(4, control.height() / 2));
}

// Replaces a box's text by typing; lines are ended with Return.
void TypeInto(QWidget& box, const QString& text) {
    Click(box);
    QApplication::processEvents();
    QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_Delete);
    const QStringList lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) QTest::keyClick(&box, Qt::Key_Return);
        QTest::keyClicks(&box, lines[i]);
    }
}

// The space bar on a row of the window list ticks or clears it.
void ToggleRow(QListWidget& list, int row) {
    Reveal(list);
    list.scrollToItem(list.item(row));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(row)).center());
    QTest::keyClick(list.viewport(), Qt::Key_Space);
}

QPushButton& ButtonNamed(QWidget& page, const QString& text) {
    for (QPushButton* button : page.findChildren<QPushButton*>()) {
        if (button->text() == text) return *button;
    }
    throw std::runtime_error("no button " + text.toStdString());
}

// "&Add" on the omit list, and the name typed into the box it asks with.
void AddOmitted(OptionsPage& page, const QString& name) {
    QTimer::singleShot(0, [name] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr) return;
        QApplication::setActiveWindow(dialog);  // as the window manager does
        if (!QTest::qWaitForWindowActive(dialog)) return;
        QTest::keyClicks(QApplication::focusWidget(), name);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    Click(ButtonNamed(page, "&Add"));
}

void RemoveEveryOmitted(OptionsPage& page) {
    QListWidget& list = page.OmitList();
    Reveal(list);
    while (list.count() > 0) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualItemRect(list.item(0)).center());
        Click(ButtonNamed(page, "REMOVE"));
    }
}

class OptionsPageTest : public test::ConfigHomeTest {
protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        shell::CommandLineStart();
        settings::GetSettings(settings_);
    }

    // A page as the window loads it, shown so that it follows changes.
    std::unique_ptr<OptionsPage> Page() {
        auto page = std::make_unique<OptionsPage>(settings_);
        page->GetFormSettings();
        page->SaveButton().setEnabled(false);
        page->show();
        return page;
    }

    // Fills every field of the page with values unlike the defaults, as a
    // person types and clicks them in.
    static void EditEveryField(OptionsPage& page) {
        TypeInto(page.Template("add0"), "' top one\n' top two");
        TypeInto(page.Template("add1"), "' below trap");
        TypeInto(page.Template("add2"), "' leaving");
        TypeInto(page.Template("add2a"), "' leaving MTS");
        TypeInto(page.Template("add3"), "LogIt \"%m.%r\"");
        TypeInto(page.Template("add4"), "Err.Raise Err.Number");
        TypeInto(page.Template("add5"), "' control");
        TypeInto(page.Template("add6"), "' mts");
        for (const char* key : {"header", "select", "menu", "ten"}) Click(page.Check(key));
        Click(*page.CommentOptions().button(3));
        ToggleRow(page.WindowList(), 2);
        ToggleRow(page.WindowList(), 6);
        RemoveEveryOmitted(page);
        AddOmitted(page, "  KeepOut  ");
        AddOmitted(page, "AlsoOut");
        TypeInto(page.CommentText(), "' stamped %u");
        TypeInto(page.NormalExitLabel(), "Leave_Here");
        TypeInto(page.ErrorExitLabel(), "Oops_Here");
    }

    // The window's run of settings, which the pages show and renew.
    settings::SettingsRecord& Settings() { return settings_; }

    settings::SettingsRecord settings_;
    test::RecordingServices services_;
};

TEST_F(OptionsPageTest, EveryFieldSurvivesSaveAndAReloadOfTheStore) {
    auto page = Page();
    ASSERT_EQ(page->PageValue("header"), "1");
    ASSERT_EQ(page->PageValue("ten"), "0");
    EditEveryField(*page);
    EXPECT_TRUE(page->SaveButton().isEnabled());
    Click(page->SaveButton());
    EXPECT_TRUE(services_.messages.empty());
    EXPECT_FALSE(page->SaveButton().isEnabled());

    // The engines see the new values at once.
    const settings::SettingsRecord& saved = Settings();
    EXPECT_EQ(saved.add0, "' top one\r\n' top two");
    EXPECT_EQ(saved.label2, "Oops_Here");
    EXPECT_EQ(saved.omit, "KeepOut\r\nAlsoOut");
    EXPECT_EQ(saved.forms, "1101111111111110");
    EXPECT_EQ(saved.comment, 3);
    EXPECT_EQ(saved.ten, 1);
    EXPECT_EQ(saved.insert, "' stamped %u");
    EXPECT_EQ(page->ErrorTrapLabel().text(), "    On Error Goto Oops_Here");

    // As after a restart: a fresh record from the store, a fresh page.
    Settings() = settings::SettingsRecord{};
    settings::GetSettings(settings_);
    auto reloaded = Page();
    for (const char* key : {"add0", "add1", "add2", "add2a", "add3", "add4", "add5", "add6",
                            "header", "select", "menu", "ten", "comment", "forms", "omit",
                            "insert", "label1", "label2"}) {
        EXPECT_EQ(reloaded->PageValue(key), page->PageValue(key)) << key;
    }
    EXPECT_FALSE(reloaded->SaveButton().isEnabled());
}

TEST_F(OptionsPageTest, UndoingAnEditLeavesSaveDisabled) {
    auto page = Page();
    QPlainTextEdit& box = page->Template("add3");
    Click(box);
    QTest::keyClick(&box, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_X);
    EXPECT_TRUE(page->SaveButton().isEnabled());
    QTest::keyClick(&box, Qt::Key_Backspace);
    EXPECT_FALSE(page->SaveButton().isEnabled());

    ToggleRow(page->WindowList(), 0);
    EXPECT_TRUE(page->SaveButton().isEnabled());
    ToggleRow(page->WindowList(), 0);
    EXPECT_FALSE(page->SaveButton().isEnabled());
}

// Where the templates of the first start could not be stored, the run uses
// them all the same, and the page compares with what the run reads.
TEST_F(OptionsPageTest, TemplatesTheStoreCouldNotTakeCountAsUnchanged) {
    WriteFile(SystemFile(), "[ErrorHandling]\nten=0\n");
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(SystemFile()), QFile::ReadOwner));
    settings::GetSettings(settings_);
    ASSERT_FALSE(Settings().add3.empty());
    auto page = Page();
    QCheckBox& header = page->Check("header");
    const QPoint box(4, header.height() / 2);
    QTest::mouseClick(&header, Qt::LeftButton, {}, box);
    EXPECT_TRUE(page->SaveButton().isEnabled());
    QTest::mouseClick(&header, Qt::LeftButton, {}, box);
    EXPECT_FALSE(page->SaveButton().isEnabled());
}

TEST_F(OptionsPageTest, DefaultsGiveBackTheCompanyValues) {
    auto page = Page();
    const settings::SettingsRecord defaults = Settings();
    EditEveryField(*page);
    Click(page->SaveButton());
    ASSERT_EQ(Settings().label2, "Oops_Here");
    Click(page->DefaultsButton());
    EXPECT_FALSE(page->SaveButton().isEnabled());
    EXPECT_EQ(Settings().add3, defaults.add3);
    EXPECT_EQ(Settings().label2, defaults.label2);
    EXPECT_EQ(Settings().forms, "1111110111111110");
    EXPECT_EQ(Settings().comment, defaults.comment);
    EXPECT_EQ(page->PageValue("add0"), defaults.add0);
    EXPECT_EQ(page->PageValue("omit"), defaults.omit);
    EXPECT_EQ(page->PageValue("ten"), "0");
}

TEST_F(OptionsPageTest, AnEmptyOmitListLoadsAsOneEmptyEntryAndSavesEmpty) {
    Settings().omit.clear();
    auto page = Page();
    ASSERT_EQ(page->OmitList().count(), 1);
    EXPECT_EQ(page->OmitList().item(0)->text(), "");
    AddOmitted(*page, "   ");
    EXPECT_EQ(page->OmitList().count(), 1);
    ToggleRow(page->WindowList(), 0);  // a change, so that "&Save" can be pressed
    Click(page->SaveButton());
    EXPECT_EQ(Settings().omit, "");
}

TEST_F(OptionsPageTest, NoTickedWindowTypeDeletesTheStoredFlagsSoTheDefaultApplies) {
    Settings().forms = "0000000000000000";
    auto page = Page();
    EXPECT_TRUE(page->WindowFlags().isEmpty());
    Click(page->Check("ten"));  // another change, so that "&Save" can be pressed
    Click(page->SaveButton());
    EXPECT_EQ(Settings().forms, "1111110111111110");
}

TEST_F(OptionsPageTest, ACommentValuePastTheOptionsChoosesNoneAndIsNotWritten) {
    Settings().comment = 4;
    auto page = Page();
    EXPECT_EQ(page->CommentOptions().checkedId(), -1);
    EXPECT_EQ(page->PageValue("comment"), "");
}

TEST_F(OptionsPageTest, ALabelThatIsNoVbLabelIsRefusedAndNothingIsStored) {
    auto page = Page();
    const std::string before = Settings().add3;
    TypeInto(page->Template("add3"), "' changed");
    TypeInto(page->ErrorExitLabel(), "Not a label");
    Click(page->SaveButton());
    ASSERT_EQ(services_.messages.size(), 1U);
    settings::GetSettings(settings_);
    EXPECT_EQ(Settings().add3, before);
}

TEST_F(OptionsPageTest, WithoutOverridingTheCompanySettingsAreLockedAgainstInput) {
    static const settings::StringTableEntry table[] = {
        {1, "0"}, {9, "1"}, {10, "1"}, {11, "' %d: "}, {12, "2"},
        {15, "E,SC"}, {16, "L,SC"}, {17, "T,SC"}, {18, "C,SC"}, {19, "W,SC"}, {20, "F,SC"},
        {111, " The company's stamp "}};
    ASSERT_TRUE(settings::SystemStore().SaveSetting("ErrorHandling", "insert", "' mine"));
    settings::GetSettings(settings_, table);
    auto page = std::make_unique<OptionsPage>(settings_, nullptr, table);
    page->GetFormSettings();
    page->show();
    page->LockCompanySettings();
    EXPECT_EQ(page->PageValue("insert"), "' %d:");  // the table's entry, trimmed
    EXPECT_EQ(page->CommentText().toolTip(), "The company's stamp");
    EXPECT_EQ(page->CommentOptions().checkedId(), 2);

    // What a person types or clicks into the locked controls changes nothing.
    TypeInto(page->CommentText(), "' typed");
    Click(*page->CommentOptions().button(0));
    Click(page->Check("menu"));
    EXPECT_EQ(page->PageValue("insert"), "' %d:");
    EXPECT_EQ(page->CommentOptions().checkedId(), 2);
    EXPECT_EQ(page->PageValue("menu"), "1");
    EXPECT_FALSE(page->SaveButton().isEnabled()) << "the page still shows the company's values";

    // The same store read with the compiled table, which allows overriding,
    // gives the user's own stamp: the page's table stayed with the page.
    settings::SettingsRecord compiled;
    settings::GetSettings(compiled);
    EXPECT_EQ(compiled.insert, "' mine");

    // An open setting still takes input, and the record saving renews keeps
    // the company's stamp.
    Click(page->Check("ten"));
    ASSERT_TRUE(page->SaveButton().isEnabled());
    Click(page->SaveButton());
    EXPECT_EQ(Settings().insert, "' %d:");
    EXPECT_EQ(Settings().ten, 1);
}

}  // namespace
}  // namespace qv::mainwindow
