#pragma once
// Keeps the settable attributes of members (description, help id, ...) alive
// while the lines that declare them are rewritten.

#include <string>
#include <vector>

#include "host/code_host.h"

namespace qv::tidy {

struct SavedProperties {
    std::string name;
    host::MemberAttributes attributes;
    // The member itself: an event and the routine that raises it may share
    // the name, and the attributes go back to the one they came from.
    host::Member* member = nullptr;
};

using SavedPropertyList = std::vector<SavedProperties>;

// The attributes of the module's public variables and events (members
// declared in the declarations section that are not private, not methods,
// properties or constants).
SavedPropertyList SaveProperties(host::CodeModule& module);

// Writes the saved attributes back to the members they were saved from.
void RestoreProperties(host::CodeModule& module, const SavedPropertyList& saved);

// Writes the saved attributes back to one member. Only attributes that hold
// something (a text that is not empty, a number or flag that is not zero)
// are written; the member keeps its other values.
void RestoreMemberProperties(host::Member& member, const host::MemberAttributes& saved);

}  // namespace qv::tidy
