#include "mainwindow/browser_fixture.h"

#include <QHeaderView>
#include <QTest>
#include <algorithm>

#include "errorhandling/insertion.h"
#include "errorhandling/module_counts.h"
#include "settings/settings_operations.h"
#include "settings/settings_record.h"
#include "shell/process_start.h"

namespace qv::mainwindow::test {

void PickFirstProject(ProjectBrowser& browser) {
    QComboBox& box = browser.ProjectBox();
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Down);
}

void ClickRow(QTreeWidget& list, const QString& name, Qt::KeyboardModifiers modifiers,
              int column, Qt::MouseButton button) {
    QTreeWidgetItem* row = RowNamed(list, name);
    ASSERT_NE(row, nullptr) << name.toStdString();
    list.scrollToItem(row);
    const QRect rect = list.visualItemRect(row);
    const int x = list.header()->sectionViewportPosition(column) + 4;
    QTest::mouseClick(list.viewport(), button, modifiers, QPoint(x, rect.center().y()));
}

void ClickTool(QToolBar& bar, int image) {
    for (QAction* action : bar.actions()) {
        if (action->data().toInt() != image) continue;
        QTest::mouseClick(bar.widgetForAction(action), Qt::LeftButton);
        return;
    }
    ADD_FAILURE() << "no button with image " << image;
}

void ClickHeading(QTreeWidget& list, int column) {
    QHeaderView& header = *list.header();
    const int x = header.sectionViewportPosition(column) + header.sectionSize(column) / 2;
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, QPoint(x, header.height() / 2));
}

void ClickButton(QAbstractButton& button) {
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(4, button.height() / 2));
}

Rows ListRows(const QTreeWidget& list) {
    Rows rows;
    for (int r = 0; r < list.topLevelItemCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < list.columnCount(); ++c) cells << list.topLevelItem(r)->text(c);
        rows.push_back(cells);
    }
    return rows;
}

QStringList Column(const QTreeWidget& list, int column) {
    QStringList cells;
    for (int r = 0; r < list.topLevelItemCount(); ++r) cells << list.topLevelItem(r)->text(column);
    return cells;
}

QTreeWidgetItem* RowNamed(QTreeWidget& list, const QString& text) {
    const auto rows = list.findItems(text, Qt::MatchExactly);
    return rows.isEmpty() ? nullptr : rows.first();
}

Rows Sorted(Rows rows) {
    std::sort(rows.begin(), rows.end(),
              [](const QStringList& a, const QStringList& b) { return a.join('|') < b.join('|'); });
    return rows;
}

Rows FreshRoutineRows(host::VBE& vbe, const std::string& project, const std::string& module,
                      const settings::SettingsRecord& settings) {
    const analysis::ModuleCounts counts =
        analysis::CountModule(vbe, project, module, true, settings);
    Rows rows{{"(Declarations)", "", "", ""}};
    for (const analysis::RoutineStatusRow& row : counts.routines) {
        rows.push_back({QString::fromStdString(row.name + analysis::CopySuffix(row.copy)),
                        QString::fromStdString(row.typeWord),
                        QString::fromStdString(analysis::StatusString(row.status.top)),
                        QString::fromStdString(analysis::StatusString(row.status.exit))});
    }
    return Sorted(rows);
}

void BrowserTest::SetUp() {
    ConfigHomeTest::SetUp();
    // As a first run of the programs: the defaults stored, the record filled.
    shell::CommandLineStart();
    settings_ = settings::LoadSettings();
    AddProjectModules(fixture_);
}

void BrowserTest::AddProjectModules(qv::test::VbFixture& fixture_) {
    fixture_.Add("modA", host::vbext_ct_StdModule,
                 Vb({"Option Explicit", "Private m As Long", "", "Public Sub Plain()", "    m = 1",
                     "End Sub", "", "Public Function Twice(ByVal x As Long) As Long",
                     "    Twice = 2 * x", "End Function", "",
                     "Public Property Let Value(ByVal v As Long)", "    m = v", "End Property", "",
                     "Public Property Get Value() As Long", "    Value = m", "End Property", "",
                     "Private Sub Another()", "    m = 3", "End Sub"}));
    fixture_.Add("modB", host::vbext_ct_StdModule,
                 Vb({"Option Explicit", "", "Public Sub Handled()", "    Debug.Print 1", "End Sub",
                     "", "Public Sub Extra()", "    Debug.Print 2", "End Sub", "",
                     "Public Sub Other()", "    On Error Resume Next", "    Debug.Print 3",
                     "End Sub", "",
                     // On the omit list: a standard handler here is one too many.
                     "Public Sub ErrorSave()", "    On Error GoTo Error_Routine", "",
                     "    Debug.Print 4", "", "Exit_Routine:", "    Exit Sub", "Error_Routine:",
                     "    Debug.Assert False",
                     "    Err.Raise Err.Number, \"modB.ErrorSave(\" & Erl & \"):\" & Err.Source, "
                     "Err.Description",
                     "End Sub"}));
    const settings::SettingsRecord settings = settings::LoadSettings();
    std::string refusal;
    host::Members& members = fixture_.Module("modB").Members();
    ASSERT_TRUE(errorhandling::AddRoutineErrorHandling(members.Item("Handled"), 0,
                                                       settings, refusal))
        << refusal;
    ASSERT_TRUE(errorhandling::AddRoutineErrorHandling(members.Item("Extra"), 0,
                                                       settings, refusal))
        << refusal;
    // A line of the user's own inside Extra's exit block.
    host::CodeModule& modB = fixture_.Module("modB");
    const std::string exitLabel = settings.label1 + ":";
    const long extraStart = modB.ProcStartLine("Extra", 0);
    for (long line = extraStart; line <= modB.CountOfLines(); ++line) {
        if (modB.Lines(line, 1) == exitLabel) {
            modB.InsertLines(line + 1, "    Debug.Print \"mine\"");
            break;
        }
    }
    fixture_.Vbe().SetActiveProject(&fixture_.Project());
}

std::unique_ptr<ProjectBrowser> BrowserTest::Browser() {
    auto browser = std::make_unique<ProjectBrowser>(fixture_.Vbe(), settings_);
    browser->resize(1000, 700);
    browser->ListProjects();
    browser->show();
    browser->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(browser.get()));
    return browser;
}

std::unique_ptr<ProjectBrowser> BrowserTest::BrowserOn(const QString& module) {
    auto browser = Browser();
    PickFirstProject(*browser);
    EXPECT_EQ(browser->ProjectName(), "Project1");
    ClickRow(browser->ModuleList(), module);
    EXPECT_EQ(browser->SelectedModuleRow() ? browser->SelectedModuleRow()->text(0) : "", module);
    return browser;
}

void BrowserTest::SelectRoutines(ProjectBrowser& browser, const QStringList& names) {
    QTreeWidget& list = browser.RoutineList();
    for (int i = 0; i < names.size(); ++i) {
        ClickRow(list, names[i], i == 0 ? Qt::NoModifier : Qt::ControlModifier);
    }
    EXPECT_EQ(list.selectedItems().size(), names.size());
}

}  // namespace qv::mainwindow::test
