#include "find/hit_location.h"

#include <array>
#include <charconv>

namespace qv::find {

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

long TopAncestor(const FindTree& tree, long id) {
    while (tree.Node(id).parent != FindTree::kRoot) id = tree.Node(id).parent;
    return id;
}

}  // namespace

std::optional<HitLocation> LocateHit(const FindTree& tree, long nodeId) {
    if (nodeId < 0 || nodeId >= tree.Count()) return std::nullopt;
    const FindNode& node = tree.Node(nodeId);
    if (node.tag != "Code" || node.parent == FindTree::kRoot) return std::nullopt;
    const auto positions = KeyPositions(node.key);
    if (!positions) return std::nullopt;
    long component = node.parent;
    if (tree.Node(component).tag == "Procedure") component = tree.Node(component).parent;
    if (component == FindTree::kRoot) return std::nullopt;
    return HitLocation{tree.Node(TopAncestor(tree, component)).text, tree.Node(component).text,
                       (*positions)[0], (*positions)[1], (*positions)[2], (*positions)[3]};
}

}  // namespace qv::find
