#include "lsp/module_locator.h"

#include <algorithm>

#include "host/files/module_file.h"
#include "lsp/open_document.h"
#include "lsp/text_document.h"
#include "lsp/utf8_text.h"

namespace qv::lsp {

std::vector<long> FileLinesOfCode(const host::files::ParsedModule& parsed) {
    std::vector<long> lines;
    lines.reserve(parsed.code.size());
    for (size_t i = 0; i < parsed.code.size(); ++i) {
        lines.push_back(parsed.FileLine(static_cast<long>(i) + 1));
    }
    return lines;
}

int Utf16Column(const std::string& line, long byteColumn, text::CodePage page) {
    const size_t bytes = std::clamp<long>(byteColumn - 1, 0, static_cast<long>(line.size()));
    return static_cast<int>(Utf16Length(text::ToUtf8(std::string_view(line).substr(0, bytes), page)));
}

const ModuleLocator::Mapped* ModuleLocator::MapOf(host::memory::MemoryComponent& component) {
    auto [it, added] = mapped_.try_emplace(&component);
    if (!added) return it->second ? &*it->second : nullptr;
    const host::files::ModuleFile* file = target_.Files().FileOf(component);
    if (file == nullptr || !file->bytes) return nullptr;
    try {
        const host::files::ParsedModule parsed = host::files::ParseModuleFile(file->path, file->bytes);
        it->second = Mapped{UriOfPath(file->path), FileLinesOfCode(parsed)};
        return &*it->second;
    } catch (...) {
        // Bytes that loaded once read the same again; should they not, the
        // module has no places to point at.
        return nullptr;
    }
}

std::optional<Json> ModuleLocator::Location(host::memory::MemoryComponent& component,
                                            long startLine, long startColumn, long endLine,
                                            long endColumn) {
    const Mapped* mapped = MapOf(component);
    host::CodeModule* code = component.CodeModule();
    if (mapped == nullptr || code == nullptr || mapped->fileLineOfCode.empty()) return std::nullopt;
    auto position = [&](long line, long column) {
        const long last = static_cast<long>(mapped->fileLineOfCode.size());
        line = std::clamp(line, 1L, last);
        return Position{static_cast<int>(mapped->fileLineOfCode[static_cast<size_t>(line) - 1] - 1),
                        Utf16Column(code->Lines(line, 1), column, code->TextCodePage())};
    };
    return Json{{"uri", mapped->uri},
                       {"range", RangeJson(position(startLine, startColumn),
                                           position(endLine, endColumn))}};
}

}  // namespace qv::lsp
