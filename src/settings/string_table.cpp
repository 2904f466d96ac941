#include "settings/string_table.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::settings {

namespace {

// "Resource with identifier ... not found".
constexpr long kResourceNotFound = 326;

std::span<const StringTableEntry>& TestTable() {
    static std::span<const StringTableEntry> table;
    return table;
}

std::span<const StringTableEntry> TableInUse() {
    return TestTable().empty() ? CompiledStringTable() : TestTable();
}

}  // namespace

std::string_view StringTableText(int id) {
    const std::span<const StringTableEntry> table = TableInUse();
    const auto found = std::find_if(table.begin(), table.end(),
                                    [id](const StringTableEntry& entry) { return entry.id == id; });
    if (found == table.end()) {
        Raise(kResourceNotFound,
              "Resource with identifier '" + std::to_string(id) + "' not found");
    }
    return found->text;
}

std::string LoadRes(int id) try {
    return std::string(text::Trim(StringTableText(id)));
} QV_PASS_UP("AddIn", "LoadRes")

void SetStringTableForTesting(std::span<const StringTableEntry> table) { TestTable() = table; }

}  // namespace qv::settings
