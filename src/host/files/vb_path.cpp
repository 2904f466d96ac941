#include "host/files/vb_path.h"

#include <sys/stat.h>

#include <filesystem>
#include <iterator>
#include <vector>

#include "platform/regular_file.h"
#include "platform/text.h"

namespace qv::host::files {

namespace {

namespace fs = std::filesystem;

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string Join(const std::string& folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    if (folder.back() == '/') return folder + std::string(name);
    return folder + "/" + std::string(name);
}

// The names in a folder, best match first: exact, then ASCII case ignored,
// then the Windows-1252 reading as UTF-8.
std::vector<std::string> MatchingNames(const std::string& folder, std::string_view part) {
    std::vector<std::string> exact, folded, converted;
    const std::string utf8 = IsValidUtf8(part) ? std::string() : Windows1252ToUtf8(part);
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name == part)
            exact.push_back(name);
        else if (text::EqualsIgnoreCase(name, part))
            folded.push_back(name);
        else if (!utf8.empty() && text::EqualsIgnoreCase(name, utf8))
            converted.push_back(name);
    }
    exact.insert(exact.end(), folded.begin(), folded.end());
    exact.insert(exact.end(), converted.begin(), converted.end());
    return exact;
}

// anyKind: the last part may name anything that is there, not only a file.
std::optional<std::string> Resolve(const std::string& folder, std::string_view rest, int depth,
                                   bool anyKind) {
    if (depth > 64) return std::nullopt;
    size_t from = 0;
    while (from < rest.size() && IsSeparator(rest[from])) ++from;  // doubled separators
    rest.remove_prefix(from);
    const auto accepted = [anyKind](const std::string& path) {
        return anyKind ? file::KindAt(path) != file::Kind::Missing : IsRegularFile(path);
    };
    if (rest.empty()) return accepted(folder) ? std::optional(folder) : std::nullopt;
    for (size_t end = 0; end <= rest.size(); ++end) {
        if (end < rest.size() && !IsSeparator(rest[end])) continue;
        const std::string_view part = rest.substr(0, end);
        const std::string_view after =
            end < rest.size() ? rest.substr(end + 1) : std::string_view();
        const bool last = end == rest.size();
        std::vector<std::string> candidates;
        if (part == "." || part == "..")
            candidates.emplace_back(part);
        else
            candidates = MatchingNames(folder, part);
        for (const std::string& name : candidates) {
            const std::string path = Join(folder, name);
            if (last && accepted(path)) return path;
            if (!last && IsFolder(path)) {
                if (auto found = Resolve(path, after, depth + 1, anyKind)) return found;
            }
        }
        // Go on through this backslash only when it may be a DBCS trail byte.
        if (last || rest[end] != '\\' || end == 0 ||
            static_cast<unsigned char>(rest[end - 1]) < 0x80) {
            break;
        }
    }
    return std::nullopt;
}

bool IsWindowsAbsolute(std::string_view written) {
    return (written.size() >= 2 && written[1] == ':') ||
           (written.size() >= 2 && IsSeparator(written[0]) && IsSeparator(written[1]));
}

// Windows-1252 code points of the bytes 0x80-0x9F; the five bytes the code
// page leaves unassigned stand for the C1 controls of the same value.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t n = 0;
        char32_t min = 0;
        if ((c & 0xE0) == 0xC0)
            n = 1, min = 0x80;
        else if ((c & 0xF0) == 0xE0)
            n = 2, min = 0x800;
        else if ((c & 0xF8) == 0xF0)
            n = 3, min = 0x10000;
        else
            return false;
        if (bytes.size() - i <= n) return false;
        char32_t value = c & (0x3Fu >> n);
        for (size_t k = 1; k <= n; ++k) {
            const auto t = static_cast<unsigned char>(bytes[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            value = (value << 6) | (t & 0x3Fu);
        }
        if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
        i += n + 1;
    }
    return true;
}

char16_t Windows1252Char(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char16_t(byte);
}

std::optional<unsigned char> Windows1252Byte(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    for (size_t i = 0; i < std::size(kHighControls); ++i) {
        if (kHighControls[i] == c) return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return Windows1252AsUtf8(bytes);
}

std::string Windows1252AsUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (char b : bytes) AppendUtf8(out, Windows1252Char(static_cast<unsigned char>(b)));
    return out;
}

namespace {

// The written path as a path of this system; nothing for a Windows absolute
// path (C:\..., \\server\...), which names no file here.
std::optional<std::string> PlainPath(std::string_view& written) {
    written = text::Trim(written);
    if (written.size() >= 2 && written.front() == '"' && written.back() == '"') {
        written = written.substr(1, written.size() - 2);
    }
    if (written.empty() || IsWindowsAbsolute(written)) return std::nullopt;
    std::string plain(written);
    for (char& c : plain) {
        if (c == '\\') c = '/';
    }
    return plain;
}

}  // namespace

std::optional<std::string> ResolveVbPath(const std::string& folder, std::string_view written) {
    const std::optional<std::string> plain = PlainPath(written);
    if (!plain) return std::nullopt;
    if (plain->front() == '/') {
        return IsRegularFile(*plain) ? plain : std::nullopt;
    }
    // Most paths are written as they are on disk.
    const std::string direct = fs::path(Join(folder, *plain)).lexically_normal().string();
    if (IsRegularFile(direct)) return direct;
    auto found = Resolve(folder, written, 0, false);
    if (!found) return std::nullopt;
    return fs::path(*found).lexically_normal().string();
}

std::string UnresolvedVbPathReason(const std::string& folder, std::string_view written) {
    const std::optional<std::string> plain = PlainPath(written);
    if (!plain) return {};
    std::optional<std::string> found;
    if (plain->front() == '/')
        found = plain;
    else
        found = Resolve(folder, written, 0, true);
    return found ? file::NotRegularReason(file::KindAt(*found)) : std::string();
}

}  // namespace qv::host::files
