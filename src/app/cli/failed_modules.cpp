#include "app/cli/failed_modules.h"

#include "app/cli/target_json.h"
#include "app/cli/vb_text.h"
#include "host/memory/memory_host.h"

namespace qv::cli {

using host::memory::MemoryComponent;

void ReportFailedModules(std::ostream& err, LoadedTarget& target,
                         const shell::RunOutcome& outcome) {
    for (const shell::ModuleOutcome& m : outcome.modules) {
        if (!m.failure) continue;
        auto& c = static_cast<MemoryComponent&>(*m.component);
        err << "qvaddin: " << DisplayText(ComponentFile(target, c)) << ": routine "
            << DisplayText(m.failedRoutine) << ": " << DisplayText(m.failure->ReportText()) << "; module "
            << DisplayText(c.Name()) << " was left as it was\n";
    }
}

}  // namespace qv::cli
