#pragma once
// The images of the result tree, by the image word the search gives each
// node: project types, component types, the open and closed group, the
// procedure, the code line and the information line.

#include <QIcon>
#include <QStringList>
#include <string_view>

namespace qv::findwindow {

// Every image word the tree knows, in the order of its image list.
const QStringList& FindImageWords();

// The image of a word; an unknown word gives an empty icon.
QIcon FindImage(std::string_view word);

}  // namespace qv::findwindow
