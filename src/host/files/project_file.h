#pragma once
// The text of a .vbp project file and of a .vbg project group, read into
// their entries (nothing is opened here).

#include <string>
#include <vector>

namespace qv::host::files {

struct ProjectEntry {
    std::string key;        // "Module", "Form", ... as written
    int componentType = 0;  // the component type the key stands for
    std::string name;       // Module= and Class= carry "Name; path"
    std::string path;       // as written, quotes removed
    long line = 0;
};

struct ProjectFileText {
    std::string name;  // Name="..." ("" when absent)
    int type = 0;
    std::vector<ProjectEntry> entries;
};

// Throws FileError for an empty or binary file, a line that is not
// "Key=Value" or a [Section], a missing or unknown Type= line, and a
// component line without a path.
ProjectFileText ParseProjectFile(const std::string& path, const std::string& bytes);

struct GroupEntry {
    std::string path;
    long line = 0;
    bool startup = false;
};

// Throws FileError when the text does not begin with "VBGROUP" or holds a
// line that is not "Key=Value".
std::vector<GroupEntry> ParseGroupFile(const std::string& path, const std::string& bytes);

}  // namespace qv::host::files
