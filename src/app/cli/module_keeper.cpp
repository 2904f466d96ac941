#include "app/cli/module_keeper.h"

#include "app/cli/target_json.h"
#include "app/cli/vb_text.h"
#include "host/memory/memory_host.h"

namespace qv::cli {

using host::memory::MemoryComponent;

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
