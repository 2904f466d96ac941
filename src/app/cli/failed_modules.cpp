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
        const text::CodePage page = c.TextCodePage();
        err << "qvaddin: " << DisplayMessage(ComponentFile(target, c), target.Vbe().TextCodePage())
            << ": routine " << DisplayText(m.failedRoutine, page) << ": "
            << DisplayText(m.failure->ReportText(), page) << "; module "
            << DisplayText(c.Name(), page) << " was left as it was\n";
    }
}

}  // namespace qv::cli
