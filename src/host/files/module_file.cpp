#include "host/files/module_file.h"

#include <algorithm>
#include <cstring>

#include "host/files/file_error.h"
#include "host/memory/vb_syntax.h"
#include "platform/text.h"

namespace qv::host::files {

namespace {

using memory::SkipBlanks;

// "Attribute " at the start of the (blank-stripped) line: the rest.
bool AfterAttributeWord(std::string_view line, std::string_view& rest) {
    const std::string_view t = SkipBlanks(line);
    if (t.size() < 10 || !text::StartsWithIgnoreCase(t, "Attribute") ||
        (t[9] != ' ' && t[9] != '\t')) {
        return false;
    }
    rest = SkipBlanks(t.substr(10));
    return true;
}

// "Attribute VB_Name = ..." (a module attribute: no member name before the key).
bool ParseHeaderAttribute(std::string_view line, std::string& key, std::string& value) {
    std::string_view rest;
    if (!AfterAttributeWord(line, rest)) return false;
    const size_t eq = rest.find('=');
    const size_t dot = rest.find('.');
    if (!text::StartsWithIgnoreCase(rest, "VB_") || eq == std::string_view::npos ||
        (dot != std::string_view::npos && dot < eq)) {
        return false;
    }
    return ParsePropertyLine(rest, key, value);
}

bool IsObjectLine(std::string_view t) {
    if (!text::StartsWithIgnoreCase(t, "Object")) return false;
    const std::string_view rest = SkipBlanks(t.substr(6));
    return !rest.empty() && rest[0] == '=';
}

void CheckBytes(const std::string& path, const std::string& bytes) {
    if (bytes.empty()) {
        throw FileError(path, 0,
                        "the file is empty; a module file begins with its header "
                        "(Attribute VB_Name = \"...\"); restore it from a backup or version "
                        "control, or remove it from the project");
    }
    if (std::memchr(bytes.data(), '\0', bytes.size()) != nullptr) {
        throw FileError(path, 0,
                        "the file holds NUL bytes, so it is binary or damaged and not a VB6 "
                        "module; restore it from a backup or version control");
    }
}

void CheckLineLengths(const std::string& path, const std::vector<std::string_view>& lines) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].size() > kLongestLine) {
            throw FileError(path, static_cast<long>(i) + 1,
                            "this line is " + std::to_string(lines[i].size()) +
                                " bytes long (a module line may be at most " +
                                LongestLineText() +
                                "), so the file is damaged or not a module; repair or restore it");
        }
    }
}

// Reads the header (without the designer's controls and properties unless
// asked for them); returns the number of its lines. The lines are split no
// further than the first line past the header (or the line where a block
// that is never closed ends the file): what it reads and every error it
// finds are those of the whole file.
long ReadHeader(const std::string& path, LinesOnDemand& lines, bool designerContents,
                ModuleHeader& header) {
    long i = 0;
    while (lines.Has(static_cast<size_t>(i))) {
        const std::string_view t = SkipBlanks(lines[static_cast<size_t>(i)]);
        std::string cls, name;
        if (t.empty() || text::StartsWithIgnoreCase(t, "VERSION ") || IsObjectLine(t)) {
            ++i;
        } else if (!header.hasDesigner && !header.hasClassBlock && ParseBeginLine(t, cls, name)) {
            const long end = designerContents ? ReadDesignerBlock(lines, i, header.designer)
                                              : SkimDesignerBlock(lines, i, header.designer);
            if (end < 0) {
                throw FileError(path, i + 1,
                                "the designer block \"" + std::string(t) +
                                    "\" that begins here has no closing End line; the file is "
                                    "damaged: restore it or add the missing End lines");
            }
            header.hasDesigner = true;
            header.designerContentsRead = designerContents;
            i = end + 1;
        } else if (!header.hasDesigner && !header.hasClassBlock &&
                   text::EqualsIgnoreCase(text::RTrim(t), "BEGIN")) {
            const long end = ReadClassBlock(lines, i, header.classBlock);
            if (end < 0) {
                throw FileError(path, i + 1,
                                "the class block that begins here has no closing END line; the "
                                "file is damaged: restore it or add the END line");
            }
            header.hasClassBlock = true;
            i = end + 1;
        } else {
            break;
        }
    }
    const long attributesStart = i;
    std::string key, value;
    while (lines.Has(static_cast<size_t>(i)) &&
           ParseHeaderAttribute(lines[static_cast<size_t>(i)], key, value)) {
        if (text::EqualsIgnoreCase(key, "VB_Name") && header.vbName.empty()) header.vbName = value;
        header.attributes.emplace_back(std::move(key), std::move(value));
        ++i;
    }
    if (header.vbName.empty()) {
        throw FileError(path, attributesStart + 1,
                        "there is no Attribute VB_Name line where the module's header ends, so "
                        "this is not a VB6 module file (or its header is damaged); add the line "
                        "Attribute VB_Name = \"ModuleName\" above the code");
    }
    return i;
}

}  // namespace

std::string LongestLineText() {
    return "65,536 bytes";
}

std::string MemberAttributeName(std::string_view line) {
    std::string_view rest;
    if (!AfterAttributeWord(line, rest)) return {};
    const size_t dot = rest.find('.');
    const size_t eq = rest.find('=');
    if (dot == std::string_view::npos || dot == 0 || eq == std::string_view::npos || dot > eq ||
        !text::StartsWithIgnoreCase(rest.substr(dot + 1), "VB_")) {
        return {};
    }
    return std::string(text::Trim(rest.substr(0, dot)));
}

long ParsedModule::FileLine(long codeLine) const {
    // Hidden lines above it count too.
    const auto above =
        std::lower_bound(hidden.begin(), hidden.end(), codeLine,
                         [](const HiddenLine& h, long line) { return h.follows < line; });
    return headerLines + codeLine + static_cast<long>(above - hidden.begin());
}

namespace {

// Reads the header from the first lines of the bytes, and where the code
// begins.
void ReadHeaderAndCodeStart(const std::string& path, const std::string& bytes,
                            bool designerContents, ParsedModule& module) {
    LinesOnDemand lines(bytes);
    module.headerLines = ReadHeader(path, lines, designerContents, module.header);
    const size_t h = static_cast<size_t>(module.headerLines);
    if (lines.Has(h)) {
        module.codeOffset = static_cast<size_t>(lines[h].data() - bytes.data());
    } else {
        module.codeOffset = bytes.size();
        module.headerEndsWithBreak = lines.FinalBreak();
    }
}

}  // namespace

ParsedModule ParseModuleHeader(const std::string& path, std::shared_ptr<const std::string> bytes) {
    CheckBytes(path, *bytes);
    const LineScan scan = ScanLines(*bytes, kLongestLine);
    if (scan.longLine) {
        CheckLineLengths(path, SplitFileLines(*bytes).lines);  // throws, naming the line
    }
    // Most headers (all but forms' and their kin's) take a few lines: only
    // those are split.
    ParsedModule module;
    ReadHeaderAndCodeStart(path, *bytes, false, module);
    module.codeRead = false;
    module.ascii = scan.ascii;
    module.bytes = std::move(bytes);
    return module;
}

ParsedModule ParseModuleFile(const std::string& path, std::shared_ptr<const std::string> bytes) {
    CheckBytes(path, *bytes);
    ParsedModule module;
    SplitText split = SplitFileLines(*bytes);
    CheckLineLengths(path, split.lines);
    module.ending = split.ending;
    module.finalBreak = split.finalBreak;
    ReadHeaderAndCodeStart(path, *bytes, true, module);
    const size_t h = static_cast<size_t>(module.headerLines);
    // The code lines are moved to the front of the same array (the header
    // and the hidden attribute lines taken out), so that a large project's
    // line arrays are written once and not copied.
    std::vector<std::string_view>& lines = split.lines;
    size_t codeLines = 0;
    for (size_t i = h; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        // Cheap test first: nearly no line starts with "Attribute", and the
        // many indented ones are told by the first byte past the blanks.
        size_t first = 0;
        while (first < line.size() && (line[first] == ' ' || line[first] == '\t')) ++first;
        if (first < line.size() && (line[first] == 'A' || line[first] == 'a')) {
            std::string member = MemberAttributeName(line);
            if (!member.empty()) {
                module.hidden.push_back({std::move(member), line, static_cast<long>(codeLines),
                                         static_cast<long>(i) + 1});
                continue;
            }
        }
        lines[codeLines++] = line;
    }
    lines.resize(codeLines);
    module.code = std::move(lines);
    module.bytes = std::move(bytes);
    return module;
}

}  // namespace qv::host::files
