#pragma once
// The module behind an open document: the project that holds the file (the
// nearest .vbp, walking up from the file's folder, that lists it), else the
// module alone, loaded through the workspace unit; and the editor's text put
// into that project's code module in place of the file's, so that the
// engines see what the editor shows. Text that is not a module (a routine
// without its End line, no VB_Name) leaves the document without a module
// and says why.

#include <memory>
#include <string>
#include <vector>

#include "host/memory/memory_host.h"
#include "settings/settings_record.h"
#include "workspace/loaded_target.h"

namespace qv::lsp {

// The targets the documents' projects were opened as, by the path of their
// .vbp (or of the module, when alone): documents of one project share one.
class ProjectCache {
  public:
    // The opened target of a project or lone module file; nullptr when it
    // cannot be opened.
    workspace::LoadedTarget* Project(const std::string& vbpPath);
    // Every target opened so far, for workspace-wide requests.
    std::vector<workspace::LoadedTarget*> Targets();
    // A target made for one document with no project and no file on disk.
    workspace::LoadedTarget& Own(const std::string& key,
                                 std::unique_ptr<workspace::LoadedTarget> target);
    // The server's settings for its run: the stored ones with the client's
    // overrides, and the code page the projects' files are read in (all set
    // at initialisation, before the first document opens).
    settings::SettingsRecord& Settings() { return settings_; }
    const settings::SettingsRecord& Settings() const { return settings_; }
    text::CodePage CodePage() const { return settings_.codePage; }

  private:
    settings::SettingsRecord settings_;
    std::vector<std::pair<std::string, std::unique_ptr<workspace::LoadedTarget>>> targets_;
};

// Where a loaded document failed to read as a module.
struct LoadProblem {
    std::string message;
    long fileLine = 0;  // 1-based; 0 when not one line
};

class DocumentModule {
  public:
    // path: the document's file (absolute). Finds or opens its project.
    DocumentModule(ProjectCache& projects, std::string path);

    // Puts the text (the file's bytes as the editor has them) into the
    // module. False when the text is not a module: there is no module then
    // and Problem() says why.
    bool Load(std::string bytes);
    // The bytes the module file would have now: what Load gave, as the
    // engines have changed it since.
    std::string Render() const;
    // The same as UTF-8, the editor's text: what the engines wrote is in the
    // code page of the module's lines (the run's for a text of ASCII alone,
    // whatever a template or a stamp brought in) and is read in it.
    std::string RenderUtf8() const;

    host::memory::MemoryComponent* Component() { return component_; }
    host::memory::MemoryProject* Project() { return project_; }
    workspace::LoadedTarget* Target() { return target_; }
    const LoadProblem& Problem() const { return problem_; }
    const std::string& Path() const { return path_; }
    // The run's settings (of the project cache that opened the document).
    const settings::SettingsRecord& Settings() const { return *settings_; }

    // Code lines (of the code module, 1-based) and document lines (0-based)
    // differ by the header and the hidden attribute lines.
    int DocumentLine(long codeLine) const;
    // 0 when the document line is no code line (a header or attribute line).
    long CodeLine(int documentLine) const;

  private:
    void FindProject(ProjectCache& projects);

    std::string path_;
    const settings::SettingsRecord* settings_;
    workspace::LoadedTarget* target_ = nullptr;
    host::memory::MemoryProject* project_ = nullptr;
    host::memory::MemoryComponent* component_ = nullptr;
    int componentType_ = 0;
    std::vector<long> fileLineOfCode_;  // 1-based file line of code line i + 1
    LoadProblem problem_;
};

}  // namespace qv::lsp
