#include "app/cli/sarif_paths.h"

#include <filesystem>
#include <system_error>

#include "platform/uri_path.h"

namespace qv::cli {

namespace fs = std::filesystem;

namespace {

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && path.back() == '/' &&
           !(path.size() == 3 && path[1] == ':')) {  // keep "C:/"
        path.pop_back();
    }
    return path;
}

// Absolute and lexically normal; a trailing separator is kept.
std::string Normal(const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(path), error);
    if (error) absolute = fs::path(path);
    return absolute.lexically_normal().generic_string();
}

}  // namespace

std::string CleanAbsolutePath(const std::string& path) { return WithoutTrailingSeparator(Normal(path)); }

std::string AbsoluteFolderOf(const std::string& path) {
    const std::string normal = Normal(path);
    const size_t slash = normal.rfind('/');
    if (slash == std::string::npos) return normal;
    return WithoutTrailingSeparator(normal.substr(0, slash + 1));
}

std::string CompleteBaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::optional<std::string> RelativePath(const std::string& folder, const std::string& file) {
    const fs::path relative = fs::path(file).lexically_relative(fs::path(folder));
    if (relative.empty()) return std::nullopt;
    return relative.generic_string();
}

std::string RelativeUri(const std::string& relative) {
    const size_t slash = relative.find('/');
    const bool colonFirst = relative.substr(0, slash).find(':') != std::string::npos;
    return (colonFirst ? "./" : "") + text::PercentEncodedPath(relative);
}

std::string NativeSeparators(std::string path) {
#ifdef _WIN32
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
#endif
    return path;
}

std::string FileUri(const std::string& absolute) {
    std::string path = absolute;
    if (!path.starts_with('/')) path.insert(path.begin(), '/');  // "C:/x" on Windows
    return "file://" + text::PercentEncodedPath(path);
}

}  // namespace qv::cli
