#include "ui/list_row_sort.h"

#include <QItemSelection>
#include <QSignalBlocker>
#include <algorithm>
#include <vector>

#include "ui/list_view_addon.h"
#include "ui/sort_keys.h"

namespace qv::ui {

QString SortKeyOf(const QString& cell, int sortType) {
    switch (sortType) {
        case sort_type::kDate:
            return DateSortKey(cell);
        case sort_type::kNumber:
            return NumberSortKey(cell);
        default:
            return cell;
    }
}

namespace {

struct KeyedRow {
    QString key;
    QTreeWidgetItem* item;
};

std::vector<KeyedRow> KeyedRows(const QTreeWidget& list, int column, int sortType) {
    std::vector<KeyedRow> rows;
    rows.reserve(static_cast<size_t>(list.topLevelItemCount()));
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list.topLevelItem(i);
        rows.push_back({SortKeyOf(item->text(column), sortType), item});
    }
    return rows;
}

bool InListOrder(const QTreeWidget& list, const std::vector<KeyedRow>& rows) {
    for (size_t i = 0; i < rows.size(); ++i) {
        if (list.topLevelItem(static_cast<int>(i)) != rows[i].item) return false;
    }
    return true;
}

// Puts the rows back in the new order and selects what was selected before.
void Reinsert(QTreeWidget& list, const std::vector<KeyedRow>& rows) {
    QTreeWidgetItem* current = list.currentItem();
    const int currentColumn = list.currentColumn();
    const QList<QTreeWidgetItem*> selected = list.selectedItems();
    const QSignalBlocker quiet(list);  // the selection ends as it began
    list.invisibleRootItem()->takeChildren();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const KeyedRow& row : rows) items.append(row.item);
    list.addTopLevelItems(items);

    QAbstractItemModel& model = *list.model();
    QItemSelection selection;
    const int lastColumn = std::max(0, list.columnCount() - 1);
    for (QTreeWidgetItem* item : selected) {
        const int row = list.indexOfTopLevelItem(item);
        selection.select(model.index(row, 0), model.index(row, lastColumn));
    }
    list.selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (current != nullptr) {
        const QModelIndex index =
            model.index(list.indexOfTopLevelItem(current), std::max(0, currentColumn));
        list.selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    }
}

}  // namespace

void SortRows(QTreeWidget& list, int column, int sortType, int order) {
    std::vector<KeyedRow> rows = KeyedRows(list, column, sortType);
    const auto before = [order](const KeyedRow& a, const KeyedRow& b) {
        const int compared = QString::compare(a.key, b.key, Qt::CaseInsensitive);
        return order == kSortDescending ? compared > 0 : compared < 0;
    };
    std::stable_sort(rows.begin(), rows.end(), before);
    if (!InListOrder(list, rows)) Reinsert(list, rows);
}

void ScrollSelectedIntoView(QTreeWidget& list) {
    QTreeWidgetItem* item = list.currentItem();
    if (item == nullptr || !item->isSelected()) {
        const QList<QTreeWidgetItem*> selected = list.selectedItems();
        item = selected.isEmpty() ? nullptr : selected.first();
    }
    if (item != nullptr) list.scrollToItem(item);
}

}  // namespace qv::ui
