// The statistics window lists the same figures as `qvaddin stats`: the module
// table of a project, the routine table of a module (--module) and the group
// table (--group), on the example project and on a generated group.

#include <gtest/gtest.h>

#include <QTest>

#include "statswindow/stats_window.h"
#include "window_support/window_test_support.h"

namespace qv::statswindow {
namespace {

// A list as the command line's CSV: the headings, then every row.
std::string ListCsv(const QTreeWidget& list) {
    auto field = [](const QString& text) {
        const bool quote = text.contains(',') || text.contains('"') ||
                           (!text.isEmpty() && (text.front() == ' ' || text.back() == ' '));
        return quote ? "\"" + QString(text).replace("\"", "\"\"") + "\"" : text;
    };
    auto line = [&](auto cell) {
        QStringList cells;
        for (int c = 0; c < list.columnCount(); ++c) cells << field(cell(c));
        return cells.join(',').toStdString() + "\r\n";
    };
    std::string csv = line([&](int c) { return list.headerItem()->text(c); });
    for (int r = 0; r < list.topLevelItemCount(); ++r) {
        csv += line([&](int c) { return list.topLevelItem(r)->text(c); });
    }
    return csv;
}

std::string CliCsv(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"stats", "--format", "csv"});
    const test::CliOutput cli = test::RunQvaddin(arguments);
    EXPECT_EQ(cli.code, 0) << cli.err;
    return cli.out;
}

std::string StartupProject(test::LoadedHost& host) { return host.Vbe().ActiveVBProject()->Name(); }

// Shown, and filled by the first click on the module list.
void Fill(StatsWindow& window) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.ModuleList().viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(window.Computed());
}

// A click on the module's row, then on "Details".
void ShowDetailsOf(StatsWindow& window, const QString& name) {
    QTreeWidget& list = window.ModuleList();
    const auto rows = list.findItems(name, Qt::MatchExactly);
    ASSERT_EQ(rows.size(), 1) << name.toStdString();
    list.scrollToItem(rows.first());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(rows.first()).center());
    QTest::mouseClick(&window.DetailsButton(), Qt::LeftButton);
}

TEST(StatsCliAgreement, ExampleModulesAndEveryModulesRoutines) {
    const std::string target = test::ExampleProject();
    test::LoadedHost host({target});
    StatsWindow window(host.Vbe(), {StartupProject(host), {}, {}});
    Fill(window);
    EXPECT_EQ(ListCsv(window.ModuleList()), CliCsv({target}));
    for (const char* module : {"modMain", "CAccount", "frmMain"}) {
        SCOPED_TRACE(module);
        ShowDetailsOf(window, module);
        EXPECT_EQ(ListCsv(window.RoutineList()), CliCsv({target, "--module", module}));
    }
}

TEST(StatsCliAgreement, GeneratedGroupProjectAndGroupTables) {
    const test::GeneratedProject generated(30000, 3);
    test::LoadedHost host({generated.Target()});
    StatsWindow window(host.Vbe(), {StartupProject(host), {}, {}});
    Fill(window);
    EXPECT_EQ(ListCsv(window.ModuleList()), CliCsv({generated.Target()}));

    const QString module = window.ModuleList().topLevelItem(3)->text(0);
    ShowDetailsOf(window, module);
    EXPECT_EQ(ListCsv(window.RoutineList()),
              CliCsv({generated.Target(), "--module", module.toStdString()}));

    // The hidden gesture: a right-click on "Details" with Shift, Ctrl and Alt.
    QTest::mouseClick(&window.DetailsButton(), Qt::RightButton,
                      Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(ListCsv(window.ModuleList()), CliCsv({generated.Target(), "--group"}));
}

}  // namespace
}  // namespace qv::statswindow
