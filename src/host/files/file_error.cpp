#include "host/files/file_error.h"

namespace qv::host::files {

namespace {
std::string Located(const std::string& path, long line, const std::string& message) {
    std::string text = path;
    if (line > 0) text += ":" + std::to_string(line);
    return text + ": " + message;
}
}  // namespace

FileError::FileError(std::string path, long line, const std::string& message)
    : std::runtime_error(Located(path, line, message)), path_(std::move(path)), line_(line) {}

}  // namespace qv::host::files
