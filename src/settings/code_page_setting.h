#pragma once
// The code page the user's VB6 files are written in: the system's ANSI code
// page of the machine that wrote them (the IDE read and wrote files in it).
// Stored like the other settings, under the key "codePage" of the section
// "ErrorHandling" (a number: 1252, 932, 936, ...), and declared with them
// (settings_fields.h); Windows-1252 when none is stored. A run reads it once
// and carries the value; the command line's --code-page and the language
// server's initialization options replace it for one run.

#include <optional>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace qv::settings {

inline constexpr std::string_view kCodePageKey = "codePage";
inline constexpr std::string_view kDefaultCodePage = "1252";

// The code page a value names, or why it names none (for the user: which
// code pages there are).
std::optional<text::CodePage> ParseCodePageSetting(std::string_view value, std::string& problem);

// The stored code page; Windows-1252 when none is stored. A stored value
// that names no code page gives nothing, and problem says which file to
// put right and how.
std::optional<text::CodePage> StoredCodePage(std::string& problem);

}  // namespace qv::settings
