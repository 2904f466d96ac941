#include "app/cli/broken_modules.h"

#include <QJsonObject>
#include <ostream>

#include "app/cli/vb_text.h"

namespace qv::cli {

BrokenList BrokenModules(LoadedTarget& target, const host::memory::MemoryProject* project) {
    return target.BrokenModules(project);
}

BrokenList BrokenModules(LoadedTarget& target,
                         const std::vector<host::memory::MemoryProject*>& projects) {
    BrokenList broken;
    for (const host::memory::MemoryProject* project : projects) {
        const BrokenList of = target.BrokenModules(project);
        broken.insert(broken.end(), of.begin(), of.end());
    }
    return broken;
}

void ReportBrokenModules(std::ostream& err, const BrokenList& broken) {
    for (const host::files::BrokenModule& module : broken) {
        err << "qvaddin: " << DisplayText(module.message) << "; module " << DisplayText(module.name)
            << " of project " << DisplayText(module.project->Name())
            << " is left out and left as it is\n";
    }
}

QJsonArray BrokenModulesJson(const BrokenList& broken) {
    QJsonArray entries;
    for (const host::files::BrokenModule& module : broken) {
        entries.append(QJsonObject{{"project", VbText(module.project->Name())},
                                   {"module", VbText(module.name)},
                                   {"file", VbText(module.path)},
                                   {"line", static_cast<qint64>(module.line)},
                                   {"error", VbText(module.message)}});
    }
    return entries;
}

}  // namespace qv::cli
