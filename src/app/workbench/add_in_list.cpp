#include "app/workbench/add_in_list.h"

#include "platform/text.h"
#include "settings/profile_file.h"
#include "shell/process_start.h"

namespace qv::workbench {

namespace {

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

std::vector<AddInEntry> ParseAddInList(std::string_view content) {
    std::vector<AddInEntry> entries;
    bool inSection = false;
    while (!content.empty()) {
        const size_t end = content.find('\n');
        const std::string_view line = Trimmed(content.substr(0, end));
        content = end == std::string_view::npos ? std::string_view() : content.substr(end + 1);
        if (line.starts_with('[') && line.ends_with(']')) {
            inSection = text::EqualsIgnoreCase(Trimmed(line.substr(1, line.size() - 2)),
                                               shell::kAddInListSection);
            continue;
        }
        const size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos || line.starts_with(';')) continue;
        entries.push_back({std::string(Trimmed(line.substr(0, equals))),
                           std::string(Trimmed(line.substr(equals + 1)))});
    }
    return entries;
}

std::vector<AddInEntry> ReadAddInList() {
    return ParseAddInList(settings::ReadProfileFile(shell::AddInListPath()));
}

void SetLoadOnStartup(std::string_view progId, bool load) {
    settings::EditProfileFile(shell::AddInListPath(), [&](std::string_view content) {
        return settings::WriteProfileKey(content, shell::kAddInListSection, progId,
                                         load ? "1" : "0");
    });
}

}  // namespace qv::workbench
