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

inline std::filesystem::path NativePath(std::string_view utf8) {
#ifdef _WIN32
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
#else
    return std::filesystem::path(utf8);
#endif
}

inline std::string Utf8Path(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
#else
    return path.string();
#endif
}

}  // namespace qv::file
