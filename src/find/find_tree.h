#pragma once
// The result tree of a search as plain data: nodes with a key, a text, an
// image word and a tag, each added as the last child of its parent (or as a
// root). The find window shows it; nothing here knows of widgets.

#include <functional>
#include <string>
#include <vector>

#include "platform/code_page.h"

namespace qv::find {

struct FindNode {
    std::string key;  // "" for a node without a key
    std::string text;
    std::string image;
    std::string tag;  // "" for a node without a tag
    long parent = -1;  // -1 for a root node
    std::vector<long> children;
    // The code page of key and text: names and lines are the bytes of the
    // project file or module they come from.
    text::CodePage codePage{};
};

class FindTree {
public:
    static constexpr long kRoot = -1;

    void Clear();
    bool Empty() const { return nodes_.empty(); }
    long Count() const { return static_cast<long>(nodes_.size()); }

    // Adds a node as the last child of parent (kRoot: as the last root) and
    // returns its id.
    long Add(long parent, std::string key, std::string text, std::string image,
             std::string tag = {}, text::CodePage page = {});
    // Adds a root node in front of every other root.
    long InsertFirstRoot(std::string key, std::string text, std::string image,
                         std::string tag = {});

    const FindNode& Node(long id) const { return nodes_.at(static_cast<size_t>(id)); }
    // The children of a node, or the roots for kRoot, in order.
    const std::vector<long>& Children(long id) const;
    // The node's image changes as the window expands and collapses it.
    void SetImage(long id, std::string image);

    // Every node in display order (a parent before its children), with its
    // depth (0 for a root).
    void Walk(const std::function<void(long id, const FindNode& node, int depth)>& visit) const;

private:
    void WalkFrom(long id, int depth,
                  const std::function<void(long, const FindNode&, int)>& visit) const;

    std::vector<FindNode> nodes_;
    std::vector<long> roots_;
};

}  // namespace qv::find
