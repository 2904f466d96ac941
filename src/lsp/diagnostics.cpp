#include "lsp/diagnostics.h"

#include "errorhandling/module_counts.h"

namespace qv::lsp {

namespace {

// The protocol's severities.
int ProtocolSeverity(analysis::FindingSeverity severity) {
    switch (severity) {
        case analysis::FindingSeverity::Error: return 1;
        case analysis::FindingSeverity::Warning: return 2;
        case analysis::FindingSeverity::Information: return 3;
        case analysis::FindingSeverity::Hint: return 4;
    }
    return 2;
}

Json LineDiagnostic(TextDocument& text, int line, int severity, const std::string& message) {
    return Json{
        {"range", RangeJson({line, 0}, {line, text.LineLength(line)})},
        {"severity", severity},
        {"source", "qvaddin"},
        {"message", message}};
}

Json RoutineDiagnostic(OpenDocument& document, const analysis::RoutineStatusRow& row,
                              const analysis::Finding& finding) {
    DocumentModule& module = *document.Module();
    host::CodeModule& code = *module.Component()->CodeModule();
    const host::ProcCopyScope copy(code, row.name, row.copy);
    const int line = module.DocumentLine(code.ProcBodyLine(row.name, row.kind));
    const std::string name = analysis::RoutineLabel(row.name, row.kind, row.copy);
    Json diagnostic = LineDiagnostic(document.Text(), line, ProtocolSeverity(finding.severity),
                                     name + ": " + finding.message);
    diagnostic["code"] = std::string(finding.rule->id);
    return diagnostic;
}

}  // namespace

std::vector<std::string> OverrideSeverities(const Json& levels,
                                            analysis::SeverityOverrides& severities) {
    std::vector<std::string> refused;
    for (const auto& [word, level] : ObjectOf(levels).items()) {
        const auto severity = analysis::ParseSeverity(StringOf(level));
        if (!severity) {
            refused.push_back("severity of " + word + ": use error, warning, information or hint");
        } else if (!severities.Set(word, *severity)) {
            refused.push_back("severity of " + word + ": no such status word");
        }
    }
    return refused;
}

Json Diagnostics(OpenDocument& document, const analysis::SeverityOverrides& severities,
                 const settings::SettingsRecord& settings) {
    Json diagnostics = Json::array();
    if (const LoadProblem* problem = document.Problem()) {
        const int line = problem->fileLine > 0 ? static_cast<int>(problem->fileLine) - 1 : 0;
        diagnostics.push_back(LineDiagnostic(document.Text(), line, 1, problem->message));
        return diagnostics;
    }
    DocumentModule* module = document.Module();
    if (module == nullptr) return diagnostics;
    const analysis::ModuleCounts counts =
        analysis::CountModule(*module->Component()->CodeModule(), true, settings);
    for (const analysis::RoutineStatusRow& row : counts.routines) {
        if (const auto finding = analysis::FindingOf(row, severities)) {
            diagnostics.push_back(RoutineDiagnostic(document, row, *finding));
        }
    }
    return diagnostics;
}

}  // namespace qv::lsp
