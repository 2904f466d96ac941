#include "findwindow/find_tree_text.h"

#include <QStringList>

#include "findwindow/find_tree_model.h"

namespace qv::test {

namespace {

using findwindow::FindTreeModel;

std::string Position(const QModelIndex& index) {
    if (index.data(FindTreeModel::TagRole).toString() != "Code") return {};
    const QStringList parts = index.data(FindTreeModel::KeyRole).toString().split('/');
    return (parts[parts.size() - 4] + ":" + parts[parts.size() - 3] + ": ").toStdString();
}

void Print(const QAbstractItemModel& model, const QModelIndex& parent, int depth,
           std::string& out) {
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        out += std::string(static_cast<size_t>(depth) * 2, ' ') + Position(index) +
               index.data().toString().toStdString() + "\n";
        Print(model, index, depth + 1, out);
    }
}

}  // namespace

std::string TreeText(const QAbstractItemModel& model) {
    std::string out;
    Print(model, {}, 0, out);
    return out;
}

}  // namespace qv::test
