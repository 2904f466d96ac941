#pragma once
// How the result tree sorts components into groups, and the image word of
// each project and component type.

#include <optional>
#include <string_view>

namespace qv::find {

// One more slot than there are groups, as the tree keeps them per project.
inline constexpr int kGroupSlots = 9;

struct ComponentGroup {
    int index;                  // 0 Forms .. 7 Related Documents
    std::string_view caption;   // "Forms", "Modules", ...
    std::string_view image;     // the component's image word
};

// The group and image of a component type; nothing for a type outside the
// table.
std::optional<ComponentGroup> GroupOfComponentType(int type);

// Related documents, resource files and unknown types are never searched.
bool IsSearchedComponentType(int type);

// "StandardExe", "ActiveXExe", "ActiveXDll", "ActiveXControl"; "" otherwise.
std::string_view ProjectImage(int projectType);

}  // namespace qv::find
