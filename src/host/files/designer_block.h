#pragma once
// The blocks of a module file's hidden header: the designer block of forms,
// user controls, property pages, user documents and designers
// ("Begin VB.Form Form1" ... "End", controls nested in it as further Begin
// blocks), and the property block of classes ("BEGIN" ... "END").

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/files/text_lines.h"

namespace qv::host::files {

using PropertyList = std::vector<std::pair<std::string, std::string>>;

struct ControlEntry {
    std::string name;
    std::string className;    // "VB.CommandButton"
    PropertyList properties;  // its own "Key = Value" lines (Index for control arrays)
};

struct DesignerBlock {
    std::string className;  // "VB.Form", "VB.MDIForm", "{C62A69F0-...}" ...
    std::string name;
    PropertyList properties;             // the designer's own "Key = Value" lines
    std::vector<ControlEntry> controls;  // every nested Begin block, in file order
};

// "Begin VB.Form Form1": the class and the name; false for other lines
// (BeginProperty included).
bool ParseBeginLine(std::string_view line, std::string& className, std::string& name);

// A "Key = Value" line: the value unquoted, a trailing comment dropped.
bool ParsePropertyLine(std::string_view line, std::string& key, std::string& value);

// Reads the block whose Begin line is lines[first]; returns the index of its
// End line, or -1 when the block is never closed. The lines are split no
// further than the End line.
long ReadDesignerBlock(LinesOnDemand& lines, long first, DesignerBlock& out);
// The same End line found, reading only the designer's class and name: for
// a reader that may never need the controls and properties.
long SkimDesignerBlock(LinesOnDemand& lines, long first, DesignerBlock& out);

// Reads "BEGIN" ... "END" from lines[first]; returns the index of END or -1.
long ReadClassBlock(LinesOnDemand& lines, long first, PropertyList& out);

}  // namespace qv::host::files
