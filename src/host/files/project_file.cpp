#include "host/files/project_file.h"

#include <cstring>
#include <string_view>

#include "host/files/file_error.h"
#include "host/files/module_file.h"
#include "host/files/text_lines.h"
#include "host/host_constants.h"
#include "platform/text.h"

namespace qv::host::files {

namespace {

struct KeyType {
    std::string_view key;
    int type;
    bool named;  // "Name; path"
};

constexpr KeyType kComponentKeys[] = {
    {"Module", vbext_ct_StdModule, true},
    {"Class", vbext_ct_ClassModule, true},
    {"Form", vbext_ct_VBForm, false},
    {"UserControl", vbext_ct_UserControl, false},
    {"PropertyPage", vbext_ct_PropPage, false},
    {"UserDocument", vbext_ct_DocObject, false},
    {"Designer", vbext_ct_ActiveXDesigner, false},
    {"RelatedDoc", vbext_ct_RelatedDocument, false},
    {"ResFile32", vbext_ct_ResFile, false},
};

std::string Unquote(std::string_view v) {
    v = text::Trim(v);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    return std::string(v);
}

std::vector<std::string_view> CheckedLines(const std::string& path, const std::string& bytes,
                                           std::string_view what) {
    if (bytes.find_first_not_of(" \t\r\n") == std::string::npos) {
        throw FileError(path, 0,
                        "the file is empty, so it is no " + std::string(what) +
                            "; restore it from a backup or version control");
    }
    if (std::memchr(bytes.data(), '\0', bytes.size()) != nullptr) {
        throw FileError(path, 0,
                        "the file holds NUL bytes, so it is binary or damaged and no " +
                            std::string(what) + "; restore it from a backup or version control");
    }
    std::vector<std::string_view> lines = SplitFileLines(bytes).lines;
    if (!lines.empty() && text::StartsWith(lines[0], kUtf8Bom))
        lines[0].remove_prefix(kUtf8Bom.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].size() > kLongestLine) {
            throw FileError(path, static_cast<long>(i) + 1,
                            "this line is " + std::to_string(lines[i].size()) +
                                " bytes long, so the file is damaged or no " + std::string(what) +
                                "; repair or restore it");
        }
    }
    return lines;
}

// "Key=Value" split; false for a line that is neither that nor a [Section].
bool SplitKeyValue(std::string_view line, std::string_view& key, std::string_view& value,
                   bool& section) {
    const std::string_view t = text::Trim(line);
    section = t.size() >= 2 && t.front() == '[' && t.back() == ']';
    if (section) return true;
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos || text::Trim(t.substr(0, eq)).empty()) return false;
    key = text::Trim(t.substr(0, eq));
    value = t.substr(eq + 1);
    return true;
}

[[noreturn]] void Garbage(const std::string& path, long line, std::string_view what) {
    throw FileError(path, line,
                    "this line is not \"Key=Value\", so the file is no " + std::string(what) +
                        " or is damaged; correct or remove the line");
}

int ProjectType(const std::string& path, long line, std::string_view value) {
    const std::string_view v = text::Trim(value);
    if (text::EqualsIgnoreCase(v, "Exe")) return vbext_pt_StandardExe;
    if (text::EqualsIgnoreCase(v, "OleExe")) return vbext_pt_ActiveXExe;
    if (text::EqualsIgnoreCase(v, "OleDll")) return vbext_pt_ActiveXDll;
    if (text::EqualsIgnoreCase(v, "Control")) return vbext_pt_ActiveXControl;
    throw FileError(path, line,
                    "unknown project type \"" + std::string(v) +
                        "\"; the Type= line takes Exe, OleExe, OleDll or Control");
}

}  // namespace

ProjectFileText ParseProjectFile(const std::string& path, const std::string& bytes) {
    const std::vector<std::string_view> lines = CheckedLines(path, bytes, "VB6 project file");
    ProjectFileText out;
    // Room for every line an entry: a project of thousands of modules is not
    // copied as its entries grow.
    out.entries.reserve(lines.size());
    bool typeSeen = false;
    bool inSection = false;  // past a [Section] header: lines of other tools
    for (size_t i = 0; i < lines.size(); ++i) {
        const long lineNo = static_cast<long>(i) + 1;
        if (text::Trim(lines[i]).empty()) continue;
        std::string_view key, value;
        bool section = false;
        if (!SplitKeyValue(lines[i], key, value, section))
            Garbage(path, lineNo, "VB6 project file");
        if (section) {
            inSection = true;
            continue;
        }
        if (inSection) continue;
        if (text::EqualsIgnoreCase(key, "Type")) {
            out.type = ProjectType(path, lineNo, value);
            typeSeen = true;
        } else if (text::EqualsIgnoreCase(key, "Name")) {
            out.name = Unquote(value);
        } else {
            for (const KeyType& k : kComponentKeys) {
                if (!text::EqualsIgnoreCase(key, k.key)) continue;
                ProjectEntry entry{std::string(key), k.type, {}, {}, lineNo};
                std::string_view v = value;
                const size_t semi = v.find(';');
                if (k.named && semi != std::string_view::npos) {
                    entry.name = std::string(text::Trim(v.substr(0, semi)));
                    v = v.substr(semi + 1);
                }
                entry.path = Unquote(v);
                if (entry.path.empty()) {
                    throw FileError(
                        path, lineNo,
                        "this " + entry.key + "= line names no file; correct or remove the line");
                }
                out.entries.push_back(std::move(entry));
                break;
            }
        }
    }
    if (!typeSeen) {
        throw FileError(path, 0,
                        "there is no Type= line, so this is no VB6 project file; a project file "
                        "begins with Type=Exe (or OleExe, OleDll, Control)");
    }
    return out;
}

std::vector<GroupEntry> ParseGroupFile(const std::string& path, const std::string& bytes) {
    const std::vector<std::string_view> lines = CheckedLines(path, bytes, "VB6 project group");
    std::vector<GroupEntry> out;
    bool headerSeen = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const long lineNo = static_cast<long>(i) + 1;
        const std::string_view t = text::Trim(lines[i]);
        if (t.empty()) continue;
        if (!headerSeen) {
            if (!text::StartsWithIgnoreCase(t, "VBGROUP")) {
                throw FileError(path, lineNo,
                                "a project group begins with the line \"VBGROUP 5.0\"; this file "
                                "is no VB6 project group (or is damaged)");
            }
            headerSeen = true;
            continue;
        }
        std::string_view key, value;
        bool section = false;
        if (!SplitKeyValue(t, key, value, section) || section) {
            Garbage(path, lineNo, "VB6 project group");
        }
        const bool startup = text::EqualsIgnoreCase(key, "StartupProject");
        if (startup || text::EqualsIgnoreCase(key, "Project")) {
            const std::string entryPath = Unquote(value);
            if (entryPath.empty()) {
                throw FileError(path, lineNo, "this line names no project; correct or remove it");
            }
            out.push_back({entryPath, lineNo, startup});
        }
    }
    return out;
}

}  // namespace qv::host::files
