#include "host/files/workspace_saver.h"

#include <sys/stat.h>

#include <map>

#include "host/files/file_error.h"
#include "host/files/file_io.h"
#include "host/files/module_writer.h"
#include "platform/services.h"

namespace qv::host::files {

namespace {

bool AnyFileReadOnly(const memory::MemoryComponent& component) {
    for (int i = 1; i <= component.FileCount(); ++i) {
        try {
            if (GetServices().FileIsReadOnly(component.FileNames(i))) return true;
        } catch (...) {
            // A file that cannot be examined (gone since the load) is not
            // the read-only case; writing it will report the problem.
        }
    }
    return false;
}

// Another program wrote the file after it was read. A new time alone (a
// touch, a checkout of the same bytes) is no change.
bool ChangedOnDisk(const ModuleFile& file) {
    long long modified = 0, size = 0;
    if (!FileStamp(file.path, modified, size)) return false;  // gone: writing will say so
    if (modified == file.modifiedNanoseconds && size == file.size) return false;
    try {
        return *ReadWholeFile(file.path) != *file.bytes;
    } catch (const FileError&) {
        return false;
    }
}

}  // namespace

std::vector<FileChange> PendingChanges(const Workspace& workspace) {
    std::vector<FileChange> changes;
    std::map<std::string, size_t> byIdentity;
    for (const auto& file : workspace.Files()) {
        if (!ModuleEdited(*file)) continue;
        RenderedModule rendered = RenderModuleFile(*file);
        if (rendered.bytes == *file->bytes) continue;
        const std::string identity = FileIdentity(file->path);
        auto seen = byIdentity.find(identity);
        if (seen != byIdentity.end()) {
            if (changes[seen->second].newBytes != rendered.bytes) {
                throw FileError(file->path, 0,
                                "this module is in several projects of the group and was "
                                "changed differently in them; change it in one project only "
                                "(--project)");
            }
            continue;
        }
        byIdentity.emplace(identity, changes.size());
        changes.push_back({file.get(), std::move(rendered.bytes), AnyFileReadOnly(*file->component),
                           std::move(rendered.dropped)});
    }
    return changes;
}

void RefuseUnwritable(const std::vector<FileChange>& changes) {
    for (const FileChange& change : changes) {
        if (change.readOnly) {
            throw FileError(change.file->path, 0,
                            "the module " + change.file->component->Name() +
                                " is read-only, so it was not changed (nor any other file); "
                                "make it writable (check it out) and run again");
        }
        if (ChangedOnDisk(*change.file)) {
            throw FileError(change.file->path, 0,
                            "the file was changed by another program after it was read, so "
                            "nothing was written; run the command again");
        }
    }
}

void WriteChanges(const std::vector<FileChange>& changes) {
    RefuseUnwritable(changes);
    AtomicWriteBatch batch;
    for (const FileChange& change : changes) batch.Stage(change.file->path, change.newBytes);
    batch.Commit();
}

}  // namespace qv::host::files
