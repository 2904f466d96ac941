#pragma once
// The hot keys of the string table (entries 15-20), written "X,CSA": X the
// key, then the modifier letters C (Ctrl), S (Shift), A (Alt) in any order;
// case does not matter. An entry whose key part is empty defines no hot key.

#include <string>
#include <string_view>

#include "settings/string_table.h"

namespace qv::settings {

struct HotKey {
    int keyCode = 0;        // the key's character code; 0 when no hot key
    int modifiers = 0;      // sum of 1 Alt, 2 Ctrl, 4 Shift
    std::string keys;       // "Ctrl+Shift+E"; empty when no hot key
    std::string caption;    // " (Ctrl+Shift+E)", appended to menu captions

    bool Defined() const { return keyCode != 0; }
};

// An entry without a comma has no modifiers.
HotKey ParseHotKey(std::string_view entry);

// Hot key index 0-5 from string-table entry 15 + index.
HotKey HotKeyFromTable(int index, StringTable table = CompiledStringTable());

// The command each hot key runs, by index 0-5 ("Add Error Handling", ...).
std::string_view HotKeyCommandName(int index);

}  // namespace qv::settings
