#pragma once
// Where a code-line node of the result tree points: the project and
// component that hold the hit, and the hit's start and end positions.

#include <optional>
#include <string>

#include "find/find_tree.h"

namespace qv::find {

struct HitLocation {
    std::string project;
    std::string component;
    long startLine = 0;
    long startColumn = 0;
    long endLine = 0;
    long endColumn = 0;

    bool operator==(const HitLocation&) const = default;
};

// The hit of a node tagged "Code"; nothing for every other node. The
// component is the node's parent, or its grandparent when the parent is a
// procedure; the project is the top node above it. The positions are the last
// four parts of the key, so that a "/" in a name cannot shift them.
std::optional<HitLocation> LocateHit(const FindTree& tree, long nodeId);

}  // namespace qv::find
