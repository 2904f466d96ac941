// qvaddin-bench-main-window: times the main window's project browser on a
// project (bench/bench_main_window.sh makes the 1M-line one). Prints
// figures only.
//
//   qvaddin-bench-main-window PROJECT
//
// - the module list filled with every module's counts ("&Status"), and how
//   often and how steadily the bars moved meanwhile;
// - choosing a module: its routines listed with their status;
// - sorting the module list by a count column, and back.

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <algorithm>
#include <cstdio>

#include "bench/bar_watch.h"
#include "host/files/project_loader.h"
#include "host/files/workspace.h"
#include "mainwindow/project_browser.h"
#include "platform/services.h"
#include "settings/settings_operations.h"
#include "shell/process_start.h"
#include "ui/vb_qstring.h"

namespace {

using namespace qv;
using bench::BarWatch;
using bench::Ms;


template <class Step>
double Timed(Step&& step) {
    QElapsedTimer timer;
    timer.start();
    step();
    QApplication::processEvents();
    return Ms(timer);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2 || arguments[1] == "--help") {
        std::puts("usage: qvaddin-bench-main-window PROJECT");
        return arguments.size() < 2 ? 2 : 0;
    }
    shell::CommandLineStart();
    const settings::SettingsRecord settings = settings::LoadSettings();
    auto vbe = std::make_unique<host::memory::MemoryVbe>();
    host::files::Workspace workspace(*vbe);
    host::files::LoadTargets(workspace, {arguments[1].toStdString()});

    BarWatch watch(GetServices());
    ScopedServices installed(watch);
    mainwindow::ProjectBrowser browser(*vbe, settings);
    browser.resize(1200, 800);
    browser.show();
    browser.ListProjects();
    browser.ChooseProject(ui::VbQString(vbe->ActiveVBProject()->Name(), vbe->TextCodePage()));
    QApplication::processEvents();

    watch.Reset();
    const double fill = Timed([&] { browser.StatusPass(); });
    QTreeWidget& modules = browser.ModuleList();
    std::printf("module list filled     %.1f ms, %d modules with counts, bars moved %ld times, "
                "stood still %.1f ms at most\n",
                fill, modules.topLevelItemCount(), watch.updates_, watch.longestGap_);

    QTreeWidgetItem* middle = modules.topLevelItem(modules.topLevelItemCount() / 2);
    modules.setCurrentItem(middle);
    const double choose = Timed([&] { browser.ModuleClicked(middle); });
    std::printf("choose a module        %.1f ms, %d routines listed\n", choose,
                browser.RoutineList().topLevelItemCount() - 1);

    const double byCount = Timed([&] { modules.header()->sectionClicked(1); });
    const double reversed = Timed([&] { modules.header()->sectionClicked(1); });
    const double byName = Timed([&] { modules.header()->sectionClicked(0); });
    std::printf("sort %d rows           by Good %.1f ms, reversed %.1f ms, by name %.1f ms\n",
                modules.topLevelItemCount(), byCount, reversed, byName);
    return 0;
}
