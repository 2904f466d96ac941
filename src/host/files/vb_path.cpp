#include "host/files/vb_path.h"

#include <filesystem>
#include <vector>

#include "platform/native_path.h"
#include "platform/regular_file.h"
#include "platform/text.h"
#include "platform/unicode_text.h"

namespace qv::host::files {

namespace {

namespace fs = std::filesystem;

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// A separator that stands as a character of its own: in a double-byte code
// page a "\" may be the trail byte of a character.
bool IsSeparatorAt(std::string_view path, size_t at, text::CodePage page) {
    return IsSeparator(path[at]) &&
           (!page.IsDoubleByte() || text::StartsCharacter(path, at, page));
}

bool IsRegularFile(const std::string& path) {
    return file::KindAt(path) == file::Kind::Regular;
}

bool IsFolder(const std::string& path) {
    return file::KindAt(path) == file::Kind::Folder;
}

std::string Join(const std::string& folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    if (folder.back() == '/') return folder + std::string(name);
    return folder + "/" + std::string(name);
}

// One part of a written path, as bytes and as text for the names on disk
// (which are UTF-8 here).
struct WrittenPart {
    std::string_view bytes;
    std::u32string folded;  // empty when the part is ASCII: the byte tests decide then
};

WrittenPart PartOf(std::string_view bytes, text::CodePage page) {
    WrittenPart part{bytes, {}};
    if (!text::IsAscii(bytes)) part.folded = text::FoldedCharacters(text::Characters(bytes, page));
    return part;
}

// The names in a folder, best match first: exact, then ASCII case ignored,
// then as text.
std::vector<std::string> MatchingNames(const std::string& folder, const WrittenPart& part) {
    std::vector<std::string> exact, folded, asText;
    std::error_code ec;
    for (fs::directory_iterator it(file::NativePath(folder.empty() ? "." : folder), ec), end;
         !ec && it != end; it.increment(ec)) {
        const std::string name = file::Utf8Path(it->path().filename());
        if (name == part.bytes)
            exact.push_back(name);
        else if (text::EqualsIgnoreCase(name, part.bytes))
            folded.push_back(name);
        else if (!part.folded.empty() && !text::IsAscii(name) &&
                 text::FoldedCharacters(text::Utf8Characters(name)) == part.folded)
            asText.push_back(name);
    }
    exact.insert(exact.end(), folded.begin(), folded.end());
    exact.insert(exact.end(), asText.begin(), asText.end());
    return exact;
}

// anyKind: the last part may name anything that is there, not only a file.
std::optional<std::string> Resolve(const std::string& folder, std::string_view rest, int depth,
                                   bool anyKind, text::CodePage page) {
    if (depth > 64) return std::nullopt;
    size_t from = 0;
    while (from < rest.size() && IsSeparator(rest[from])) ++from;  // doubled separators
    rest.remove_prefix(from);
    const auto accepted = [anyKind](const std::string& path) {
        return anyKind ? file::KindAt(path) != file::Kind::Missing : IsRegularFile(path);
    };
    if (rest.empty()) return accepted(folder) ? std::optional(folder) : std::nullopt;
    for (size_t end = 0; end <= rest.size(); ++end) {
        if (end < rest.size() && !IsSeparatorAt(rest, end, page)) continue;
        const std::string_view part = rest.substr(0, end);
        const std::string_view after =
            end < rest.size() ? rest.substr(end + 1) : std::string_view();
        const bool last = end == rest.size();
        std::vector<std::string> candidates;
        if (part == "." || part == "..")
            candidates.emplace_back(part);
        else
            candidates = MatchingNames(folder, PartOf(part, page));
        for (const std::string& name : candidates) {
            const std::string path = Join(folder, name);
            if (last && accepted(path)) return path;
            if (!last && IsFolder(path)) {
                if (auto found = Resolve(path, after, depth + 1, anyKind, page)) return found;
            }
        }
        // Go on through this backslash only when it may be the trail byte of
        // a double-byte code page other than the file's.
        if (last || page.IsDoubleByte() || rest[end] != '\\' || end == 0 ||
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

// A path that starts at the root (on Windows also at a drive or a server).
bool IsAbsolute(const std::string& plain) {
#ifdef _WIN32
    if (IsWindowsAbsolute(plain)) return true;
#endif
    return plain.front() == '/';
}

// The written path as a path of this system; nothing for a Windows absolute
// path (C:\..., \\server\...) except on Windows, where it names a file.
std::optional<std::string> PlainPath(std::string_view& written, text::CodePage page) {
    written = text::Trim(written);
    if (written.size() >= 2 && written.front() == '"' && written.back() == '"') {
        written = written.substr(1, written.size() - 2);
    }
    if (written.empty()) return std::nullopt;
#ifndef _WIN32
    if (IsWindowsAbsolute(written)) return std::nullopt;
#endif
    std::string plain(written);
    for (size_t i = 0; i < plain.size(); ++i) {
        if (plain[i] == '\\' && IsSeparatorAt(written, i, page)) plain[i] = '/';
    }
    return plain;
}

#ifndef _WIN32
// Whether the path is as std::filesystem would make it lexically normal:
// no part of it empty, "." or "..", nor a separator at its end. A project's
// paths nearly all are, and normalizing each costs more than the rest of
// finding it.
bool IsLexicallyNormal(std::string_view path) {
    if (path.empty() || path.back() == '/') return false;
    size_t start = path.front() == '/' ? 1 : 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

std::string LexicallyNormal(const std::string& path) {
    if (IsLexicallyNormal(path)) return path;
    return file::Utf8Path(file::NativePath(path).lexically_normal());
}
#endif

}  // namespace

std::optional<std::string> ResolveVbPath(const std::string& folder, std::string_view written,
                                         text::CodePage page, std::string* identity) {
    std::string known;
    if (identity == nullptr) identity = &known;
    identity->clear();
    const std::optional<std::string> plain = PlainPath(written, page);
    if (!plain) return std::nullopt;
    // A file found with one look tells who it is with the same look.
    const auto foundAt = [identity](const std::string& path) {
        if (file::KindAt(path, *identity) == file::Kind::Regular) return true;
        identity->clear();
        return false;
    };
    if (IsAbsolute(*plain)) {
        return foundAt(*plain) ? plain : std::nullopt;
    }
    // Most paths are written as they are on disk. (Not on Windows, whose
    // file names ignore case: there the name is looked up, so that it is
    // the one on disk.)
#ifndef _WIN32
    const std::string direct = LexicallyNormal(Join(folder, *plain));
    if (foundAt(direct)) return direct;
#endif
    auto found = Resolve(folder, written, 0, false, page);
    if (!found) return std::nullopt;
    return file::Utf8Path(file::NativePath(*found).lexically_normal());
}

std::string UnresolvedVbPathReason(const std::string& folder, std::string_view written,
                                   text::CodePage page) {
    const std::optional<std::string> plain = PlainPath(written, page);
    if (!plain) return {};
    std::optional<std::string> found;
    if (IsAbsolute(*plain))
        found = plain;
    else
        found = Resolve(folder, written, 0, true, page);
    return found ? file::NotRegularReason(file::KindAt(*found)) : std::string();
}

}  // namespace qv::host::files
