#include "host_files/temp_folder.h"

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/native_path.h"

namespace qv::test {

namespace fs = std::filesystem;

namespace {
fs::path MakeTempFolder() {
#ifdef _WIN32
    std::mt19937_64 random{std::random_device{}()};
    for (int tries = 0; tries < 100; ++tries) {
        const fs::path folder =
            fs::temp_directory_path() / ("qvaddin-test-" + std::to_string(random() % 1000000000));
        std::error_code ec;
        if (fs::create_directory(folder, ec)) return folder;
    }
    std::abort();
#else
    std::string pattern = (fs::temp_directory_path() / "qvaddin-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
#endif
}
}  // namespace

TempFolder::TempFolder() : path_(MakeTempFolder()) {}

TempFolder::~TempFolder() {
    if (path_.empty()) return;
    std::error_code ec;
    // Read-only files and folders made by a test must not stay behind.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

TempFolder::TempFolder(TempFolder&& other) noexcept : path_(std::move(other.path_)) {
    other.path_.clear();
}

std::string TempFolder::File(const std::string& name) const {
    return file::Utf8Path((path_ / file::NativePath(name)).make_preferred());
}

void TempFolder::Write(const std::string& name, const std::string& bytes) const {
    const fs::path file = path_ / file::NativePath(name);
    fs::create_directories(file.parent_path());
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempFolder::Read(const std::string& name) const {
    return ReadFile(path_ / file::NativePath(name));
}

TempFolder CopyOfFolder(const fs::path& source) {
    TempFolder folder;
    // Entry by entry into the new folder: copying onto a folder that exists
    // makes MinGW's library ask whether the two are one folder, and without
    // inode numbers every folder of a Windows drive looks like every other.
    for (const fs::directory_entry& entry : fs::directory_iterator(source)) {
        fs::copy(entry.path(), folder.Path() / entry.path().filename(),
                 fs::copy_options::recursive);
    }
    return folder;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    return bytes.str();
}

}  // namespace qv::test
