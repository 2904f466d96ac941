#pragma once
// The IDE's add-in list (vbaddin.ini, section "Add-Ins32"): one entry per
// add-in, whose value "1" loads it when the IDE starts.

#include <string>
#include <string_view>
#include <vector>

namespace qv::workbench {

struct AddInEntry {
    std::string progId;
    std::string value;

    bool LoadOnStartup() const { return value == "1"; }
};

// The entries of the section in the file's text, in order.
std::vector<AddInEntry> ParseAddInList(std::string_view content);

// The entries of the add-in list file (none when it does not exist).
std::vector<AddInEntry> ReadAddInList();

// Sets an entry's value to "1" or "0"; every other line stays.
void SetLoadOnStartup(std::string_view progId, bool load);

}  // namespace qv::workbench
