#include "findwindow/find_tree_model.h"

#include "findwindow/find_images.h"
#include "ui/vb_qstring.h"

namespace qv::findwindow {

namespace {

// Image words and tags are ASCII.
QString Word(const std::string& word) { return QString::fromStdString(word); }

// Model indices carry the node id + 1, so that 0 stays free for "none".
quintptr Handle(long nodeId) { return static_cast<quintptr>(nodeId + 1); }
long NodeOf(quintptr handle) { return static_cast<long>(handle) - 1; }

}  // namespace

FindTreeModel::FindTreeModel(find::FindTree& tree, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree) {
    Reset();
}

void FindTreeModel::Reset() {
    beginResetModel();
    rowInParent_.assign(static_cast<size_t>(tree_.Count()), 0);
    const auto numberChildren = [this](long parent) {
        const auto& children = tree_.Children(parent);
        for (size_t row = 0; row < children.size(); ++row) {
            rowInParent_[static_cast<size_t>(children[row])] = static_cast<int>(row);
        }
    };
    numberChildren(find::FindTree::kRoot);
    for (long id = 0; id < tree_.Count(); ++id) numberChildren(id);
    endResetModel();
}

long FindTreeModel::NodeId(const QModelIndex& index) const {
    return index.isValid() ? NodeOf(index.internalId()) : find::FindTree::kRoot;
}

QModelIndex FindTreeModel::IndexOf(long nodeId) const {
    if (nodeId == find::FindTree::kRoot) return {};
    return createIndex(rowInParent_.at(static_cast<size_t>(nodeId)), 0, Handle(nodeId));
}

void FindTreeModel::SetImage(const QModelIndex& index, const char* image) {
    const long id = NodeId(index);
    if (id == find::FindTree::kRoot) return;
    tree_.SetImage(id, image);
    emit dataChanged(index, index, {Qt::DecorationRole, ImageRole});
}

QModelIndex FindTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    const auto& children = tree_.Children(NodeId(parent));
    if (row >= static_cast<int>(children.size())) return {};
    return createIndex(row, 0, Handle(children[static_cast<size_t>(row)]));
}

QModelIndex FindTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    return IndexOf(tree_.Node(NodeId(child)).parent);
}

int FindTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    return static_cast<int>(tree_.Children(NodeId(parent)).size());
}

int FindTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant FindTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const find::FindNode& node = tree_.Node(NodeId(index));
    switch (role) {
        case Qt::DisplayRole: return ui::VbQString(node.text, node.codePage);
        case Qt::DecorationRole: return FindImage(node.image);
        case KeyRole: return ui::VbQString(node.key, node.codePage);
        case TagRole: return Word(node.tag);
        case ImageRole: return Word(node.image);
        default: return {};
    }
}

}  // namespace qv::findwindow
