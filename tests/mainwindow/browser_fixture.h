#pragma once
// What the main window tests share: a private settings folder with the
// defaults a first run stores, recorded services, a small project of VB
// text, and the routine rows as a fresh listing gives them.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QStringList>
#include <QToolBar>
#include <QTreeWidget>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "mainwindow/project_browser.h"
#include "settings/config_home_fixture.h"
#include "support/recording_services.h"
#include "support/vb_fixture.h"

// Readable failures: texts as texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
QT_END_NAMESPACE

namespace qv::mainwindow::test {

using qv::test::Vb;
using Rows = std::vector<QStringList>;

// Real input, as a person gives it: the first project picked in the box
// with the arrow key; a click on a row (at a column's left edge); a click on
// a tool bar's button by its image number; a click on a column heading.
void PickFirstProject(ProjectBrowser& browser);
void ClickRow(QTreeWidget& list, const QString& name, Qt::KeyboardModifiers modifiers = {},
              int column = 0, Qt::MouseButton button = Qt::LeftButton);
void ClickTool(QToolBar& bar, int image);
void ClickHeading(QTreeWidget& list, int column);
void ClickButton(QAbstractButton& button);

// Every row of a list, all columns, in list order.
Rows ListRows(const QTreeWidget& list);
// One column of a list, in list order.
QStringList Column(const QTreeWidget& list, int column);
// The row of a list whose first column is the text.
QTreeWidgetItem* RowNamed(QTreeWidget& list, const QString& text);

// The routine rows a fresh listing of the module shows, sorted by name.
Rows FreshRoutineRows(host::VBE& vbe, const std::string& project, const std::string& module,
                      const settings::SettingsRecord& settings);
// The rows sorted by their texts, for comparing with a fresh listing.
Rows Sorted(Rows rows);

class BrowserTest : public qv::test::ConfigHomeTest {
protected:
    void SetUp() override;

    // modA: three plain routines and a property pair. modB: Handled with the
    // standard handler (OK, OK); Extra with a line of its own in the exit
    // block (OK, EXTRA CODE); Other with other error handling (SOME);
    // ErrorSave, on the omit list, with a standard handler (EXTRA CODE, OK).
    static void AddProjectModules(qv::test::VbFixture& fixture);
    // The browser, shown, with the open projects listed.
    std::unique_ptr<ProjectBrowser> Browser();
    // The browser with Project1 picked in its box and a click on the
    // module's row.
    std::unique_ptr<ProjectBrowser> BrowserOn(const QString& module);
    // Clicks on the rows, the later ones with Ctrl held.
    void SelectRoutines(ProjectBrowser& browser, const QStringList& names);

    // The run's settings the browsers of a test share.
    settings::SettingsRecord& Settings() { return settings_; }

    qv::test::RecordingServices services_;
    qv::test::VbFixture fixture_;
    settings::SettingsRecord settings_;
};

}  // namespace qv::mainwindow::test
