#pragma once
// The VB6 files behind an in-memory host: for every component read from a
// file, what is needed to write it back exactly as the IDE would (the
// header bytes as read, the line ending, the final line break, the hidden
// attribute lines as loaded), and the warnings of the load.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/files/text_lines.h"
#include "host/host_constants.h"
#include "host/memory/memory_vbe.h"

namespace qv::host::files {

struct ModuleFile {
    std::string path;  // as opened (relative to the working folder or absolute)
    memory::MemoryComponent* component = nullptr;
    // Components with code: the file's bytes as read; nullptr for files that
    // are never read (resource files, related documents).
    std::shared_ptr<const std::string> bytes;
    size_t codeOffset = 0;            // the header is bytes[0, codeOffset)
    bool headerEndsWithBreak = true;  // false: the file ended on the header's last line
    // The break most lines end with: lines written since the load get it,
    // while every line as loaded keeps its own.
    LineEnding ending = LineEnding::CrLf;
    bool finalBreak = false;
    // The hidden attribute lines as loaded, by member name in lower case,
    // and the line break that followed each ("" for none).
    std::map<std::string, std::vector<memory::HiddenAttribute>> loadedAttributes;
    std::map<std::string, std::vector<std::string_view>> loadedAttributeBreaks;
    // The code was not read yet (Workspace::SetDeferCode): the component
    // holds no lines, and ending, finalBreak, the attribute lines and the
    // designer's controls and properties are not known, until
    // LoadDeferredCode reads them.
    bool codeDeferred = false;
    // With codeDeferred: bytes holds the header alone, and the code (which
    // the load's filter passed) is read from the file again by
    // LoadDeferredCode.
    bool codeOnDisk = false;
};

// A test of a module's bytes past its header (code lines and hidden lines),
// told whether the file is read as UTF-8; called on the reading threads.
using CodeFilter = std::function<bool(std::string_view code, bool utf8)>;

class Workspace;

// Called with each module whose code a load reads, as soon as the module is
// in its project (on the loading thread, in the order of the load): a
// command that takes what it needs of each module once may let the module's
// code go there (ReleaseLoadedCode, module_loader.h), so that a large
// project is never held whole.
using ModuleLoaded = std::function<void(Workspace& workspace, memory::MemoryComponent& component)>;

// A module file that could not be modelled (binary or damaged bytes, a
// procedure without its closing line, a second module of one name in a
// project): it is left out of its project, reported, and never written.
struct BrokenModule {
    memory::MemoryProject* project = nullptr;
    std::string name;     // as the project file names it, else the file's stem (UTF-8)
    std::string path;
    std::string message;  // what is wrong, with the file (and line) named (UTF-8)
    long line = 0;        // the line of the file at fault; 0 when not one line
    long position = 0;    // how many of the project's components come before it
};

class Workspace {
  public:
    explicit Workspace(memory::MemoryVbe& vbe) : vbe_(vbe) {}
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    memory::MemoryVbe& Vbe() { return vbe_; }
    const memory::MemoryVbe& Vbe() const { return vbe_; }

    ModuleFile& Add(std::unique_ptr<ModuleFile> file);
    const std::vector<std::unique_ptr<ModuleFile>>& Files() const { return files_; }
    // The file a component was read from; nullptr for one made in memory.
    const ModuleFile* FileOf(const memory::MemoryComponent& component) const;
    ModuleFile* FileOf(const memory::MemoryComponent& component);
    // Drops the file of a component about to be removed from its project
    // (a module read again from an editor's text), so that nothing refers
    // to the component once it is gone.
    void Forget(const memory::MemoryComponent& component);

    // Whether a load refuses a module whose procedure lacks its End line
    // (on by default). A caller that only reads text may turn it off and
    // spare the reading of every module's procedures.
    void SetCheckProcedures(bool check) { checkProcedures_ = check; }
    bool ChecksProcedures() const { return checkProcedures_; }

    // Whether a load leaves the modules' code unread (off by default): a
    // module then holds no lines until LoadDeferredCode (module_loader.h)
    // reads them, which a caller that reads the text of a few modules only
    // (a search) does for those. A broken module is found and recorded all
    // the same. Only a load that does not check procedures defers.
    void SetDeferCode(bool defer) { deferCode_ = defer; }
    bool DefersCode() const { return deferCode_ && !checkProcedures_; }

    // With deferred code: a test that every module whose code the caller
    // will read passes (a search's text somewhere in it). The reading
    // threads keep only the header's bytes of every module, so that their
    // memory is reused at once: the code of one that fails reads as empty,
    // that of one that passes is read from its file again when it is wanted.
    void SetCodeFilter(CodeFilter filter) { codeFilter_ = std::move(filter); }
    const CodeFilter& GetCodeFilter() const { return codeFilter_; }

    void SetModuleLoaded(ModuleLoaded loaded) { moduleLoaded_ = std::move(loaded); }
    const ModuleLoaded& GetModuleLoaded() const { return moduleLoaded_; }

    // The most bytes a file the load reads may hold: a larger one is refused
    // before it is read (a module is then reported like a damaged one).
    void SetLargestFile(size_t bytes) { largestFile_ = bytes; }
    size_t LargestFile() const { return largestFile_; }

    // Problems that did not stop the load (a project naming a missing file).
    void Warn(std::string message) { warnings_.push_back(std::move(message)); }
    const std::vector<std::string>& Warnings() const { return warnings_; }

    void AddBroken(BrokenModule module) { broken_.push_back(std::move(module)); }
    const std::vector<BrokenModule>& BrokenModules() const { return broken_; }

    // The projects that the loaded paths name, in their order: the project
    // of each project file, the startup project of each group, and the
    // project of each folder of loose module files. What a command does to
    // "the project" it does to each of them. (The projects may have gone
    // from the root since: check before use.)
    void AddNamed(memory::MemoryProject& project) { named_.push_back(&project); }
    const std::vector<memory::MemoryProject*>& NamedProjects() const { return named_; }

  private:
    memory::MemoryVbe& vbe_;
    std::vector<std::unique_ptr<ModuleFile>> files_;
    std::map<const memory::MemoryComponent*, ModuleFile*> byComponent_;
    std::vector<std::string> warnings_;
    std::vector<BrokenModule> broken_;
    std::vector<memory::MemoryProject*> named_;
    bool checkProcedures_ = true;
    bool deferCode_ = false;
    CodeFilter codeFilter_;
    ModuleLoaded moduleLoaded_;
    size_t largestFile_ = static_cast<size_t>(kDefaultLargestModuleMb) * 1024 * 1024;
};

}  // namespace qv::host::files
