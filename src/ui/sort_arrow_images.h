#pragma once
// The two header arrow images every list of the windows uses: descending
// first, ascending last, as the list add-on expects them at the end of a
// list's header images.

#include <QIcon>
#include <QList>

namespace qv::ui {

// A small filled triangle pointing up (ascending) or down (descending).
QIcon SortArrowImage(bool ascending);

// {descending, ascending}: the last two header images of a list.
QList<QIcon> SortArrowImages();

}  // namespace qv::ui
