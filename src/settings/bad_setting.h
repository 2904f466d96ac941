#pragma once
// The stored integer setting that is not a number, which stops GetSettings,
// so that whoever reports its error can say which key in which file is
// wrong and how to put it right. Found again from the store when asked, so
// that no run leaves it behind for another.

#include <optional>
#include <string>
#include <string_view>

#include "platform/vb_error.h"

namespace qv::settings {

struct BadSetting {
    std::string key;
    std::string value;
    long number = 0;        // 13 not a number, 6 out of range
    bool stored = true;     // false: the value came from the string table
    std::string file;       // the settings file (stored values)
};

// The first integer field, in GetSettings' order, whose text does not
// convert: the one GetSettings stops at. Nothing when every one converts.
std::optional<BadSetting> FindBadSetting();

// For an error that GetSettings passed up because of a bad value: a message
// naming the key, the file and the fix. Nothing for any other error.
std::optional<std::string> DescribeSettingsError(const VbError& error);

}  // namespace qv::settings
