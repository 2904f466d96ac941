#pragma once
// Reorders the top-level rows of a list by the keys of one column. The rows
// are moved, not recreated: a window's row pointers, the selection and the
// current row survive.

#include <QString>
#include <QTreeWidget>

namespace qv::ui {

// The text a cell sorts by for a sort type (see ListViewAddon::Sort).
QString SortKeyOf(const QString& cell, int sortType);

// Puts the rows in the order of their keys (compared as text without regard
// to case; rows with equal keys keep their order). order: 0 ascending,
// 1 descending.
void SortRows(QTreeWidget& list, int column, int sortType, int order);

// Scrolls the selected row into view when there is one (the current row
// when it is selected, else the first selected row).
void ScrollSelectedIntoView(QTreeWidget& list);

}  // namespace qv::ui
