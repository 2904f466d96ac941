#pragma once
// Bringing settings stored by an older version up to date at process start,
// and recording the running version.

#include <string>
#include <string_view>

namespace qv::settings {

struct ProgramVersion {
    int major;
    int minor;
    int revision;
};

// The version of this build (the project version).
ProgramVersion RunningVersion();
// "major.minor.revision" in plain decimal.
std::string VersionText(const ProgramVersion& version);

// The twelve-digit key of a stored version text: "" unless it has exactly
// three parts separated by "."; each numeric part with at least four digits
// ("4.3.0" gives "000400030000"); the running version's key when a part is
// not numeric.
std::string VersionKey(std::string_view version);

// Reads the stored version (the older location first, then the version
// marker), upgrades the stored settings by the version key, clears the older
// location, and stores the running version. Every step runs with its errors
// ignored, so this never fails.
void UpgradeSettings() noexcept;

}  // namespace qv::settings
