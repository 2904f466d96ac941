// qvaddin-bench-workbench: times the workbench as a person uses it. Prints
// figures only (bench/bench_workbench.sh makes the projects).
//
//   qvaddin-bench-workbench PROJECT [--typing PROJECT]
//
// - open: from the open command until the project window is filled and the
//   window painted;
// - "Add Error Handling to Project" from the project window's pop-up, with
//   its progress window: the time, how often the progress window painted
//   and the longest time it stood still;
// - save of every changed module;
// - typing in the largest module of the typing project: each keystroke
//   (a character, and Return) from the key press until the editor has
//   handled it, then the key that moves the cursor off the typed lines and
//   so hands them to the module.

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "app/workbench/code_window.h"
#include "app/workbench/ide_window.h"
#include "app/workbench/workbench_app.h"
#include "shell/command_bar_menus.h"
#include "shell/process_start.h"

namespace {

using namespace qv;

double Ms(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Counts the paints of the progress window and the longest gap between two.
class PaintClock : public QObject {
  public:
    int paints = 0;
    double longestGap = 0;

    void Start() { since_.start(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            longestGap = std::max(longestGap, Ms(since_));
            since_.restart();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QElapsedTimer since_;
};

std::string FirstModule(host::VBE& vbe) {
    auto& components = vbe.ActiveVBProject()->VBComponents();
    for (long i = 1; i <= components.Count(); ++i) {
        if (components.Item(i).CodeModule() != nullptr) return components.Item(i).Name();
    }
    return {};
}

// The window as on a screen of 1280 by 800 pixels, whatever screen the
// platform has (the offscreen one is 800 by 600): the code windows get their
// usual size, so that the figures do not depend on where they run.
void ShowAsOnAScreen(QWidget& window) {
    window.resize(1240, 780);
    window.show();
}

void ProjectFigures(workbench::WorkbenchApp& app, const QString& project) {
    workbench::IdeWindow& ide = app.NewWindow();
    ShowAsOnAScreen(ide);
    QElapsedTimer timer;
    timer.start();
    if (!ide.Open({project})) return;
    ide.repaint();
    QApplication::processEvents();
    std::printf("open to a usable window        %8.0f ms\n", Ms(timer));

    ide.ShowModule(QString::fromStdString(FirstModule(ide.Vbe())), 1);
    if (!ide.AddInLoaded()) ide.ConnectAddIn(host::ext_cm_AfterStartup);
    host::CommandBarControl* button =
        shell::FindAddInButton(ide.Vbe(), "Project Window Project", "project add");
    if (button == nullptr) {
        std::printf("the add-in's project button is missing\n");
        return;
    }
    PaintClock clock;
    auto* progress = dynamic_cast<QWidget*>(&app.Services().GetStatusWindow());
    if (progress != nullptr) progress->installEventFilter(&clock);
    timer.restart();
    clock.Start();
    button->Execute();
    const double run = Ms(timer);
    std::printf(
        "Add Error Handling to Project  %8.0f ms, progress window painted %d times "
        "(%.1f a second), still for %.0f ms at most\n",
        run, clock.paints, clock.paints / (run / 1000.0), clock.longestGap);
    timer.restart();
    ide.SaveAll();
    std::printf("save the changed modules       %8.0f ms\n", Ms(timer));
    timer.restart();
    ide.History().undo();
    std::printf("undo the project command       %8.0f ms\n", Ms(timer));
    ide.History().clear();
    ide.close();
}

// The module with the most lines of the active project.
std::string LargestModule(host::VBE& vbe) {
    auto& components = vbe.ActiveVBProject()->VBComponents();
    std::string name;
    long most = -1;
    for (long i = 1; i <= components.Count(); ++i) {
        host::CodeModule* code = components.Item(i).CodeModule();
        if (code != nullptr && code->CountOfLines() > most) {
            most = code->CountOfLines();
            name = components.Item(i).Name();
        }
    }
    return name;
}

double Keystroke(QWidget& editor, int key, const QString& text) {
    QElapsedTimer timer;
    timer.start();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&editor, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&editor, &release);
    editor.repaint();
    QApplication::processEvents();
    return Ms(timer);
}

void TypingFigures(workbench::WorkbenchApp& app, const QString& project) {
    workbench::IdeWindow& ide = app.NewWindow();
    ShowAsOnAScreen(ide);
    if (!ide.Open({project})) return;
    const std::string module = LargestModule(ide.Vbe());
    ide.ShowModule(QString::fromStdString(module), 10);
    auto* editor = dynamic_cast<QPlainTextEdit*>(QApplication::focusWidget());
    if (editor == nullptr) {
        std::printf("no code window has the focus\n");
        return;
    }
    const long lines = ide.Vbe().ActiveCodePane()->CodeModule().CountOfLines();
    const QString word = QStringLiteral("x = x + 1 ' typed");
    double total = 0, longest = 0, longestReturn = 0;
    int keys = 0;
    for (int line = 0; line < 20; ++line) {
        for (QChar c : word) {
            const double ms = Keystroke(*editor, 0, QString(c));
            total += ms;
            longest = std::max(longest, ms);
            ++keys;
        }
        const double ms = Keystroke(*editor, Qt::Key_Return, QStringLiteral("\r"));
        total += ms;
        longestReturn = std::max(longestReturn, ms);
        ++keys;
    }
    // The cursor leaves the typed lines: they go to the module, one step.
    const double leave = Keystroke(*editor, Qt::Key_Up, QString());
    std::printf(
        "typing in a %ld-line module    %d keys, %.2f ms a key on average, %.2f ms at most "
        "(a character), %.2f ms at most (Return)\n",
        lines, keys, total / keys, longest, longestReturn);
    std::printf("the cursor leaves the typed lines (they go to the module)  %.2f ms\n", leave);
    ide.History().clear();
    ide.close();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: qvaddin-bench-workbench PROJECT [--typing PROJECT]\n");
        return 2;
    }
    // The add-in list and settings of a fresh user, not the caller's.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    shell::SubMain();
    workbench::WorkbenchApp app;
    ProjectFigures(app, args[1]);
    const qsizetype typing = args.indexOf("--typing");
    if (typing > 0 && typing + 1 < args.size()) TypingFigures(app, args[typing + 1]);
    return 0;
}
