#include "find/find_tree.h"

#include <algorithm>

namespace qv::find {

void FindTree::Clear() {
    nodes_.clear();
    roots_.clear();
}

long FindTree::Add(long parent, std::string key, std::string text, std::string image,
                   std::string tag, text::CodePage page) {
    const long id = Count();
    nodes_.push_back(
        {std::move(key), std::move(text), std::move(image), std::move(tag), parent, {}, page});
    if (parent == kRoot) {
        roots_.push_back(id);
    } else {
        nodes_.at(static_cast<size_t>(parent)).children.push_back(id);
    }
    return id;
}

long FindTree::InsertFirstRoot(std::string key, std::string text, std::string image,
                               std::string tag) {
    const long id = Count();
    nodes_.push_back(
        {std::move(key), std::move(text), std::move(image), std::move(tag), kRoot, {}});
    roots_.push_back(id);
    std::rotate(roots_.rbegin(), roots_.rbegin() + 1, roots_.rend());
    return id;
}

const std::vector<long>& FindTree::Children(long id) const {
    return id == kRoot ? roots_ : Node(id).children;
}

void FindTree::SetImage(long id, std::string image) {
    nodes_.at(static_cast<size_t>(id)).image = std::move(image);
}

void FindTree::Walk(const std::function<void(long, const FindNode&, int)>& visit) const {
    for (long root : roots_) WalkFrom(root, 0, visit);
}

void FindTree::WalkFrom(long id, int depth,
                        const std::function<void(long, const FindNode&, int)>& visit) const {
    const FindNode& node = Node(id);
    visit(id, node, depth);
    for (long child : node.children) WalkFrom(child, depth + 1, visit);
}

}  // namespace qv::find
