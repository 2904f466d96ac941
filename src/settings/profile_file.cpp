#include "settings/profile_file.h"

#include <optional>
#include <vector>

#include "platform/regular_file.h"
#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/store_file.h"

namespace qv::settings {

namespace {

// One line and its own line break ("" for a last line without one).
struct Line {
    std::string body;
    std::string end;
};

std::vector<Line> SplitKeepingBreaks(std::string_view content) {
    std::vector<Line> lines;
    size_t start = 0;
    while (start < content.size()) {
        const size_t lf = content.find('\n', start);
        if (lf == std::string_view::npos) {
            lines.push_back({std::string(content.substr(start)), {}});
            break;
        }
        const size_t bodyEnd = lf > start && content[lf - 1] == '\r' ? lf - 1 : lf;
        lines.push_back({std::string(content.substr(start, bodyEnd - start)),
                         std::string(content.substr(bodyEnd, lf + 1 - bodyEnd))});
        start = lf + 1;
    }
    return lines;
}

std::string Joined(const std::vector<Line>& lines) {
    std::string out;
    for (const Line& line : lines) out.append(line.body).append(line.end);
    return out;
}

std::string_view Blankless(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The name of a section header line "[name]", nothing for other lines.
std::optional<std::string_view> SectionName(std::string_view body) {
    body = Blankless(body);
    if (body.size() < 2 || body.front() != '[' || body.back() != ']') return std::nullopt;
    return Blankless(body.substr(1, body.size() - 2));
}

bool IsKeyLine(std::string_view body, std::string_view key) {
    body = Blankless(body);
    if (body.empty() || body.front() == ';') return false;
    const size_t equals = body.find('=');
    return equals != std::string_view::npos &&
           text::EqualsIgnoreCase(Blankless(body.substr(0, equals)), Blankless(key));
}

// The lines of the first section of that name: from the line after its
// header up to (not including) the next header.
struct Range {
    size_t first;
    size_t last;
};

std::optional<Range> SectionRange(const std::vector<Line>& lines, std::string_view section) {
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i].body);
        if (!name || !text::EqualsIgnoreCase(*name, Blankless(section))) continue;
        size_t last = i + 1;
        while (last < lines.size() && !SectionName(lines[last].body)) ++last;
        return Range{i + 1, last};
    }
    return std::nullopt;
}

std::string LineBreakOf(std::string_view content) {
    return content.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
}

void EndWithLineBreak(std::vector<Line>& lines, size_t count, const std::string& lineBreak) {
    if (count > 0 && lines[count - 1].end.empty()) lines[count - 1].end = lineBreak;
}

}  // namespace

std::string WriteProfileKey(std::string_view content, std::string_view section,
                            std::string_view key, std::string_view value) {
    const std::string lineBreak = LineBreakOf(content);
    const std::string keyLine = std::string(Blankless(key)) + "=" + std::string(value);
    std::vector<Line> lines = SplitKeepingBreaks(content);
    const std::optional<Range> range = SectionRange(lines, section);
    if (!range) {
        EndWithLineBreak(lines, lines.size(), lineBreak);
        lines.push_back({"[" + std::string(Blankless(section)) + "]", lineBreak});
        lines.push_back({keyLine, lineBreak});
        return Joined(lines);
    }
    bool found = false;
    size_t insertAt = range->first;  // after the section's last non-blank line
    for (size_t i = range->first; i < range->last; ++i) {
        if (!Blankless(lines[i].body).empty()) insertAt = i + 1;
        if (!IsKeyLine(lines[i].body, key)) continue;
        if (found) {
            lines[i].body = lines[i].end = {};  // a later duplicate goes
            continue;
        }
        found = true;
        lines[i].body = keyLine;
    }
    if (!found) {
        EndWithLineBreak(lines, insertAt, lineBreak);
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), {keyLine, lineBreak});
    }
    return Joined(lines);
}

std::optional<std::string> ReadProfileKey(std::string_view content, std::string_view section,
                                          std::string_view key) {
    const std::vector<Line> lines = SplitKeepingBreaks(content);
    const std::optional<Range> range = SectionRange(lines, section);
    if (!range) return std::nullopt;
    for (size_t i = range->first; i < range->last; ++i) {
        if (!IsKeyLine(lines[i].body, key)) continue;
        const std::string_view body = lines[i].body;
        return std::string(Blankless(body.substr(body.find('=') + 1)));
    }
    return std::nullopt;
}

std::string DeleteProfileKey(std::string_view content, std::string_view section,
                             std::string_view key) {
    std::vector<Line> lines = SplitKeepingBreaks(content);
    const std::optional<Range> range = SectionRange(lines, section);
    if (!range) return std::string(content);
    for (size_t i = range->first; i < range->last; ++i) {
        if (IsKeyLine(lines[i].body, key)) lines[i].body = lines[i].end = {};
    }
    return Joined(lines);
}

std::string ReadProfileFile(const std::string& path) try {
    std::string bytes;
    file::Kind kind = file::Kind::Missing;
    if (file::ReadRegularFile(path, bytes, kind)) return bytes;
    if (kind == file::Kind::Missing) return {};
    if (kind != file::Kind::Regular) {
        Raise(err::kPermissionDenied,
              "Permission denied: " + path + " cannot be read: " + file::NotRegularReason(kind));
    }
    Raise(err::kPermissionDenied, "Permission denied: " + path + " cannot be read");
} QV_PASS_UP("CommonCode", "ReadProfileFile")

bool EditProfileFile(const std::string& path,
                     const std::function<std::string(std::string_view)>& edit) try {
    const std::string folder = FolderOf(path);
    if (!MakeFolders(folder)) {
        Raise(err::kPermissionDenied, "Permission denied: " + folder + " cannot be created");
    }
    const std::optional<StoreLock> lock = StoreLock::Acquire(path, 10000);
    if (!lock) {
        Raise(err::kPermissionDenied, "Permission denied: " + path + " is locked");
    }
    const std::string content = ReadProfileFile(path);
    const std::string result = edit(content);
    if (result == content) return false;
    if (file::IsReadOnlyFile(path)) {
        Raise(err::kPermissionDenied, "Permission denied: " + path + " is read-only");
    }
    if (!ReplaceFile(path, result)) {
        Raise(err::kPermissionDenied, "Permission denied: " + path + " cannot be written");
    }
    return true;
} QV_PASS_UP("CommonCode", "EditProfileFile")

}  // namespace qv::settings
