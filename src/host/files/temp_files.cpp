#include "host/files/temp_files.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "host/files/temp_files_system.h"
#include "platform/native_path.h"

namespace qv::host::files {

namespace temp_detail {

namespace {

namespace fs = std::filesystem;

constexpr size_t kRandomPart = 6;  // mkstemp's XXXXXX
constexpr size_t kLongestName = 255;  // bytes on Linux, UTF-16 units on Windows

std::string MachineHash() {
    const std::string name = MachineName();
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (const char c : name) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    char text[9];
    std::snprintf(text, sizeof text, "%08x", hash);
    return text;
}

// "PID.START.HOST" of this process.
const std::string& OwnTag() {
    static const std::string tag = std::to_string(ProcessId()) + "." +
                                   std::to_string(StartTime(ProcessId()).value_or(0)) + "." +
                                   HostHash();
    return tag;
}

bool AllDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

const std::string& HostHash() {
    static const std::string hash = MachineHash();
    return hash;
}

std::vector<std::string>& Listed() {
    static std::vector<std::string> listed;
    return listed;
}

// The writer a temporary file's name gives; nothing for a name of another form.
std::optional<Writer> WriterOf(std::string_view name) {
    if (name.size() < 2 || name.front() != '.') return std::nullopt;
    const size_t mark = name.rfind(kMark);
    if (mark == std::string_view::npos || mark == 0) return std::nullopt;
    std::string_view rest = name.substr(mark + kMark.size());  // PID.START.HOST-XXXXXX
    if (rest.size() < kRandomPart + 1 || rest[rest.size() - kRandomPart - 1] != '-') {
        return std::nullopt;
    }
    const std::string_view random = rest.substr(rest.size() - kRandomPart);
    if (!std::all_of(random.begin(), random.end(), [](char c) { return std::isalnum(c) != 0; })) {
        return std::nullopt;
    }
    rest.remove_suffix(kRandomPart + 1);
    const size_t dot1 = rest.find('.');
    const size_t dot2 = rest.find('.', dot1 + 1);
    if (dot1 == std::string_view::npos || dot2 == std::string_view::npos) return std::nullopt;
    const std::string_view pid = rest.substr(0, dot1);
    const std::string_view start = rest.substr(dot1 + 1, dot2 - dot1 - 1);
    const std::string_view host = rest.substr(dot2 + 1);
    if (!AllDigits(pid) || !AllDigits(start) || host.size() != 8 || pid.size() > 9 ||
        start.size() > 19) {
        return std::nullopt;
    }
    return Writer{std::stol(std::string(pid)), std::stoull(std::string(start)), std::string(host)};
}

}  // namespace temp_detail

using namespace temp_detail;

std::string TempFileTemplate(const std::string& target) {
    const std::filesystem::path path = file::NativePath(target);
    const std::string suffix = std::string(kMark) + OwnTag() + "-" + std::string(kRandomPart, 'X');
    std::string name = file::Utf8Path(path.filename());
    const size_t room = kLongestName - 1 - suffix.size();  // the leading dot
    if (name.size() > room) {
        // Cut before a character, not inside one (UTF-8 continuation bytes
        // are 10xxxxxx).
        size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    return file::Utf8Path(path.parent_path() / file::NativePath("." + name + suffix));
}

void ListTempFile(const std::string& path) {
    const InterruptionsHeld held;
    Listed().push_back(path);
}

void UnlistTempFile(const std::string& path) {
    const InterruptionsHeld held;
    auto& listed = Listed();
    listed.erase(std::remove(listed.begin(), listed.end(), path), listed.end());
}

void UnlistTempFiles(const std::vector<std::string>& paths) {
    // One pass, the paths met in the order they were listed (nothing is
    // allocated: this also runs while a failed commit unwinds).
    const InterruptionsHeld held;
    auto& listed = Listed();
    size_t next = 0;
    size_t kept = 0;
    for (size_t at = 0; at < listed.size(); ++at) {
        if (next < paths.size() && listed[at] == paths[next]) {
            ++next;
        } else {
            if (kept != at) listed[kept] = std::move(listed[at]);
            ++kept;
        }
    }
    listed.resize(kept);
    for (; next < paths.size(); ++next) UnlistTempFile(paths[next]);  // listed out of order
}

}  // namespace qv::host::files
