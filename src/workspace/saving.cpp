#include "workspace/saving.h"

#include <filesystem>
#include <stdexcept>

#include "host/files/diff_label.h"
#include "host/files/file_error.h"
#include "host/files/unified_diff.h"
#include "host/files/workspace_saver.h"
#include "platform/native_path.h"
#include "platform/regular_file.h"

namespace qv::workspace {

namespace {

text::CodePage PageOf(const host::files::ModuleFile& file) {
    return file.component != nullptr ? file.component->TextCodePage() : text::CodePage();
}

std::vector<DroppedAttribute> DroppedOf(const std::vector<host::files::FileChange>& changes) {
    std::vector<DroppedAttribute> dropped;
    for (const auto& change : changes) {
        for (const std::string& line : change.dropped) {
            dropped.push_back({change.file->path, line, PageOf(*change.file)});
        }
    }
    return dropped;
}

std::vector<FileDiff> DiffsOf(const std::vector<host::files::FileChange>& changes) {
    std::vector<FileDiff> diffs;
    for (const auto& change : changes) {
        diffs.push_back({change.file->path, DiffOf(*change.file, change.newBytes),
                         PageOf(*change.file), nullptr, {}});
    }
    return diffs;
}

enum class Mode { Write, WriteOnce, Preview };

// The target's own (writable) record of a file that a change names.
host::files::ModuleFile& Writable(LoadedTarget& target, const host::files::ModuleFile* file) {
    for (const auto& f : target.Files().Files()) {
        if (f.get() == file) return *f;
    }
    throw std::logic_error("a change names a file the workspace does not hold");
}

// The bytes a file was read with, kept while a write that agreed to
// overwrite another program's change is under way.
struct AdoptedBytes {
    host::files::ModuleFile* file;
    std::shared_ptr<const std::string> readWith;
};

// The files whose owner lets them be overwritten take the bytes on disk as
// the ones they were read with (after the new bytes were rendered from the
// old), so that the write goes ahead. Returns what they were read with.
std::vector<AdoptedBytes> AdoptChangedOnDisk(LoadedTarget& target,
                                             const std::vector<host::files::FileChange>& changes,
                                             const OverwriteChanged& overwrite) {
    std::vector<AdoptedBytes> adopted;
    if (!overwrite) return adopted;
    for (const auto& change : changes) {
        std::string onDisk;
        file::Kind kind = file::Kind::Missing;
        if (!file::ReadRegularFile(change.file->path, onDisk, kind, target.Files().LargestFile()) ||
            onDisk == *change.file->bytes) {
            continue;
        }
        if (overwrite(change.file->path)) {
            host::files::ModuleFile& file = Writable(target, change.file);
            adopted.push_back({&file, file.bytes});
            file.bytes = std::make_shared<const std::string>(std::move(onDisk));
        }
    }
    return adopted;
}

// A write that failed leaves the files as they were read: the next save asks
// again before it overwrites the other program's change.
void ForgetAdopted(const std::vector<AdoptedBytes>& adopted) {
    for (const AdoptedBytes& a : adopted) a.file->bytes = a.readWith;
}

// What was written is what the files hold now. The new bytes move over, as
// nothing reads them after the write: a copy of a whole project's text would
// cost a project-wide command time and memory.
void TakeWrittenBytes(LoadedTarget& target, std::vector<host::files::FileChange>& changes) {
    for (auto& change : changes) {
        Writable(target, change.file).bytes =
            std::make_shared<const std::string>(std::move(change.newBytes));
    }
}

SaveResult Save(LoadedTarget& target, Mode mode, const OverwriteChanged& overwrite = {},
                host::files::ModuleStaging* staging = nullptr) {
    SaveResult result;
    std::vector<host::files::FileChange> changes;
    try {
        if (mode == Mode::WriteOnce) {
            try {
                if (staging != nullptr) {
                    staging->Write(changes);
                } else {
                    host::files::WritePendingChanges(target.Files(), changes);
                }
            } catch (const host::files::FileError&) {
                // A refused write tells the dropped lines of the changes
                // found, as the other saves do.
                result.dropped = DroppedOf(changes);
                throw;
            }
            result.dropped = DroppedOf(changes);
        } else if (mode == Mode::Preview && staging != nullptr) {
            std::vector<host::files::TextSpill::Piece> texts;
            try {
                staging->Diffs(changes, texts);
            } catch (const host::files::FileError&) {
                // A refusal still tells the dropped lines of the changes
                // found (none when they could not all be found).
                result.dropped = DroppedOf(changes);
                throw;
            }
            result.dropped = DroppedOf(changes);
            for (size_t i = 0; i < changes.size(); ++i) {
                result.diffs.push_back(
                    {changes[i].file->path, {}, PageOf(*changes[i].file), staging, texts[i]});
            }
        } else {
            changes = host::files::PendingChanges(target.Files());
            result.dropped = DroppedOf(changes);
            if (mode == Mode::Preview) {
                host::files::RefuseUnwritable(changes);
                result.diffs = DiffsOf(changes);
            } else {
                const std::vector<AdoptedBytes> adopted =
                    AdoptChangedOnDisk(target, changes, overwrite);
                try {
                    host::files::WriteChanges(changes);
                } catch (const host::files::FileError&) {
                    ForgetAdopted(adopted);
                    throw;
                }
                TakeWrittenBytes(target, changes);
            }
        }
    } catch (const host::files::FileError& e) {
        result.error = e.what();
        return result;
    }
    for (const auto& change : changes) result.paths.push_back(change.file->path);
    return result;
}

}  // namespace

SaveResult SaveChanges(LoadedTarget& target, const OverwriteChanged& overwrite) {
    return Save(target, Mode::Write, overwrite);
}

SaveResult SaveChangesOnce(LoadedTarget& target) {
    return Save(target, Mode::WriteOnce);
}

SaveResult SaveChangesOnce(LoadedTarget& target, host::files::ModuleStaging& staging) {
    return Save(target, Mode::WriteOnce, {}, &staging);
}

SaveResult PreviewChanges(LoadedTarget& target) {
    return Save(target, Mode::Preview);
}

SaveResult PreviewChanges(LoadedTarget& target, host::files::ModuleStaging& staging) {
    return Save(target, Mode::Preview, {}, &staging);
}

std::string DiffOf(const host::files::ModuleFile& file, const std::string& newBytes) {
    const std::string& path = file.path;
    // "C:\x" and "\\server\x" are as absolute on Windows as "/x" is
    // everywhere: only a relative path takes git's "a/" and "b/".
    const std::filesystem::path native = file::NativePath(path);
    const bool relative = !path.empty() && !native.has_root_name() && !native.has_root_directory();
    return host::files::UnifiedDiff(*file.bytes, newBytes,
                                    host::files::DiffLabel(relative ? "a/" : "", path),
                                    host::files::DiffLabel(relative ? "b/" : "", path));
}

}  // namespace qv::workspace
