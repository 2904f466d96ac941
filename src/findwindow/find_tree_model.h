#pragma once
// The result tree of a search as a Qt item model, so that the tree view asks
// only for the rows it draws: a tree of 1000 hits costs no widget items. The
// model reads the search's own tree; after a search or a clear, Reset()
// tells the view.

#include <QAbstractItemModel>
#include <vector>

#include "find/find_tree.h"

namespace qv::findwindow {

class FindTreeModel : public QAbstractItemModel {
public:
    // Roles beyond Qt's own: the node's key, tag and image word as text.
    enum Role { KeyRole = Qt::UserRole + 1, TagRole, ImageRole };

    explicit FindTreeModel(find::FindTree& tree, QObject* parent = nullptr);

    // The tree changed wholesale (a search, a clear).
    void Reset();
    // The node behind an index (find::FindTree::kRoot for the invalid index).
    long NodeId(const QModelIndex& index) const;
    QModelIndex IndexOf(long nodeId) const;
    const find::FindTree& Tree() const { return tree_; }
    // A group node shows its open image while expanded.
    void SetImage(const QModelIndex& index, const char* image);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    find::FindTree& tree_;
    // Each node's row below its parent, so that parent() costs no search
    // among a procedure's many hits.
    std::vector<int> rowInParent_;
};

}  // namespace qv::findwindow
