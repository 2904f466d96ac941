#include "lsp/document_module.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "host/files/file_error.h"
#include "host/files/module_file.h"
#include "host/files/module_loader.h"
#include "host/files/module_writer.h"
#include "host/lines_code_page.h"
#include "lsp/module_locator.h"
#include "platform/code_page.h"
#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/settings_operations.h"
#include "settings/settings_record.h"

namespace qv::lsp {

namespace {

using host::memory::MemoryProject;

namespace fs = std::filesystem;

// Paths are UTF-8 text here, whatever the system's own encoding of names.
fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
std::string TextOf(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The path with its links resolved, else (a file not there) made absolute.
fs::path Canonical(const std::string& path) {
    std::error_code error;
    fs::path canonical = fs::canonical(PathOf(path), error);
    if (!error) return canonical;
    canonical = fs::absolute(PathOf(path), error);
    return error ? PathOf(path) : canonical.lexically_normal();
}

bool IsProjectFileName(const std::string& name) {
    return name.size() > 4 && name[0] != '.' &&
           text::EqualsIgnoreCase(std::string_view(name).substr(name.size() - 4), ".vbp");
}

// The project files of a folder (not hidden ones), by name.
std::vector<fs::path> ProjectFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code notThere;
        if (IsProjectFileName(TextOf(it->path().filename())) && it->is_regular_file(notThere)) {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        return TextOf(a.filename()) < TextOf(b.filename());
    });
    return files;
}

// A module that names no project of its own gets one, as a lone module
// opened by the IDE does.
std::unique_ptr<workspace::LoadedTarget> LoneModuleTarget(const settings::SettingsRecord& settings) {
    auto target = std::make_unique<workspace::LoadedTarget>();
    target->Vbe().SetTextCodePage(settings.codePage);
    target->Vbe().Projects().Add("Project1", 0);
    target->Vbe().SetTabWidth(settings.tabWidth.HostWidth());
    return target;
}

}  // namespace

workspace::LoadedTarget* ProjectCache::Project(const std::string& path) {
    for (auto& [key, target] : targets_) {
        if (key == path) return target.get();
    }
    // The settings' bound on a file's size; no leftovers are removed: the
    // server never writes.
    workspace::OpenResult opened = workspace::Open(
        {path}, {.largestFile = settings::LargestModuleFileBytes(settings_.modulemb),
                 .codePage = settings_.codePage,
                 .tabWidth = settings_.tabWidth.HostWidth()});
    targets_.emplace_back(path, std::move(opened.target));
    return targets_.back().second.get();
}

std::vector<workspace::LoadedTarget*> ProjectCache::Targets() {
    std::vector<workspace::LoadedTarget*> all;
    for (auto& entry : targets_) {
        if (entry.second) all.push_back(entry.second.get());
    }
    return all;
}

workspace::LoadedTarget& ProjectCache::Own(const std::string& key,
                                           std::unique_ptr<workspace::LoadedTarget> target) {
    targets_.emplace_back(key, std::move(target));
    return *targets_.back().second;
}

DocumentModule::DocumentModule(ProjectCache& projects, std::string path)
    : path_(std::move(path)), settings_(&projects.Settings()) {
    FindProject(projects);
}

void DocumentModule::FindProject(ProjectCache& projects) {
    const fs::path file = Canonical(path_);
    for (fs::path dir = file.parent_path();; dir = dir.parent_path()) {
        for (const fs::path& vbp : ProjectFiles(dir)) {
            workspace::LoadedTarget* target = projects.Project(TextOf(vbp));
            if (target == nullptr) continue;
            for (const auto& loaded : target->Files().Files()) {
                if (loaded->component == nullptr || Canonical(loaded->path) != file) continue;
                target_ = target;
                component_ = loaded->component;
                project_ = &static_cast<MemoryProject&>(component_->Collection().Parent());
                componentType_ = component_->Type();
                return;
            }
            for (const host::files::BrokenModule& broken : target->BrokenModules()) {
                if (Canonical(broken.path) != file) continue;
                target_ = target;
                project_ = broken.project;
                return;
            }
        }
        if (dir == dir.parent_path()) break;
    }
    // The module alone: the file as the disk has it, replaced by the
    // editor's text below; a project of its own when the disk has none.
    target_ = projects.Project(path_);
    if (target_ != nullptr && !target_->Projects().empty()) {
        project_ = target_->Projects().front();
        const auto components = workspace::LoadedTarget::Components(*project_);
        if (!components.empty()) component_ = components.front();
        return;
    }
    target_ = &projects.Own(path_, LoneModuleTarget(projects.Settings()));
    project_ = target_->Projects().front();
}

bool DocumentModule::Load(std::string bytes) {
    if (component_ != nullptr) {
        target_->Files().Forget(*component_);
        project_->Components().Remove(*component_);
        component_ = nullptr;
    }
    fileLineOfCode_.clear();
    problem_ = {};
    try {
        host::files::ParsedModule parsed =
            host::files::ParseModuleFile(path_, std::make_shared<const std::string>(std::move(bytes)));
        fileLineOfCode_ = FileLinesOfCode(parsed);
        host::files::ReadModule read{std::move(parsed), nullptr};
        component_ = &host::files::LoadModuleFile(target_->Files(), *project_, path_,
                                                  componentType_, std::move(read));
        return true;
    } catch (const host::files::FileError& e) {
        problem_ = {e.what(), e.Line()};
    } catch (...) {
        problem_ = {CurrentAsVbError().Description(), 0};
    }
    fileLineOfCode_.clear();
    return false;
}

std::string DocumentModule::Render() const {
    const host::files::ModuleFile* file =
        component_ == nullptr ? nullptr : target_->Files().FileOf(*component_);
    return file == nullptr ? std::string{} : host::files::RenderModuleFile(*file).bytes;
}

std::string DocumentModule::RenderUtf8() const {
    if (component_ == nullptr || component_->CodeModule() == nullptr) return Render();
    return text::ToUtf8(Render(), host::LinesCodePage(*component_->CodeModule(), settings_->codePage));
}

int DocumentModule::DocumentLine(long codeLine) const {
    if (codeLine < 1 || fileLineOfCode_.empty()) return 0;
    const size_t i = std::min(static_cast<size_t>(codeLine), fileLineOfCode_.size()) - 1;
    return static_cast<int>(fileLineOfCode_[i] - 1);
}

long DocumentModule::CodeLine(int documentLine) const {
    const long fileLine = documentLine + 1L;
    const auto it = std::lower_bound(fileLineOfCode_.begin(), fileLineOfCode_.end(), fileLine);
    if (it == fileLineOfCode_.end() || *it != fileLine) return 0;
    return static_cast<long>(it - fileLineOfCode_.begin()) + 1;
}

}  // namespace qv::lsp
