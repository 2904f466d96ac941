#pragma once
// The pictures of the project browser, drawn at run time so that no image
// files travel with the program: the module row icons by number, the
// routine row icons by key, and the tool bar images by number.

#include <QIcon>
#include <QString>

namespace qv::mainwindow {

// 1 evaluated and good, 2 evaluated with Error or None, 4 and 5 the same for
// a read-only module, 6 not evaluated; any other number gives a null icon.
QIcon ModuleRowIcon(int number);

// "Sub", "Function" or "Property"; any other key gives a null icon.
QIcon RoutineRowIcon(const QString& key);

// 1 add, 2 replace, 3 remove error handling, 4 line numbers, 6 indent,
// 7 delete.
QIcon ToolImage(int number);

}  // namespace qv::mainwindow
