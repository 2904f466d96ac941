#pragma once
// Writing a loaded target back: only the module files whose bytes would
// change, as one batch of atomic writes; a read-only module, a file with
// several names and a file that another program changed since it was
// loaded are refused, and then nothing is written. The preview shows the
// same changes as a unified diff and refuses what the save would refuse.

#include <functional>
#include <string>
#include <vector>

#include "host/files/workspace_saver.h"
#include "platform/code_page.h"
#include "workspace/loaded_target.h"

namespace qv::workspace {

// An attribute line of a member that is no longer declared: it is left out
// of the file written.
struct DroppedAttribute {
    std::string path;
    std::string line;
    text::CodePage codePage{};  // the module's, which the line is written in
};

// The unified diff of one file that a save would change: its lines are the
// file's bytes, in the module's code page.
struct FileDiff {
    std::string path;
    std::string diff;
    text::CodePage codePage{};
    // A staged preview's diff is not in diff but read back from its staging
    // (which must outlive it) when it is wanted.
    const host::files::ModuleStaging* staging = nullptr;
    host::files::TextSpill::Piece spilled;
    std::string Text() const { return staging != nullptr ? staging->DiffText(spilled) : diff; }
};

struct SaveResult {
    std::vector<std::string> paths;  // the files written (or, in a preview, that would be)
    std::vector<DroppedAttribute> dropped;
    std::vector<FileDiff> diffs;  // the preview's, file by file; none for a save
    std::string error;            // "": done; else nothing was written, and why (the file named)
    bool Ok() const { return error.empty(); }
};

// Asked for each file to be written that another program changed since it
// was loaded or last saved: true to overwrite it anyway.
using OverwriteChanged = std::function<bool(const std::string& path)>;

// Writes every changed module. A file another program changed is refused
// unless overwrite says otherwise. What was written is what the next save
// compares with.
SaveResult SaveChanges(LoadedTarget& target, const OverwriteChanged& overwrite = {});

// SaveChanges without the question, for a caller that neither saves nor
// renders the target again (a command-line run, which ends after it): the
// same files are written with the same refusals, but each module's new
// text is rendered and written in turn instead of the whole target's being
// held at once, and the files keep the bytes they were read with.
SaveResult SaveChangesOnce(LoadedTarget& target);

// SaveChangesOnce for a command-line run that staged each module as soon as
// it was done with it (and let its code go): the staged modules and every
// other changed one are written, with the same refusals in the same order.
SaveResult SaveChangesOnce(LoadedTarget& target, host::files::ModuleStaging& staging);

// Writes nothing: the diff of every module that would change, with a/ and
// b/ in front of relative paths, in the order of the paths.
SaveResult PreviewChanges(LoadedTarget& target);

// PreviewChanges for a command-line run that staged each module with
// DiffOf as soon as it was done with it (and let its code go): the same
// diffs and refusals, without the whole target's new text or diffs held at
// once (each diff's Text is read back from the staging).
SaveResult PreviewChanges(LoadedTarget& target, host::files::ModuleStaging& staging);

// The diff PreviewChanges shows for a file whose new bytes are newBytes.
std::string DiffOf(const host::files::ModuleFile& file, const std::string& newBytes);

}  // namespace qv::workspace
