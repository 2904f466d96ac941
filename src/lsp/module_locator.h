#pragma once
// Where a code line of any loaded module stands in its file, for answers
// that point into modules the editor may not have open (references,
// search, workspace symbols): the module's bytes as loaded are read again
// for their header and hidden attribute lines, once per module and answer.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/files/module_file.h"
#include "host/memory/memory_host.h"
#include "lsp/json.h"
#include "platform/code_page.h"
#include "workspace/loaded_target.h"

namespace qv::lsp {

class ModuleLocator {
  public:
    explicit ModuleLocator(workspace::LoadedTarget& target) : target_(target) {}

    // A Location of the protocol: the module's file and the range from
    // (codeLine, byte column startColumn) to (endLine, endColumn), lines and
    // columns 1-based as the code module counts them. Nothing for a module
    // not read from a file.
    std::optional<Json> Location(host::memory::MemoryComponent& component, long startLine,
                                        long startColumn, long endLine, long endColumn);

  private:
    struct Mapped {
        std::string uri;
        std::vector<long> fileLineOfCode;  // 1-based, per code line
    };
    const Mapped* MapOf(host::memory::MemoryComponent& component);

    workspace::LoadedTarget& target_;
    std::map<const host::memory::MemoryComponent*, std::optional<Mapped>> mapped_;
};

// The file line (1-based) of each code line of a parsed module.
std::vector<long> FileLinesOfCode(const host::files::ParsedModule& parsed);

// A byte column (1-based) of a code line as the protocol's character
// (0-based, UTF-16), the line being bytes of the code page.
int Utf16Column(const std::string& line, long byteColumn, text::CodePage page);

}  // namespace qv::lsp
