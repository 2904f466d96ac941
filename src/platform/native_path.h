#pragma once
// Paths are UTF-8 text everywhere in the add-in. On Linux the file system
// takes those bytes as they are; Windows names files in UTF-16, and a
// std::filesystem::path made from narrow text would read it in the ANSI
// code page and lose every character that page lacks. These two make the
// way between the two explicit.
//
//     for (const auto& entry : fs::directory_iterator(file::NativePath(folder)))
//         names.push_back(file::Utf8Path(entry.path().filename()));

#include <filesystem>
#include <string>
#include <string_view>

namespace qv::file {

#ifdef _WIN32
// Bytes that are not UTF-8 (a name in a code page) name no file on Windows:
// each such byte becomes U+FFFD instead of an exception.
std::filesystem::path NativePath(std::string_view utf8);
std::string Utf8Path(const std::filesystem::path& path);
#else
inline std::filesystem::path NativePath(std::string_view utf8) {
    return std::filesystem::path(utf8);
}

inline std::string Utf8Path(const std::filesystem::path& path) {
    return path.string();
}
#endif

}  // namespace qv::file
