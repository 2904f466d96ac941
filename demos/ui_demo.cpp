// A look at the shared window pieces in a real X server: a module list with
// the list add-on (sorted, sized, with the sort arrow), a positioned message
// box and the progress window of long commands.
//
//   xvfb-run -s "-screen 0 1280x800x24" build/demos/qvaddin-ui-demo --quit-after 3000
//
// A click on a column header sorts by it (the first column as text, the
// others as numbers), as the main window's lists do.

#include <QApplication>
#include <QCommandLineParser>
#include <QHeaderView>
#include <QPainter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <functional>
#include <string>

#include "ui/list_view_addon.h"
#include "ui/message_boxes.h"
#include "ui/status_window.h"
#include "ui/window_helpers.h"

namespace {

using namespace qv::ui;

// A small triangle pointing up (ascending) or down (descending).
QIcon Arrow(bool up) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(90, 90, 90));
    painter.setPen(Qt::NoPen);
    const QPolygon shape = up ? QPolygon({QPoint(3, 11), QPoint(13, 11), QPoint(8, 5)})
                              : QPolygon({QPoint(3, 5), QPoint(13, 5), QPoint(8, 11)});
    painter.drawPolygon(shape);
    return QIcon(pixmap);
}

void FillModules(QTreeWidget& list) {
    const char* names[] = {"modMain",      "frmOptions",    "clsListViewAddon", "Tidy",
                           "AddIn",        "CommonCode",    "frmStats",         "modSearchText",
                           "CRegSettings", "frmQVAddIn",    "vb5stuff",         "MMsgBoxPos",
                           "Common32",     "clsFormEnable", "modLine",          "frmDummy"};
    for (const char* name : names) {
        // Figures that look like a real project's, different for every name.
        const size_t hash = std::hash<std::string>{}(name);
        const int good = int(hash % 23);
        const int some = int(hash / 23 % 4);
        const int error = int(hash / 97 % 6);
        const int none = int(hash / 601 % 9);
        QStringList row{QString::fromLatin1(name)};
        for (int figure : {good + some + error + none, good, some, error, none})
            row << QString::number(figure);
        auto* item = new QTreeWidgetItem(&list, row);
        item->setIcon(0, QApplication::style()->standardIcon(QStyle::SP_FileIcon));
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qvaddin-ui-demo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Brell's Add-In"));
    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Shows the shared window pieces for a look."));
    options.addHelpOption();
    options.addOption({QStringLiteral("quit-after"),
                       QStringLiteral("Quits after <ms> milliseconds."), QStringLiteral("ms")});
    options.addOption({QStringLiteral("message-box"),
                       QStringLiteral("Also opens a message box at the pointer.")});
    options.process(app);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Module list"));
    auto* layout = new QVBoxLayout(&window);
    auto* list = new QTreeWidget(&window);
    list->setHeaderLabels({"Module name", "Routines", "Good", "Some", "Error", "None"});
    layout->addWidget(list);

    ListViewAddon addon;
    addon.SetHeaderImages({Arrow(false), Arrow(true)});
    addon.SetListView(list);
    addon.SetStyle(list_style::kFullRowSelect, true);
    FillModules(*list);
    addon.AutoSizeColumns();
    QObject::connect(list->header(), &QHeaderView::sectionClicked, [&addon](int column) {
        addon.Sort(column + 1, column == 0 ? sort_type::kText : sort_type::kNumber);
    });
    addon.Sort(3, sort_type::kNumber);
    addon.Sort(3, sort_type::kNumber);  // descending: the most "Good" first
    list->topLevelItem(2)->setSelected(true);

    window.resize(620, 420);
    window.move(40, 40);
    window.show();

    QtStatusWindow status;
    status.SetTitle("Adding Project Line Numbers to QVAddin");
    status.SetLabel("clsListViewAddon: AutoSizeColumns");
    status.SetBarMax(0, 17);
    status.SetBarValue(0, 7);
    status.SetBarMax(1, 10);
    status.SetBarValue(1, 7);
    status.Show();
    status.move(700, 80);

    if (options.isSet(QStringLiteral("message-box"))) {
        QTimer::singleShot(300, [&window] {
            SetCursorOverControl(window, 9);
            MsgBoxCursor(QStringLiteral("A read-only module cannot be updated."), 48, {}, 1500);
        });
    }
    if (options.isSet(QStringLiteral("quit-after"))) {
        QTimer::singleShot(options.value(QStringLiteral("quit-after")).toInt(), &app,
                           &QApplication::quit);
    }
    return QApplication::exec();
}
