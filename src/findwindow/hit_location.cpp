#include "findwindow/hit_location.h"

#include <array>
#include <charconv>

namespace qv::findwindow {

namespace {

// The last four "/"-separated numbers of a code line's key.
std::optional<std::array<long, 4>> KeyPositions(const std::string& key) {
    std::array<long, 4> positions{};
    size_t end = key.size();
    for (int part = 3; part >= 0; --part) {
        const size_t slash = key.rfind('/', end == 0 ? 0 : end - 1);
        if (slash == std::string::npos) return std::nullopt;
        const char* first = key.data() + slash + 1;
        const char* last = key.data() + end;
        const auto [stop, error] = std::from_chars(first, last, positions[static_cast<size_t>(part)]);
        if (error != std::errc() || stop != last) return std::nullopt;
        end = slash;
    }
    return positions;
}

long TopAncestor(const find::FindTree& tree, long id) {
    while (tree.Node(id).parent != find::FindTree::kRoot) id = tree.Node(id).parent;
    return id;
}

}  // namespace

std::optional<HitLocation> LocateHit(const find::FindTree& tree, long nodeId) {
    if (nodeId < 0 || nodeId >= tree.Count()) return std::nullopt;
    const find::FindNode& node = tree.Node(nodeId);
    if (node.tag != "Code" || node.parent == find::FindTree::kRoot) return std::nullopt;
    const auto positions = KeyPositions(node.key);
    if (!positions) return std::nullopt;
    long component = node.parent;
    if (tree.Node(component).tag == "Procedure") component = tree.Node(component).parent;
    if (component == find::FindTree::kRoot) return std::nullopt;
    return HitLocation{tree.Node(TopAncestor(tree, component)).text, tree.Node(component).text,
                       (*positions)[0], (*positions)[1], (*positions)[2], (*positions)[3]};
}

}  // namespace qv::findwindow
