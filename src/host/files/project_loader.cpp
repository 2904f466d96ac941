#include "host/files/project_loader.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "host/files/file_error.h"
#include "host/files/file_io.h"
#include "host/files/module_loader.h"
#include "host/files/module_reading.h"
#include "host/files/project_file.h"
#include "host/files/vb_path.h"
#include "platform/native_path.h"
#include "platform/regular_file.h"
#include "platform/code_page.h"
#include "platform/text.h"

namespace qv::host::files {

namespace {

namespace fs = std::filesystem;

std::string Extension(const std::string& path) {
    return text::ToLower(file::Utf8Path(file::NativePath(path).extension()));
}

std::string FolderOf(const std::string& path) {
    return file::Utf8Path(file::NativePath(path).parent_path());
}

std::string Located(const std::string& path, long line) {
    return path + ":" + std::to_string(line);
}

// The project a folder of loose modules stands for is named after it.
std::string FolderProjectName(const std::string& folder) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(file::NativePath(folder.empty() ? "." : folder), ec).lexically_normal();
    std::string name = file::Utf8Path(absolute.filename());
    if (name.empty()) name = file::Utf8Path(absolute.parent_path().filename());
    return name.empty() ? "Project1" : name;
}

// A name taken from the file system is UTF-8 here (unless the disk holds
// the bytes of another code page).
text::CodePage NameCodePage(std::string_view name, text::CodePage run) {
    return text::CodePageOfFile(name, run);
}

// Projects are found by name (the engines ask for a project by its name),
// so a project whose name is taken already is given the name with the
// lowest free number after it: the second "Project1" is "Project1_2".
// origin: where the project comes from (its file, or the folder of its
// module files), for the warning.
void GiveUniqueName(Workspace& workspace, memory::MemoryProject& project,
                    const std::string& origin) {
    auto& projects = workspace.Vbe().Projects();
    auto taken = [&](const std::string& name) {
        for (long i = 1; i <= projects.Count(); ++i) {
            if (&projects.At(i) != &project && text::EqualsIgnoreCase(projects.At(i).Name(), name)) {
                return true;
            }
        }
        return false;
    };
    const std::string name = project.Name();
    if (!taken(name)) return;
    std::string unique;
    for (int n = 2; unique.empty() || taken(unique); ++n) unique = name + "_" + std::to_string(n);
    project.Rename(unique);
    const text::CodePage page = project.TextCodePage();
    const std::string shown = text::ToUtf8(unique, page);
    workspace.Warn("a project named " + text::ToUtf8(name, page) + " is already loaded; this one (" +
                   origin + ") is called " + shown + " here (--project " + shown + ")");
}

// The filter the reading threads apply, when the load defers the code.
const CodeFilter& FilterFor(const Workspace& workspace) {
    static const CodeFilter kNone;
    return workspace.DefersCode() ? workspace.GetCodeFilter() : kNone;
}

// Resource files and related documents are components without code.
bool HoldsNoCode(const ProjectEntry& entry) {
    return entry.componentType == vbext_ct_ResFile ||
           entry.componentType == vbext_ct_RelatedDocument;
}

// A file that a project or group names but that cannot be loaded: not
// there, or not a file (a folder, a pipe, a device, a loop of links).
// written: the path as the file gives it, in the file's code page.
void WarnUnresolved(Workspace& workspace, const std::string& folder, const std::string& where,
                    const std::string& what, const std::string& writtenBytes,
                    text::CodePage page, const std::string& owner) {
    const std::string reason = UnresolvedVbPathReason(folder, writtenBytes, page);
    const std::string written = text::ToUtf8(writtenBytes, page);
    if (reason.empty()) {
        // A name that is not ASCII may be there, written in another code page.
        const std::string codePage =
            text::IsAscii(writtenBytes)
                ? std::string()
                : " (it is read in code page " + page.Description() +
                      "; name the code page the " + owner + " file was written in, if another)";
        workspace.Warn(where + ": " + what + " \"" + written + "\" is not there" + codePage +
                       "; the " + owner + " is loaded without it (restore the " +
                       (owner == "group" ? "project" : "file") + " or remove the line)");
    } else {
        workspace.Warn(where + ": " + what + " \"" + written + "\" cannot be read: " + reason +
                       "; the " + owner + " is loaded without it (put the file there or "
                       "remove the line)");
    }
}

// Who the file is (one identity for every name of one file). known: what
// the search for the file learned of it ("": nothing).
std::string IdentityOf(const std::string& path, std::string known = {}) {
    if (known.empty()) file::KindAt(path, known);
    return known.empty() ? FileIdentity(path) : known;
}

// False (with a warning) for an entry that names the project file itself or
// a file an earlier entry named: loading it would make a module of the
// project's own text, or count and write one module twice. listed maps
// each file's identity to the line that named it (0 for the project file).
bool ListedOnce(Workspace& workspace, const std::string& path, const ProjectEntry& entry,
                text::CodePage page, const std::string& identity,
                std::map<std::string, long>& listed) {
    const auto [seen, added] = listed.emplace(identity, entry.line);
    if (added) return true;
    if (seen->second == 0) {
        workspace.Warn(Located(path, entry.line) + ": this " + entry.key +
                       "= line names the project file itself; it is passed over (remove it)");
    } else {
        workspace.Warn(Located(path, entry.line) + ": " + entry.key + " file \"" +
                       text::ToUtf8(entry.path, page) + "\" is listed again (first on line " + std::to_string(seen->second) +
                       "); it is loaded once (remove the line)");
    }
    return false;
}

}  // namespace

memory::MemoryProject& LoadProjectFile(Workspace& workspace, const std::string& path) {
    const auto bytes = ReadWholeFile(path, workspace.LargestFile());
    const ProjectFileText text = ParseProjectFile(path, *bytes);
    // The project's name and the paths in it are in the file's code page; a
    // name taken from the file's own name is the system's (UTF-8) text.
    const text::CodePage page = text::CodePageOfFile(*bytes, workspace.Vbe().TextCodePage());
    std::string name = text.name.empty() ? file::Utf8Path(file::NativePath(path).stem()) : text.name;
    memory::MemoryProject& project = workspace.Vbe().AddProject(std::move(name), text.type);
    project.SetTextCodePage(text.name.empty() ? NameCodePage(project.Name(), page) : page);
    project.SetFileName(path);
    GiveUniqueName(workspace, project, path);
    const std::string folder = FolderOf(path);
    std::vector<std::optional<std::string>> found;
    std::vector<bool> passedOver;
    std::vector<size_t> moduleEntries;  // the entry of each module file
    // The module files are looked for in the project's order, and each is
    // read (side by side) as soon as it is found.
    const auto findModules = [&](const ListedPath& listed) {
        std::map<std::string, long> seen{{IdentityOf(path), 0}};
        std::string identity;
        for (const ProjectEntry& entry : text.entries) {
            found.push_back(ResolveVbPath(folder, entry.path, page, &identity));
            passedOver.push_back(found.back() &&
                                 !ListedOnce(workspace, path, entry, page,
                                             IdentityOf(*found.back(), identity), seen));
            if (found.back() && !passedOver.back() && !HoldsNoCode(entry)) {
                moduleEntries.push_back(found.size() - 1);
                listed(*found.back());
            }
        }
    };
    // The modules are added in the project's order as they come; the lines
    // between them are taken in turn.
    size_t i = 0;
    const auto takeEntriesBefore = [&](size_t end) {
        for (; i < end; ++i) {
            const ProjectEntry& entry = text.entries[i];
            if (passedOver[i]) continue;
            if (!found[i]) {
                WarnUnresolved(workspace, folder, Located(path, entry.line), entry.key + " file",
                               entry.path, page, "project");
            } else if (HoldsNoCode(entry)) {
                AddFileComponent(workspace, project, *found[i], entry.componentType);
            }
        }
    };
    ReadListedModuleFiles(text.entries.size(), workspace.LargestFile(), ReadingFor(workspace),
                          FilterFor(workspace), findModules,
                          [&](size_t k, ReadModule read) {
                              takeEntriesBefore(moduleEntries[k]);
                              const ProjectEntry& entry = text.entries[i];
                              LoadModuleOrRecord(workspace, project, *found[i],
                                                 entry.componentType, std::move(read),
                                                 text::ToUtf8(entry.name, page));
                              ++i;
                          },
                          true);
    takeEntriesBefore(text.entries.size());
    return project;
}

memory::MemoryProject& LoadGroupFile(Workspace& workspace, const std::string& path) {
    const auto bytes = ReadWholeFile(path, workspace.LargestFile());
    const std::vector<GroupEntry> entries = ParseGroupFile(path, *bytes);
    const text::CodePage page = text::CodePageOfFile(*bytes, workspace.Vbe().TextCodePage());
    const std::string folder = FolderOf(path);
    memory::MemoryProject* startup = nullptr;
    memory::MemoryProject* first = nullptr;
    std::map<std::string, long> projects;  // file -> the line that listed it first
    for (const GroupEntry& entry : entries) {
        const auto found = ResolveVbPath(folder, entry.path, page);
        if (!found) {
            WarnUnresolved(workspace, folder, Located(path, entry.line), "project", entry.path,
                           page, "group");
            continue;
        }
        const std::string written = text::ToUtf8(entry.path, page);
        if (Extension(*found) == ".vbg") {
            workspace.Warn(Located(path, entry.line) + ": \"" + written +
                           "\" is a project group, and a group lists projects only; the line "
                           "is passed over (list the group's projects instead)");
            continue;
        }
        const std::string identity = FileIdentity(*found);
        if (const auto seen = projects.find(identity); seen != projects.end()) {
            workspace.Warn(Located(path, entry.line) + ": project \"" + written +
                           "\" is listed again (first on line " + std::to_string(seen->second) +
                           "); it is loaded once");
            continue;
        }
        projects.emplace(identity, entry.line);
        memory::MemoryProject& project = LoadProjectFile(workspace, *found);
        if (first == nullptr) first = &project;
        if (entry.startup) startup = &project;
    }
    if (first == nullptr) {
        const bool ascii = std::all_of(entries.begin(), entries.end(), [](const GroupEntry& e) {
            return text::IsAscii(e.path);
        });
        throw FileError(path, 0,
                        "none of the group's projects is there; check the paths in it" +
                            std::string(ascii ? ""
                                              : " (they are read in code page " +
                                                    page.Description() +
                                                    "; name the code page the group file was "
                                                    "written in, if another)"));
    }
    memory::MemoryProject& active = startup != nullptr ? *startup : *first;
    workspace.Vbe().SetActiveProject(&active);
    return active;
}

std::vector<memory::MemoryProject*> LoadModuleFiles(Workspace& workspace,
                                                    const std::vector<std::string>& paths) {
    std::vector<std::pair<std::string, memory::MemoryProject*>> byFolder;
    // A path that names no module file is a mistake in the command: it is
    // refused before any file is read.
    for (const std::string& path : paths) {
        if (TypeOfExtension(path) == 0) {
            throw FileError(path, 0,
                            "this is no VB6 project, group or module file; name a .vbp, .vbg, "
                            ".bas, .cls, .frm, .ctl, .pag, .dob or .dsr file");
        }
    }
    // The module files are read side by side (reading has no effect but
    // the time it takes), and taken in the order given as they come.
    ReadModuleFiles(paths, workspace.LargestFile(), ReadingFor(workspace), FilterFor(workspace),
                    [&](size_t k, ReadModule module) {
        const std::string& path = paths[k];
        std::error_code ec;
        const std::string folder =
            file::Utf8Path(fs::absolute(file::NativePath(path), ec).lexically_normal().parent_path());
        memory::MemoryProject* project = nullptr;
        for (auto& [f, p] : byFolder) {
            if (f == folder) project = p;
        }
        if (project == nullptr) {
            project = &workspace.Vbe().AddProject(FolderProjectName(FolderOf(path)));
            project->SetTextCodePage(NameCodePage(project->Name(), workspace.Vbe().TextCodePage()));
            GiveUniqueName(workspace, *project, folder);
            byFolder.emplace_back(folder, project);
        }
        // A file that is not there (or no file at all) is a mistake in the
        // command; one that is there but cannot be modelled is reported with
        // the others.
        std::error_code regular;
        if (module.error && !fs::is_regular_file(path, regular)) {
            std::rethrow_exception(module.error);
        }
        LoadModuleOrRecord(workspace, *project, path, 0, std::move(module), "");
    });
    std::vector<memory::MemoryProject*> projects;
    for (const auto& [folder, project] : byFolder) projects.push_back(project);
    return projects;
}

void LoadTargets(Workspace& workspace, const std::vector<std::string>& paths) {
    std::vector<std::string> modules;
    for (const std::string& path : paths) {
        const std::string ext = Extension(path);
        if (ext == ".vbp")
            workspace.AddNamed(LoadProjectFile(workspace, path));
        else if (ext == ".vbg")
            workspace.AddNamed(LoadGroupFile(workspace, path));
        else
            modules.push_back(path);
    }
    if (modules.empty()) return;
    for (memory::MemoryProject* project : LoadModuleFiles(workspace, modules)) {
        workspace.AddNamed(*project);
    }
}

}  // namespace qv::host::files
