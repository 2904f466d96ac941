#include "workspace/saving.h"

#include "host/files/file_error.h"
#include "host/files/unified_diff.h"
#include "host/files/workspace_saver.h"

namespace qv::workspace {

namespace {

std::vector<DroppedAttribute> DroppedOf(const std::vector<host::files::FileChange>& changes) {
    std::vector<DroppedAttribute> dropped;
    for (const auto& change : changes) {
        for (const std::string& line : change.dropped) {
            dropped.push_back({change.file->path, line});
        }
    }
    return dropped;
}

std::string DiffOf(const std::vector<host::files::FileChange>& changes) {
    std::string diff;
    for (const auto& change : changes) {
        const std::string& path = change.file->path;
        const bool relative = !path.empty() && path.front() != '/';
        diff += host::files::UnifiedDiff(*change.file->bytes, change.newBytes,
                                         relative ? "a/" + path : path,
                                         relative ? "b/" + path : path);
    }
    return diff;
}

enum class Mode { Write, Preview };

SaveResult Save(LoadedTarget& target, Mode mode) {
    SaveResult result;
    std::vector<host::files::FileChange> changes;
    try {
        changes = host::files::PendingChanges(target.Files());
        result.dropped = DroppedOf(changes);
        if (mode == Mode::Preview) {
            host::files::RefuseUnwritable(changes);
            result.diff = DiffOf(changes);
        } else {
            host::files::WriteChanges(changes);
        }
    } catch (const host::files::FileError& e) {
        result.error = e.what();
        return result;
    }
    for (const auto& change : changes) result.paths.push_back(change.file->path);
    return result;
}

}  // namespace

SaveResult SaveChanges(LoadedTarget& target) {
    return Save(target, Mode::Write);
}

SaveResult PreviewChanges(LoadedTarget& target) {
    return Save(target, Mode::Preview);
}

}  // namespace qv::workspace
