#include "host_files/files_fixture.h"

#include <algorithm>
#include <filesystem>

#include "host/files/project_loader.h"
#include "platform/native_path.h"

namespace qv::test {

std::string Joined(const std::vector<std::string>& lines, const std::string& ending,
                   bool finalBreak) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        out += lines[i];
        if (i + 1 < lines.size() || finalBreak) out += ending;
    }
    return out;
}

host::memory::MemoryComponent& LoadedFiles::Component(const std::string& name, long project) {
    return *Project(project).Components().Find(name);
}

host::memory::MemoryCodeModule& LoadedFiles::Code(const std::string& name, long project) {
    return *Component(name, project).Code();
}

const host::files::ModuleFile& LoadedFiles::File(const std::string& name, long project) {
    return *workspace->FileOf(Component(name, project));
}

LoadedFiles Load(const std::vector<std::string>& paths, text::CodePage page) {
    LoadedFiles loaded;
    loaded.vbe = std::make_unique<host::memory::MemoryVbe>();
    loaded.vbe->SetTextCodePage(page);
    loaded.workspace = std::make_unique<host::files::Workspace>(*loaded.vbe);
    host::files::LoadTargets(*loaded.workspace, paths);
    return loaded;
}

std::vector<std::pair<std::string, std::string>> Snapshot(const TempFolder& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path())) {
        if (entry.is_regular_file())
            files.emplace_back(file::Utf8Path(entry.path()), ReadFile(entry.path()));
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string WriteGroupSharingAModule(TempFolder& folder) {
    folder.Write("shared/util.bas", Joined({"Attribute VB_Name = \"util\"", "Sub U()", "End Sub"}));
    folder.Write("one/One.vbp",
                 Joined({"Type=Exe", "Module=util; ..\\shared\\util.bas", "Name=\"One\""}));
    folder.Write("two/Two.vbp",
                 Joined({"Type=Exe", "Module=util; ..\\SHARED\\Util.bas", "Name=\"Two\""}));
    folder.Write("All.vbg",
                 Joined({"VBGROUP 5.0", "StartupProject=two\\Two.vbp", "Project=one\\One.vbp"}));
    return folder.File("All.vbg");
}

}  // namespace qv::test
