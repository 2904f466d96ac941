#pragma once
// The windows' icons: drawn as SVG, compiled into the program with Qt's
// resource system and rendered at the sizes a title bar, a task bar and a
// window switcher ask for. The workbench has its own; every window of the
// add-in (main, statistics, progress, results) carries the add-in's.

#include <QIcon>
#include <QString>

namespace qv::ui {

// An icon rendered from an SVG file (a resource path ":/..."); an empty
// icon when the file cannot be read as SVG.
QIcon IconFromSvg(const QString& path);

// The add-in's windows.
QIcon AddInIcon();

}  // namespace qv::ui
