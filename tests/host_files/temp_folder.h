#pragma once
// A fresh temporary folder for tests that work on files, removed with
// everything in it (read-only files included) at the end.

#include <filesystem>
#include <string>

namespace qv::test {

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(TempFolder&& other) noexcept;
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    TempFolder& operator=(TempFolder&&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The path of a file in the folder, as a string.
    std::string File(const std::string& name) const;
    // Writes bytes exactly as given (makes the folders on the way).
    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;

  private:
    std::filesystem::path path_;
};

// A temporary copy of a folder (with its subfolders).
TempFolder CopyOfFolder(const std::filesystem::path& source);

// The whole file, as bytes.
std::string ReadFile(const std::filesystem::path& path);

}  // namespace qv::test
