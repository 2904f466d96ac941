#include "app/cli/module_keeper.h"

#include "app/cli/target_json.h"
#include "app/cli/vb_text.h"
#include "host/memory/memory_host.h"

namespace qv::cli {

using host::memory::MemoryCodeModule;
using host::memory::MemoryComponent;

void ModuleKeeper::Before(host::VBComponent& component) {
    const MemoryCodeModule& code = *static_cast<MemoryComponent&>(component).Code();
    attributes_.clear();
    for (const std::string& member : code.MembersWithHiddenAttributes()) {
        attributes_.emplace(member, *code.HiddenAttributes(member));
    }
    const host::files::ModuleFile* file =
        workspace_.FileOf(static_cast<MemoryComponent&>(component));
    if (code.EditCount() == 0 && file != nullptr && file->bytes) {
        // The lines as loaded are views into the file's bytes: kept so, each
        // line keeps its own line break when the module is written.
        buffer_ = file->bytes;
        lines_.clear();
        for (long i = 1; i <= code.CountOfLines(); ++i) lines_.push_back(code.Line(i));
        return;
    }
    auto buffer = std::make_shared<std::string>();
    std::vector<std::pair<size_t, size_t>> spans;
    for (long i = 1; i <= code.CountOfLines(); ++i) {
        const std::string_view line = code.Line(i);
        spans.emplace_back(buffer->size(), line.size());
        buffer->append(line);
    }
    lines_.clear();
    for (const auto& [offset, size] : spans) lines_.emplace_back(buffer->data() + offset, size);
    buffer_ = std::move(buffer);
}

bool ModuleKeeper::Failed(host::VBComponent& component, const VbError&) {
    MemoryCodeModule& code = *static_cast<MemoryComponent&>(component).Code();
    code.LoadLines(buffer_, lines_);
    for (const std::string& member : code.MembersWithHiddenAttributes()) {
        code.SetHiddenAttributes(member, {});
    }
    for (const auto& [member, lines] : attributes_) code.SetHiddenAttributes(member, lines);
    return true;
}

std::string FailureText(const shell::ModuleOutcome& module) {
    const VbError& e = *module.failure;
    return e.Description() + " (error " + std::to_string(e.Number()) + ", in " + e.Source() + ")";
}

void ReportFailedModules(std::ostream& err, LoadedTarget& target,
                         const shell::RunOutcome& outcome) {
    for (const shell::ModuleOutcome& m : outcome.modules) {
        if (!m.failure) continue;
        auto& c = static_cast<MemoryComponent&>(*m.component);
        err << "qvaddin: " << DisplayText(ComponentFile(target, c)) << ": routine "
            << DisplayText(m.failedRoutine) << ": " << DisplayText(FailureText(m)) << "; module "
            << DisplayText(c.Name()) << " was left as it was\n";
    }
}

}  // namespace qv::cli
