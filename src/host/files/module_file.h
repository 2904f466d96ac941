#pragma once
// One VB6 module file (.bas .cls .frm .ctl .pag .dob .dsr) split into what
// the IDE hides and what it shows: the header (VERSION, Object lines, the
// designer or class block, the "Attribute VB_*" lines), the code module
// that follows it, and the member attribute lines inside the code
// ("Attribute Name.VB_* = ..."), which the IDE hides too.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/files/designer_block.h"
#include "host/files/text_lines.h"
#include "host/host_constants.h"

namespace qv::host::files {

// Longer lines mean a damaged or binary file (the IDE itself keeps code
// lines far shorter). Nothing is written with a longer line either: the
// file could not be loaded again.
inline constexpr size_t kLongestLine = kLongestCodeLine;
// The limit as messages give it: "65,536 bytes".
std::string LongestLineText();

struct ModuleHeader {
    std::string vbName;
    bool hasDesigner = false;
    // false when the designer block was only skimmed (ParseModuleHeader):
    // designer then holds its class and name, no controls or properties.
    bool designerContentsRead = false;
    DesignerBlock designer;
    bool hasClassBlock = false;
    PropertyList classBlock;
    PropertyList attributes;  // "VB_Name", "VB_Exposed", ... with their values
};

// A member attribute line inside the code.
struct HiddenLine {
    std::string memberName;
    std::string_view text;
    long follows = 0;   // the visible code lines above it
    long fileLine = 0;  // 1-based line of the file
};

struct ParsedModule {
    std::shared_ptr<const std::string> bytes;
    ModuleHeader header;
    long headerLines = 0;
    size_t codeOffset = 0;            // the header is bytes[0, codeOffset)
    bool headerEndsWithBreak = true;  // false when the file ends on the header's last line
    std::vector<std::string_view> code;
    std::vector<HiddenLine> hidden;
    LineEnding ending = LineEnding::CrLf;
    bool finalBreak = false;
    // false when only the header was read (ParseModuleHeader): code,
    // hidden, ending and finalBreak are then not filled in.
    bool codeRead = true;
    // Whether every byte is ASCII, when the read told it (the header read
    // alone does).
    std::optional<bool> ascii{};

    // The file line of a visible code line (1-based both).
    long FileLine(long codeLine) const;
};

// Throws FileError (naming path and line) when the bytes are not a module:
// empty, binary, a line far too long, no Attribute VB_Name, an unclosed
// designer or class block.
ParsedModule ParseModuleFile(const std::string& path, std::shared_ptr<const std::string> bytes);

// The header alone, for a caller that may never need the code: the same
// checks of the whole file (ParseModuleFile throws for these bytes exactly
// when this does, with the same error), without splitting the code into
// lines or reading the designer's controls and properties. The result has
// codeRead and header.designerContentsRead false.
ParsedModule ParseModuleHeader(const std::string& path, std::shared_ptr<const std::string> bytes);

// "Attribute X.VB_Y = ..." gives X; "" for other lines.
std::string MemberAttributeName(std::string_view line);

}  // namespace qv::host::files
