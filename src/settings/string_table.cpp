#include "settings/string_table.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::settings {

namespace {

// "Resource with identifier ... not found".
constexpr long kResourceNotFound = 326;

}  // namespace

std::string_view StringTableText(int id, StringTable table) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [id](const StringTableEntry& entry) { return entry.id == id; });
    if (found == table.end()) {
        Raise(kResourceNotFound,
              "Resource with identifier '" + std::to_string(id) + "' not found");
    }
    return found->text;
}

std::string LoadRes(int id, StringTable table) try {
    return std::string(text::Trim(StringTableText(id, table)));
} QV_PASS_UP("AddIn", "LoadRes")

}  // namespace qv::settings
