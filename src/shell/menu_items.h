#pragma once
// The add-in's menu items: the four lists of buttons it puts on the IDE's
// command bars (caption, command verb, button image) and the hot-key texts
// that the code-window captions end with.

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/hot_key.h"

namespace qv::shell {

struct MenuItem {
    std::string caption;    // with "&" before the access key
    std::string parameter;  // the command verb
    int faceId = 0;         // the button image of the command-bar model

    bool operator==(const MenuItem&) const = default;
};

using MenuList = std::vector<MenuItem>;

struct MenuLists {
    MenuList codeWindow;
    MenuList toolBar;
    MenuList moduleFolder;
    MenuList project;
};

// The caption of the pop-up that holds a bar's buttons when the menu setting
// asks for them grouped.
inline constexpr std::string_view kGroupCaption = "&DA Zarav";

inline constexpr int kHotKeyCount = 6;
using HotKeyTable = std::array<settings::HotKey, kHotKeyCount>;

// The hot keys of the string table, read the first time and kept for the
// process, as the IDE's hot-key registration keeps them.
const HotKeyTable& ProcessHotKeys();

// Which verbs can be offered: a verb whose window does not exist yet is left
// out of every list rather than shown as a button that does nothing.
using VerbFilter = std::function<bool(std::string_view verb)>;

// The four lists with the given hot-key texts; versionText is the program's
// "major.minor.revision".
MenuLists BuildMenuLists(const HotKeyTable& hotKeys, std::string_view versionText,
                         const VerbFilter& offered);

}  // namespace qv::shell
