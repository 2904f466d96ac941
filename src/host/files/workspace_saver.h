#pragma once
// Writing a workspace back: only the module files whose bytes would change,
// each atomically; a read-only file is never written.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/files/file_error.h"
#include "host/files/file_io.h"
#include "host/files/text_spill.h"
#include "host/files/workspace.h"

namespace qv::host::files {

struct FileChange {
    const ModuleFile* file = nullptr;
    std::string newBytes;
    bool readOnly = false;             // one of the component's files cannot be written
    std::vector<std::string> dropped;  // attribute lines of members that are gone
    // Its new file is staged in the batch that writes it, whose commit
    // counts the file's names again right before replacing anything.
    bool staged = false;
};

// Every module whose file would change. The same file loaded in several
// projects of a group counts once; when its copies were changed
// differently, throws FileError (nothing can be written safely). A file
// that could not be read again (a line too long, a NUL byte) throws too.
std::vector<FileChange> PendingChanges(const Workspace& workspace);

// Throws FileError naming the first change that must not be written: a
// read-only module, a file with several names (hard links), or a file that
// another program changed after it was read (what a dry run refuses).
void RefuseUnwritable(const std::vector<FileChange>& changes);

// Writes the changes as one batch. Throws FileError before writing anything
// when one of them is read-only or has several names, and when a write
// fails: a failure while the new files are written and flushed leaves every
// original as it was. A file that another program changed after it was read
// is never overwritten (see AtomicWriteBatch).
void WriteChanges(const std::vector<FileChange>& changes);

// PendingChanges and WriteChanges in one, with the same refusals in the
// same order, for a caller that needs the new bytes no longer once they
// are written: each module's new bytes are rendered and go to their
// temporary file in turn, so that only one module's new text is held at a
// time (a project-wide command would otherwise hold the whole project's
// new text at once). The changes are put in `changes` (without their new
// bytes) once every module is rendered, before anything that the writing
// refuses is thrown, as PendingChanges would return them. The temporary
// files made before a refusal are removed again.
void WritePendingChanges(const Workspace& workspace, std::vector<FileChange>& changes);

// WritePendingChanges for a run that is done with each module before it
// starts the next (a project-wide command): each module's new bytes go to
// their temporary file as soon as its run ends, and what the save must
// know of it is kept (whether it changed, the refusals it meets, its
// dropped attribute lines), so that its code can be let go. Write then
// writes the batch as WritePendingChanges would, with the same refusals
// in the same order (the order of the workspace's files). Nothing is
// written without Write: the temporary files go with the object.
//
// A staging made with a preview (a dry run's) writes nothing: each module's
// diff is made in place of its temporary file and goes to a spill (so that
// a project's diffs are not held at once), and Diffs gives them.
class ModuleStaging {
  public:
    // The diff of a file's change, for a staging that writes nothing.
    using Preview = std::function<std::string(const ModuleFile& file, const std::string& newBytes)>;

    explicit ModuleStaging(const Workspace& workspace, Preview preview = {});
    ~ModuleStaging();
    ModuleStaging(const ModuleStaging&) = delete;
    ModuleStaging& operator=(const ModuleStaging&) = delete;

    // The file's module will not change any more: stages its new bytes
    // when they differ from those read. True when its code is needed no
    // more; false for a file that several projects of a group share, which
    // is left for Write (its copies are compared then).
    bool Stage(const ModuleFile& file);
    // The files staged and every other edited one, as WritePendingChanges.
    void Write(std::vector<FileChange>& changes);
    // For a staging made with a preview: the changes (as Write finds them)
    // and their diffs in the same order (read back with DiffText), after
    // the refusals of RefuseUnwritable; nothing is written.
    void Diffs(std::vector<FileChange>& changes, std::vector<TextSpill::Piece>& diffs);
    std::string DiffText(TextSpill::Piece diff) const { return spill_.Read(diff); }

    // What a staged file left for Write.
    struct Staged {
        bool changed = false;
        std::optional<FileError> unreadable;  // thrown when Write reaches the file
        std::optional<FileError> failure;     // staging failed
        bool inBatch = false;                 // its new file is staged
        bool readOnly = false;
        std::vector<std::string> dropped;
        TextSpill::Piece diff;  // a preview's
    };

  private:
    const Workspace& workspace_;
    Preview preview_;
    AtomicWriteBatch batch_;
    std::map<const ModuleFile*, int> copies_;  // how many files of the workspace are this one
    std::map<const ModuleFile*, std::string> identities_;  // FileIdentity of each
    std::map<const ModuleFile*, Staged> staged_;
    TextSpill spill_;  // a preview's diffs
};

// Removes the temporary files that a run killed while writing left next to
// the workspace's files (see temp_files.h for what counts as one); returns
// their paths.
std::vector<std::string> RemoveLeftoverTempFiles(Workspace& workspace);

}  // namespace qv::host::files
