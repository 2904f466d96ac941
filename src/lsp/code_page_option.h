#pragma once
// The code page the session reads the projects' files in: the client's
// initializationOptions.codePage (a number such as 932, or a name such as
// "shift_jis"; also taken from initializationOptions.settings, where the
// store keeps it), else the stored setting, else Windows-1252. The editor's
// own text of a document is UTF-8 and read as such.

#include <string>
#include <vector>

#include "lsp/json.h"
#include "platform/code_page.h"

namespace qv::lsp {

// The session's code page; what was refused (a value that names no code
// page, a stored one that names none) goes to problems.
text::CodePage SessionCodePage(const Json& initializationOptions,
                               std::vector<std::string>& problems);

// The settings overrides without the code page, which is not a field of
// the settings record.
Json WithoutCodePage(Json settings);

}  // namespace qv::lsp
