// qvaddin-bench-windows: times the find and statistics windows on a project
// (bench/bench_windows.sh makes the 1M-line one). Prints figures only.
//
//   qvaddin-bench-windows PROJECT [--rare WORD] [--common WORD]
//
// - find: from a search's start until its tree is painted, for a word found
//   nowhere but a few planted lines (the whole project is scanned) and for a
//   common word (the tree of 1000 hits);
// - scrolling the 1000-hit tree a page at a time, each page painted;
// - statistics: the module list filled, and the longest time the progress
//   bar stood still meanwhile.

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>

#include "findwindow/find_window.h"
#include "host/files/project_loader.h"
#include "host/files/workspace.h"
#include "platform/services.h"
#include "statswindow/stats_window.h"

namespace {

using namespace qv;

double Ms(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

void Paint(QWidget& widget) {
    widget.repaint();
    QApplication::processEvents();
}

double TimedSearch(findwindow::FindWindow& window, const QString& word) {
    QElapsedTimer timer;
    timer.start();
    window.Search(word);
    Paint(*window.ResultTree().viewport());
    return Ms(timer);
}

void ScrollFigures(findwindow::FindWindow& window) {
    QScrollBar& bar = *window.ResultTree().verticalScrollBar();
    double longest = 0, total = 0;
    int pages = 0;
    for (int value = 0; value <= bar.maximum(); value += std::max(1, bar.pageStep())) {
        QElapsedTimer timer;
        timer.start();
        bar.setValue(value);
        Paint(*window.ResultTree().viewport());
        longest = std::max(longest, Ms(timer));
        total += Ms(timer);
        ++pages;
    }
    std::printf("scroll the tree        %d pages, %.2f ms a page on average, %.2f ms at most\n",
                pages, total / std::max(1, pages), longest);
}

// Counts the bar's updates through the services' "let events run".
class BarWatch : public ForwardingServices {
public:
    explicit BarWatch(Services& inner) : ForwardingServices(inner) { since_.start(); }
    void DoEvents() override {
        longestGap_ = std::max(longestGap_, Ms(since_));
        since_.restart();
        ++updates_;
        ForwardingServices::DoEvents();
    }
    double longestGap_ = 0;
    long updates_ = 0;

private:
    QElapsedTimer since_;
};

void StatsFigures(host::memory::MemoryVbe& vbe) {
    statswindow::StatsWindow window(vbe, {vbe.ActiveVBProject()->Name(), {}, {}});
    window.show();
    BarWatch watch(GetServices());
    ScopedServices installed(watch);
    QElapsedTimer timer;
    timer.start();
    window.DoStats();
    Paint(window);
    std::printf("statistics filled      %.1f ms, %ld modules, bar moved %ld times, "
                "stood still %.1f ms at most\n",
                Ms(timer), static_cast<long>(window.ModuleList().topLevelItemCount() - 1),
                watch.updates_, watch.longestGap_);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2 || arguments[1] == "--help") {
        std::puts("usage: qvaddin-bench-windows PROJECT [--rare WORD] [--common WORD]");
        return arguments.size() < 2 ? 2 : 0;
    }
    auto option = [&](const QString& name, const QString& fallback) {
        const qsizetype at = arguments.indexOf(name);
        return at > 0 && at + 1 < arguments.size() ? arguments[at + 1] : fallback;
    };
    auto vbe = std::make_unique<host::memory::MemoryVbe>();
    host::files::Workspace workspace(*vbe);
    QElapsedTimer load;
    load.start();
    host::files::LoadTargets(workspace, {arguments[1].toStdString()});
    std::printf("load (not a window)    %.1f ms\n", Ms(load));

    findwindow::FindWindow window;
    window.SetVBInstance(vbe.get());
    window.resize(420, 700);
    window.show();
    QApplication::processEvents();
    std::printf("find, rare word        %.1f ms (the whole project scanned)\n",
                TimedSearch(window, option("--rare", "Zyzzyva")));
    const double common = TimedSearch(window, option("--common", "Dim"));
    std::printf("find, common word      %.1f ms (%s)\n", common,
                window.ResultTree().model()->index(0, 0).data().toString().toUtf8().constData());
    ScrollFigures(window);
    StatsFigures(*vbe);
    return 0;
}
