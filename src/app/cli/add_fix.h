#pragma once
// What 'qvaddin add --routine' would write for one routine, worked out
// without changing anything: the add command runs at the routine's
// declaration as it would from the command line, the module's file is
// rendered as a save would write it, and the module is put back exactly as
// it was. Check offers the difference as the routine's fix.

#include <optional>
#include <string>

#include "app/cli/project_target.h"
#include "settings/settings_record.h"

namespace qv::cli {

// A module file's bytes now and after the change.
struct FileChange {
    std::string before;
    std::string after;
    text::CodePage codePage{};  // the file's, which both are written in
};

struct AddFix {
    std::optional<FileChange> change;  // none when the add command refuses or changes nothing
    std::string failure;               // an error that stopped the add command ("" when none)
};

// copy: which copy of a routine defined more than once (the command runs at
// that copy's declaration).
AddFix AddHandlerFix(LoadedTarget& target, host::memory::MemoryComponent& component,
                     const std::string& routine, int kind, long copy,
                     const settings::SettingsRecord& settings);

}  // namespace qv::cli
