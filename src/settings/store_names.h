#pragma once
// Where things are stored: the system's own store, its sections and the
// version marker, the older location read once by the upgrade, and the IDE's
// own tab width.

#include <string_view>

namespace qv::settings {

inline constexpr std::string_view kSystemCompany = "Brell Vantoke";
inline constexpr std::string_view kSystemAppName = "qvaddin2";
// Every user setting lives in this section.
inline constexpr std::string_view kSettingsSection = "ErrorHandling";
// The version marker is the unnamed default value of this section.
inline constexpr std::string_view kVersionSection = "Version";

// The older location: the run time's own settings area (the store's default
// company), application "qvaddin2", section "ErrorHandling", value "Version".
inline constexpr std::string_view kOlderAppName = "qvaddin2";
inline constexpr std::string_view kOlderSection = "ErrorHandling";
inline constexpr std::string_view kOlderVersionKey = "Version";

// The IDE's tab width.
inline constexpr std::string_view kIdeCompany = "Microsoft";
inline constexpr std::string_view kIdeAppName = "VBA";
inline constexpr std::string_view kIdeSection = "Microsoft Visual Basic";
inline constexpr std::string_view kIdeTabWidthKey = "TabWidth";

}  // namespace qv::settings
