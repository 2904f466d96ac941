#include "host/files/workspace_saver.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <unordered_set>

#include "host/files/file_error.h"
#include "host/files/file_io.h"
#include "host/files/file_io_system.h"
#include "host/files/module_file.h"
#include "host/files/module_writer.h"
#include "host/files/temp_files.h"
#include "host/files/text_lines.h"
#include "platform/code_page.h"
#include "platform/native_path.h"
#include "platform/regular_file.h"
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

// Another program wrote the file after it was read: its bytes differ from
// those read (a new time alone, a touch or a checkout of the same bytes, is
// no change; the same size with the time put back is one). A file grown
// past what was read is changed: it is not read further.
bool ChangedOnDisk(const ModuleFile& file) {
    std::string bytes;
    file::Kind kind = file::Kind::Missing;
    return !file::ReadRegularFile(file.path, bytes, kind, file.bytes->size()) ||
           bytes != *file.bytes;
}

// Read-only modules and files with several names are refused before
// anything is written. A staged file's names were counted when it was
// staged (a file of several names is not staged), and the batch counts them
// again once every file is staged, right before the first replacement:
// with that later count, one here would find nothing more, so it is not
// made for such a file (the other refusals here come first, as before).
void RefuseReadOnlyAndLinked(const std::vector<FileChange>& changes) {
    for (const FileChange& change : changes) {
        if (change.readOnly) {
            throw FileError(change.file->path, 0,
                            "the module " +
                                text::ToUtf8(change.file->component->Name(),
                                             change.file->component->TextCodePage()) +
                                " is read-only, so it was not changed (nor any other file); "
                                "make it writable (check it out) and run again");
        }
        if (change.staged) continue;
        if (const std::string problem = HardLinkProblem(change.file->path); !problem.empty()) {
            throw FileError(change.file->path, 0, problem);
        }
    }
}

// What the reader would refuse is never written: a NUL byte, or a line
// longer than a module line may be (a template, or a line the code made
// longer, could make one). The header is written as it was read.
void RefuseUnreadable(const ModuleFile& file, const std::string& bytes) {
    if (const void* nul = std::memchr(bytes.data(), '\0', bytes.size())) {
        const auto at = static_cast<size_t>(static_cast<const char*>(nul) - bytes.data());
        const auto line = static_cast<long>(std::count(bytes.begin(), bytes.begin() + at, '\n'));
        throw FileError(file.path, line + 1,
                        "this line would hold a NUL byte, which no module file may hold, so "
                        "nothing was written");
    }
    // One pass tells whether any line is too long; only then are the lines
    // split to name it.
    if (!AnyLineLongerThan(bytes, kLongestLine)) return;
    const std::vector<std::string_view> lines = SplitFileLines(bytes).lines;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].size() > kLongestLine) {
            throw FileError(file.path, static_cast<long>(i) + 1,
                            "this line would be " + std::to_string(lines[i].size()) +
                                " bytes long, and a module line may be at most " +
                                LongestLineText() +
                                ", so nothing was written (the module could not be read "
                                "again); shorten the templates or the line");
        }
    }
}

}  // namespace

namespace {

// The text of the several-projects refusal.
FileError ChangedDifferently(const ModuleFile& file) {
    return FileError(file.path, 0,
                     "this module is in several projects of the group and was changed "
                     "differently in them; change it in one project only (--project)");
}

}  // namespace

namespace {

// The edited modules whose rendered text differs from what was read, each
// file once: a file that several projects of a group share must come out
// the same from each. When stage is given, each change's new bytes go to
// it at once, and are kept afterwards only for a file that more than one
// edited module has, until its copies are compared. The files in early were
// rendered and staged before (their code is gone): what they left is taken
// in their place in the order of the files, and told to staged.
// identities, when given, holds each file's FileIdentity, taken before.
// StageBytes: true when the bytes are staged in a batch that writes them.
using StageBytes = std::function<bool(const ModuleFile&, const std::string&)>;
using StagedFiles = std::map<const ModuleFile*, ModuleStaging::Staged>;
using Identities = std::map<const ModuleFile*, std::string>;
std::vector<FileChange> CollectChanges(
    const Workspace& workspace, const StageBytes& stage = {}, const StagedFiles* early = nullptr,
    const std::function<void(const ModuleStaging::Staged&)>& staged = {},
    const Identities* identities = nullptr) {
    const auto earlyOf = [early](const ModuleFile* file) -> const ModuleStaging::Staged* {
        if (early == nullptr) return nullptr;
        const auto it = early->find(file);
        return it != early->end() ? &it->second : nullptr;
    };
    std::vector<std::pair<const ModuleFile*, std::string>> edited;
    std::map<std::string, int> copies;
    for (const auto& file : workspace.Files()) {
        if (earlyOf(file.get()) == nullptr && !ModuleEdited(*file)) continue;
        const auto known = identities != nullptr ? identities->find(file.get())
                                                 : Identities::const_iterator();
        edited.emplace_back(file.get(), identities != nullptr && known != identities->end()
                                            ? known->second
                                            : FileIdentity(file->path));
        ++copies[edited.back().second];
    }
    std::vector<FileChange> changes;
    std::map<std::string, size_t> byIdentity;
    for (const auto& [file, identity] : edited) {
        if (const ModuleStaging::Staged* done = earlyOf(file)) {
            // Staged only when no other file of the workspace is this one.
            if (!done->changed) continue;
            if (done->unreadable) throw *done->unreadable;
            byIdentity.emplace(identity, changes.size());
            if (staged) staged(*done);
            changes.push_back({file, {}, done->readOnly, done->dropped, done->inBatch});
            continue;
        }
        RenderedModule rendered = RenderModuleFile(*file);
        if (rendered.bytes == *file->bytes) continue;
        RefuseUnreadable(*file, rendered.bytes);
        auto seen = byIdentity.find(identity);
        if (seen != byIdentity.end()) {
            if (changes[seen->second].newBytes != rendered.bytes) throw ChangedDifferently(*file);
            continue;
        }
        byIdentity.emplace(identity, changes.size());
        bool inBatch = false;
        if (stage) {
            inBatch = stage(*file, rendered.bytes);
            // (Swapped out: an assignment of an empty string keeps the buffer.)
            if (copies[identity] < 2) std::string().swap(rendered.bytes);
        }
        changes.push_back({file, std::move(rendered.bytes), AnyFileReadOnly(*file->component),
                           std::move(rendered.dropped), inBatch});
    }
    return changes;
}

// Stages a file's new bytes into the batch; the first failure is kept (and
// nothing more is staged after it), to be thrown after the refusals that
// come before it.
StageBytes StageInto(AtomicWriteBatch& batch, std::optional<FileError>& failure) {
    return [&batch, &failure](const ModuleFile& file, const std::string& bytes) {
        if (failure) return false;
        try {
            batch.Stage(file.path, bytes, file.bytes);
            return true;
        } catch (const FileError& e) {
            failure = e;
            return false;
        }
    };
}

// The changes found, without their new bytes; then the refusals of the
// whole batch, the failure of a staging, and the write.
void WriteStaged(AtomicWriteBatch& batch, std::vector<FileChange> changes,
                 std::vector<FileChange>& found, const std::optional<FileError>& failure) {
    for (FileChange& change : changes) std::string().swap(change.newBytes);
    found = std::move(changes);
    RefuseReadOnlyAndLinked(found);
    if (failure) throw *failure;
    batch.Commit();
}

}  // namespace

std::vector<FileChange> PendingChanges(const Workspace& workspace) { return CollectChanges(workspace); }

void WritePendingChanges(const Workspace& workspace, std::vector<FileChange>& found) {
    AtomicWriteBatch batch;
    // A file that cannot be staged is reported after the refusals that
    // come first when everything is rendered before anything is written.
    std::optional<FileError> stageFailure;
    std::vector<FileChange> changes = CollectChanges(workspace, StageInto(batch, stageFailure));
    WriteStaged(batch, std::move(changes), found, stageFailure);
}

namespace {

// Every file of the workspace is in one project read from its project
// file, whose load let no file in twice (one listed again, under whatever
// path, is passed over): each is a file of its own, told apart by its
// place, with no need to ask the file system which files are one. Loose
// module files, or files of several projects, may be one. (Should two of
// the paths become one file since the load, a link or a name swapped in,
// the write still refuses it: the file then has several names, or does not
// hold what was read from the other path.)
bool OneProjectFromItsFile(const Workspace& workspace) {
    const memory::MemoryProject* one = nullptr;
    for (const auto& file : workspace.Files()) {
        if (file->component == nullptr) return false;
        const auto& project =
            static_cast<const memory::MemoryProject&>(file->component->Collection().Parent());
        if (one != nullptr && one != &project) return false;
        one = &project;
    }
    return one != nullptr && !one->FileName().empty();
}

}  // namespace

ModuleStaging::ModuleStaging(const Workspace& workspace, Preview preview)
    : workspace_(workspace), preview_(std::move(preview)) {
    std::map<std::string, int> copies;
    std::vector<std::pair<const ModuleFile*, std::string>> identities;
    // Files each their own are told apart by their place in the workspace
    // (a short key, where a path would be long to compare).
    const bool eachOwn = OneProjectFromItsFile(workspace);
    for (const auto& file : workspace.Files()) {
        identities.emplace_back(file.get(), eachOwn ? "#" + std::to_string(identities.size())
                                                    : FileIdentity(file->path));
        ++copies[identities.back().second];
    }
    // Each file's count and identity kept by file: staging and writing ask
    // the file system no more.
    for (const auto& [file, identity] : identities) {
        copies_[file] = copies[identity];
        identities_[file] = identity;
    }
}

ModuleStaging::~ModuleStaging() = default;

bool ModuleStaging::Stage(const ModuleFile& file) {
    if (staged_.count(&file) != 0) return true;
    if (const auto copies = copies_.find(&file); copies != copies_.end() && copies->second > 1) {
        return false;
    }
    if (!ModuleEdited(file)) return true;  // nothing to write
    Staged& staged = staged_[&file];
    RenderedModule rendered = RenderModuleFile(file);
    if (rendered.bytes == *file.bytes) return true;
    staged.changed = true;
    try {
        RefuseUnreadable(file, rendered.bytes);
    } catch (const FileError& e) {
        staged.unreadable = e;
        return true;
    }
    if (preview_) {
        std::string diff = preview_(file, rendered.bytes);
        // The new text goes before the diff is kept: the three are not held together longer.
        std::string().swap(rendered.bytes);
        staged.diff = spill_.Keep(std::move(diff));
    } else {
        try {
            batch_.Stage(file.path, rendered.bytes, file.bytes);
            staged.inBatch = true;
        } catch (const FileError& e) {
            staged.failure = e;
        }
    }
    staged.readOnly = AnyFileReadOnly(*file.component);
    staged.dropped = std::move(rendered.dropped);
    return true;
}

void ModuleStaging::Write(std::vector<FileChange>& found) {
    std::optional<FileError> stageFailure;
    const StageBytes stage = StageInto(batch_, stageFailure);
    std::vector<FileChange> changes =
        CollectChanges(
            workspace_, stage, &staged_,
            [&stageFailure](const Staged& staged) {
                if (!stageFailure && staged.failure) stageFailure = staged.failure;
            },
            &identities_);
    WriteStaged(batch_, std::move(changes), found, stageFailure);
}

void ModuleStaging::Diffs(std::vector<FileChange>& found, std::vector<TextSpill::Piece>& diffs) {
    // The files left for now (those several projects share) are diffed as
    // they are found; the others were when they were staged.
    std::map<const ModuleFile*, TextSpill::Piece> late;
    const StageBytes diff = [this, &late](const ModuleFile& file, const std::string& bytes) {
        late[&file] = spill_.Keep(preview_(file, bytes));
        return false;  // diffed, not staged
    };
    std::vector<FileChange> changes = CollectChanges(workspace_, diff, &staged_, {}, &identities_);
    for (FileChange& change : changes) std::string().swap(change.newBytes);
    found = std::move(changes);
    RefuseUnwritable(found);
    diffs.clear();
    diffs.reserve(found.size());
    for (const FileChange& change : found) {
        const auto early = staged_.find(change.file);
        diffs.push_back(early != staged_.end() ? early->second.diff : late[change.file]);
    }
}

void RefuseUnwritable(const std::vector<FileChange>& changes) {
    RefuseReadOnlyAndLinked(changes);
    for (const FileChange& change : changes) {
        if (ChangedOnDisk(*change.file)) {
            throw FileError(change.file->path, 0,
                            "the file was changed by another program after it was read, so "
                            "nothing was written; run the command again");
        }
    }
}

void WriteChanges(const std::vector<FileChange>& changes) {
    RefuseReadOnlyAndLinked(changes);
    AtomicWriteBatch batch;
    for (const FileChange& change : changes) {
        batch.Stage(change.file->path, change.newBytes, change.file->bytes);
    }
    batch.Commit();
}

namespace {

namespace fs = std::filesystem;

// A folder of at least this many of the files is listed once to tell which
// of them are symbolic links; fewer are looked at one by one.
constexpr size_t kListedFrom = 16;

// The names in folder that are no symbolic link, from one reading of its
// listing (which tells each entry's kind) instead of a look at each file.
// A name left out (the listing failed, or could not tell) is looked at by
// itself.
std::unordered_set<std::string> NamesNotLinks(const fs::path& folder) {
    std::unordered_set<std::string> names;
    std::error_code ec;
    fs::directory_iterator entries(folder.empty() ? fs::path(".") : folder, ec);
    for (; !ec && entries != fs::directory_iterator(); entries.increment(ec)) {
        std::error_code kindError;
        if (!entries->is_symlink(kindError) && !kindError) {
            names.insert(file::Utf8Path(entries->path().filename()));
        }
    }
    return names;
}

// The folder a temporary file for path stands in: that of the file a
// symbolic link leads to.
std::string TempFolderOf(const std::string& path) {
    return file::Utf8Path(file::NativePath(write_detail::RealTarget(path)).parent_path());
}

}  // namespace

std::vector<std::string> RemoveLeftoverTempFiles(Workspace& workspace) {
    // The files by their folder as written.
    std::map<std::string, std::vector<std::string>> byFolder;
    auto add = [&byFolder](const std::string& path) {
        byFolder[file::Utf8Path(file::NativePath(path).parent_path())].push_back(path);
    };
    for (const auto& file : workspace.Files()) add(file->path);
    auto& projects = workspace.Vbe().Projects();
    for (long i = 1; i <= projects.Count(); ++i) {
        if (!projects.At(i).FileName().empty()) add(projects.At(i).FileName());
    }
    std::set<std::string> folders;
    for (const auto& [folder, paths] : byFolder) {
        const std::unordered_set<std::string> plain =
            paths.size() >= kListedFrom ? NamesNotLinks(file::NativePath(folder))
                                        : std::unordered_set<std::string>();
        for (const std::string& path : paths) {
            const bool notLink = plain.count(file::Utf8Path(file::NativePath(path).filename())) != 0;
            folders.insert(notLink ? folder : TempFolderOf(path));
        }
    }
    std::vector<std::string> removed;
    for (const std::string& folder : folders) {
        for (const std::string& name : RemoveLeftoverTempFiles(folder)) {
            removed.push_back(file::Utf8Path(file::NativePath(folder) / file::NativePath(name)));
        }
    }
    return removed;
}

}  // namespace qv::host::files
