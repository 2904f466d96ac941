#pragma once
// Procedure header layout: the lines from a routine's start line through its
// declaration go to column 1, and the continuation lines of a declaration
// that spans several lines line up one column right of its opening
// parenthesis. A routine declared in alternatives under #If has its
// declarations laid out each on its own (body lines that stand in a branch
// among them are left as they are).

#include <string>
#include <string_view>
#include <vector>

#include "host/code_host.h"
#include "settings/settings_record.h"

namespace qv::tidy {

// The header lines (text joined with CR LF) laid out.
std::vector<std::string> HeaderText(std::string_view text);
// The same for the header's lines.
std::vector<std::string> HeaderText(const std::vector<std::string_view>& header);

// Replaces the header lines read from startLine (text) by their layout when
// the settings' `header` is on; the member's attributes are kept. A header of
// one line is left alone. Returns true when the module was changed.
bool DoHeader(std::string_view text, long startLine, host::Member& member,
              const settings::SettingsRecord& settings);
// DoHeader of the count lines from startLine of the member's module, read
// as the module holds them (no text joined and split again).
bool DoHeader(long startLine, long count, host::Member& member,
              const settings::SettingsRecord& settings);

}  // namespace qv::tidy
