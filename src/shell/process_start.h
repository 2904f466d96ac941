#pragma once
// The add-in's process start (Sub Main): name the settings store, make the
// add-in known to the IDE through the add-in list file, and bring settings
// stored by an older version up to date. The command-line tool runs the same
// start without the registration, which it does on request.

#include <string>
#include <string_view>

namespace qv::shell {

// The IDE's add-in list: vbaddin.ini in the workbench's configuration folder
// ($XDG_CONFIG_HOME/qvaddin-workbench/), section "Add-Ins32".
inline constexpr std::string_view kAddInListFileName = "vbaddin.ini";
inline constexpr std::string_view kAddInListFolder = "qvaddin-workbench";
inline constexpr std::string_view kAddInListSection = "Add-Ins32";
inline constexpr std::string_view kAddInKey = "qvAddIn2vb5.Connect";
// The entry of the add-in's previous generation, removed on registration.
inline constexpr std::string_view kPreviousAddInKey = "qvAddIn2.ErrorHandle";

std::string AddInListPath();

struct Registration {
    bool previousEntryRemoved = false;  // the previous generation's key was there
    bool fileWritten = false;           // false: the file held the entry already
};

// Deletes the previous generation's key from the add-in list, then writes
// the add-in's key with the value "1"; every other line stays. Raises error
// 70 naming the file when it cannot be read or written.
Registration RegisterAddIn();

// The registration of the process start: as RegisterAddIn, except that an
// entry set to "0" (the add-in manager's Load on Startup turned off) stays
// "0". The workbench is the IDE and the add-in's process in one, so it runs
// the process start every time it starts; writing "1" there would take the
// user's choice back.
Registration RegisterAddInAtStart();

// What the registration would change, without writing anything.
Registration RegistrationPreview();

// Sub Main: names the store, registers the add-in (keeping a "0" the user
// chose), upgrades stored settings.
// Every step runs with its errors ignored.
void SubMain() noexcept;

// The command line's start: Sub Main without the registration.
void CommandLineStart() noexcept;

}  // namespace qv::shell
