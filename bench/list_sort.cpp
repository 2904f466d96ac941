// qvaddin-bench-list_sort: times the list add-on on a list of 2,000 rows:
// sorting by a text, a number and a date column (each both ways, as two
// clicks on a header do) and sizing the columns. Prints the median and the
// slowest of several runs in milliseconds.
//
// Usage: qvaddin-bench-list_sort [rows] [runs]
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM names another.

#include <QApplication>
#include <QDate>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <iomanip>
#include <iostream>
#include <random>
#include <vector>

#include "ui/list_view_addon.h"

namespace {

using Clock = std::chrono::steady_clock;

void FillRows(QTreeWidget& list, int rows) {
    std::mt19937 random(2024);
    const QStringList words{"OK", "SOME", "MISSING", "IN ERROR", "N/A"};
    const QDate first(1998, 1, 1);
    for (int i = 0; i < rows; ++i) {
        const auto pick = [&random](int below) {
            return static_cast<int>(random() % unsigned(below));
        };
        const QString name =
            QStringLiteral("Routine_%1").arg(pick(1000000), 7, 10, QLatin1Char('0'));
        // A number column with some words among the figures, as the status columns have.
        const QString figure = pick(10) == 0 ? words[pick(5)] : QString::number(pick(5000));
        const QString date = first.addDays(pick(9000)).toString(Qt::ISODate);
        new QTreeWidgetItem(&list, {name, figure, date, words[pick(5)]});
    }
}

double Milliseconds(const std::function<void()>& work) {
    const Clock::time_point start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::cout << "  " << std::left << std::setw(26) << what << std::right << std::fixed
              << std::setprecision(2) << " median " << std::setw(8) << times[times.size() / 2]
              << " ms   slowest " << std::setw(8) << times.back() << " ms\n";
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(2, std::atoi(argv[1])) : 2000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;

    QTreeWidget list;
    list.setHeaderLabels({"Routine name", "Lines", "Changed", "Status"});
    list.resize(800, 600);
    list.show();
    qv::ui::ListViewAddon addon;
    addon.SetListView(&list);
    FillRows(list, rows);
    list.topLevelItem(rows / 2)->setSelected(true);

    std::cout << "List add-on, " << rows << " rows, " << runs << " runs each:\n";
    struct Case {
        const char* name;
        int column;
        int sortType;
    };
    for (const Case& sort : {Case{"sort as text", 1, qv::ui::sort_type::kText},
                             Case{"sort as number", 2, qv::ui::sort_type::kNumber},
                             Case{"sort as date", 3, qv::ui::sort_type::kDate}}) {
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            times.push_back(Milliseconds([&] { addon.Sort(sort.column, sort.sortType); }));
        }
        Report(sort.name, times);
    }
    std::vector<double> sizing;
    for (int run = 0; run < runs; ++run)
        sizing.push_back(Milliseconds([&] { addon.AutoSizeColumns(); }));
    Report("size the columns", sizing);
    return 0;
}
