#pragma once
// The process's environment and temporary folders for tests, the same on
// every system: setenv and mkdtemp on Linux, _wputenv_s and a random name
// on Windows.

#include <filesystem>
#include <optional>
#include <string>

namespace qv::test {

// The variable's value (UTF-8); nothing when it is not set.
std::optional<std::string> GetEnvironment(const std::string& name);
// Sets the variable for this process and the programs it starts. Windows
// knows no variable set to the empty text: there it is removed instead.
void SetEnvironment(const std::string& name, const std::string& value);
void UnsetEnvironment(const std::string& name);

// Sets a variable while it lives, then puts back what was there before.
class ScopedEnvironment {
  public:
    ScopedEnvironment(std::string name, const std::string& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    std::string name_;
    std::optional<std::string> before_;
};

// A new empty folder in the system's temporary folder, its name the prefix
// and a random part; the caller removes it.
std::filesystem::path MakeTemporaryFolder(const std::string& prefix);

// Removes the folder with everything in it, read-only files included;
// errors are ignored (a test's clean-up never fails the test).
void RemoveFolder(const std::filesystem::path& folder);

}  // namespace qv::test
