#pragma once
// The stored integer setting that was not a number when GetSettings last
// failed, so that whoever reports the error can say which key in which file
// is wrong and how to put it right.

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

void RememberBadSetting(std::string_view key, std::string_view value, long number);
void ForgetBadSetting();
const std::optional<BadSetting>& LastBadSetting();

// For an error that GetSettings passed up because of a bad value: a message
// naming the key, the file and the fix. Nothing for any other error.
std::optional<std::string> DescribeSettingsError(const VbError& error);

}  // namespace qv::settings
