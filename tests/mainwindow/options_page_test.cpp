// The options page: every field survives save and a reload of the store,
// "&Save" is enabled exactly while the page differs from the store,
// "Defaults" gives back the company values, and the company's lock.

#include <QTest>

#include "mainwindow/options_page.h"
#include "settings/config_home_fixture.h"
#include "settings/settings_operations.h"
#include "settings/settings_record.h"
#include "shell/process_start.h"
#include "support/recording_services.h"

namespace qv::mainwindow {
namespace {

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

    // Fills every field of the page with values unlike the defaults.
    static void EditEveryField(OptionsPage& page) {
        page.Template("add0").setPlainText("' top one\n' top two");
        page.Template("add1").setPlainText("' below trap");
        page.Template("add2").setPlainText("' leaving");
        page.Template("add2a").setPlainText("' leaving MTS");
        page.Template("add3").setPlainText("LogIt \"%m.%r\"");
        page.Template("add4").setPlainText("Err.Raise Err.Number");
        page.Template("add5").setPlainText("' control");
        page.Template("add6").setPlainText("' mts");
        page.Check("header").setChecked(false);
        page.Check("select").setChecked(false);
        page.Check("menu").setChecked(false);
        page.Check("ten").setChecked(true);
        page.CommentOptions().button(3)->setChecked(true);
        page.WindowList().item(2)->setCheckState(Qt::Unchecked);
        page.WindowList().item(6)->setCheckState(Qt::Checked);
        page.OmitList().clear();
        page.AddOmit("  KeepOut  ");
        page.AddOmit("AlsoOut");
        page.CommentText().setText("' stamped %u");
        page.NormalExitLabel().setText("Leave_Here");
        page.ErrorExitLabel().setText("Oops_Here");
    }

    // The window's run of settings, which the pages show and renew.
    settings::SettingsRecord& Settings() { return settings_; }

    settings::SettingsRecord settings_;
    test::RecordingServices services_;
};

TEST_F(OptionsPageTest, EveryFieldSurvivesSaveAndAReloadOfTheStore) {
    auto page = Page();
    EditEveryField(*page);
    EXPECT_TRUE(page->SaveButton().isEnabled());
    ASSERT_TRUE(page->Save());
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
    const QString text = box.toPlainText();
    box.setPlainText(text + "x");
    EXPECT_TRUE(page->SaveButton().isEnabled());
    box.setPlainText(text);
    EXPECT_FALSE(page->SaveButton().isEnabled());

    QListWidgetItem* code = page->WindowList().item(0);
    const Qt::CheckState was = code->checkState();
    code->setCheckState(was == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    EXPECT_TRUE(page->SaveButton().isEnabled());
    code->setCheckState(was);
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
    ASSERT_TRUE(page->Save());
    page->Defaults();
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
    page->AddOmit("   ");
    EXPECT_EQ(page->OmitList().count(), 1);
    ASSERT_TRUE(page->Save());
    EXPECT_EQ(Settings().omit, "");
}

TEST_F(OptionsPageTest, NoTickedWindowTypeDeletesTheStoredFlagsSoTheDefaultApplies) {
    Settings().forms = "0000000000000000";
    auto page = Page();
    EXPECT_TRUE(page->WindowFlags().isEmpty());
    ASSERT_TRUE(page->Save());
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
    page->Template("add3").setPlainText("' changed");
    page->ErrorExitLabel().setText("Not a label");
    EXPECT_FALSE(page->Save());
    ASSERT_EQ(services_.messages.size(), 1U);
    settings::GetSettings(settings_);
    EXPECT_EQ(Settings().add3, before);
}

TEST_F(OptionsPageTest, WithoutOverridingTheCompanySettingsAreLocked) {
    static const settings::StringTableEntry table[] = {
        {1, "0"}, {9, "1"}, {10, "1"}, {11, "' %d: "}, {12, "2"},
        {15, "E,SC"}, {16, "L,SC"}, {17, "T,SC"}, {18, "C,SC"}, {19, "W,SC"}, {20, "F,SC"}};
    settings::SetStringTableForTesting(table);
        settings::GetSettings(settings_);
    auto page = Page();
    page->LockCompanySettings();
    EXPECT_EQ(page->PageValue("insert"), "' %d:");  // the table's entry, trimmed
    EXPECT_EQ(page->CommentOptions().checkedId(), 2);
    EXPECT_TRUE(page->CommentText().isReadOnly());
    EXPECT_FALSE(page->Check("menu").isEnabled());
    EXPECT_FALSE(page->Check("select").isEnabled());
    EXPECT_FALSE(page->CommentOptions().button(0)->isEnabled());
    EXPECT_TRUE(page->Check("ten").isEnabled());
}

}  // namespace
}  // namespace qv::mainwindow
