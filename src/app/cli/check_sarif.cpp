#include "app/cli/check_sarif.h"

#include <ostream>

#include "app/cli/target_json.h"
#include "app/cli/vb_text.h"
#include "host/files/module_file.h"

namespace qv::cli {

namespace {

// The file's line of a code line: the header and the hidden attribute lines
// above it count too.
class FileLines {
  public:
    explicit FileLines(const host::files::ModuleFile* file) {
        if (file != nullptr && file->bytes != nullptr) {
            parsed_ = host::files::ParseModuleFile(file->path, file->bytes);
        }
    }
    long Of(long codeLine) const { return parsed_ ? parsed_->FileLine(codeLine) : codeLine; }

  private:
    std::optional<host::files::ParsedModule> parsed_;
};

}  // namespace

std::string FingerprintProject(LoadedTarget& target, const host::memory::MemoryProject& project) {
    if (target.Vbe().Projects().Count() <= 1) return "";
    return VbText(project.Name(), project.TextCodePage());
}

void AddModuleFindings(SarifLog& log, LoadedTarget& target,
                       host::memory::MemoryComponent& component,
                       const analysis::ModuleCounts& counts, bool withFixes, std::ostream& err,
                       const settings::SettingsRecord& settings) {
    std::optional<FileLines> lines;  // read only when the fixes cannot tell
    std::optional<ModuleFixes> fixes;
    // What every result of the module shares, worked out at its first.
    bool first = true;
    std::string path, project, module;
    for (const analysis::RoutineStatusRow& row : counts.routines) {
        std::optional<analysis::Finding> finding = analysis::FindingOf(row);
        if (!finding) continue;
        if (first) {
            first = false;
            path = ComponentFile(target, component);
            project = FingerprintProject(target, component.Owner().Project());
            module = component.Name();
        }
        // The declaration's line, as judging read it.
        long declaration = row.declarationLine;
        if (declaration <= 0) {
            const host::ProcCopyScope copy(*component.Code(), row.name, row.copy);
            declaration = component.Code()->ProcBodyLine(row.name, row.kind);
        }
        long fileLine = 0;
        if (withFixes) {
            if (!fixes) fixes.emplace(target, component, settings);
            fileLine = fixes->FileLineOf(declaration);
        }
        if (fileLine == 0) {
            if (!lines) lines.emplace(target.Files().FileOf(component));
            fileLine = lines->Of(declaration);
        }
        SarifResult result{.path = path,
                           .project = project,
                           .module = module,
                           .routine = analysis::RoutineLabel(row.name, row.kind, row.copy),
                           .codePage = component.TextCodePage(),
                           .line = fileLine,
                           .finding = std::move(*finding),
                           .fix = std::nullopt};
        if (withFixes) {
            // The judgement knows whether the routine needs a handler and,
            // for a Sub or Function, its type (an accessor's is shown as
            // "Property" without being read).
            errorhandling::JudgedRoutine judged{.required = row.required, .routineType = {}};
            if (row.kind == host::vbext_pk_Proc) judged.routineType = row.routineType;
            if (row.changeSpan) judged.span = &*row.changeSpan;
            judged.bodyLine = row.declarationLine;
            AddFix fix = fixes->Fix(row.name, row.kind, row.copy, &judged);
            if (!fix.failure.empty()) {
                err << "qvaddin: " << DisplayMessage(result.path, target.Vbe().TextCodePage())
                    << ": no fix for " << DisplayText(result.routine, result.codePage) << ": "
                    << DisplayText(fix.failure, result.codePage) << '\n';
            }
            result.fix = std::move(fix.change);
        }
        log.Add(std::move(result));
    }
}

host::files::ModuleLoaded ModulesReadAgain::OnLoaded() {
    return [this](host::files::Workspace& workspace, host::memory::MemoryComponent& component) {
        if (std::optional<host::files::ReleasedCode> released =
                host::files::ReleaseCodeToReadAgain(workspace, component)) {
            released_.insert_or_assign(&component, std::move(*released));
        }
    };
}

std::string ModulesReadAgain::ReadAgain(host::files::Workspace& workspace,
                                        host::memory::MemoryComponent& component) {
    const auto at = released_.find(&component);
    if (at == released_.end()) return "";
    if (host::files::ReadReleasedCode(workspace, component, at->second)) return "";
    return "the file changed (or can no longer be read) since it was loaded: run check again";
}

}  // namespace qv::cli
