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

QJsonObject LineDiagnostic(TextDocument& text, int line, int severity, const QString& message) {
    return QJsonObject{
        {"range", RangeJson({line, 0}, {line, static_cast<int>(text.Line(line).size())})},
        {"severity", severity},
        {"source", "qvaddin"},
        {"message", message}};
}

QJsonObject RoutineDiagnostic(OpenDocument& document, const analysis::RoutineStatusRow& row,
                              const analysis::Finding& finding) {
    DocumentModule& module = *document.Module();
    host::CodeModule& code = *module.Component()->CodeModule();
    const host::ProcCopyScope copy(code, row.name, row.copy);
    const int line = module.DocumentLine(code.ProcBodyLine(row.name, row.kind));
    const QString name = QString::fromUtf8(analysis::RoutineLabel(row.name, row.kind, row.copy));
    QJsonObject diagnostic =
        LineDiagnostic(document.Text(), line, ProtocolSeverity(finding.severity),
                       name + ": " + QString::fromUtf8(finding.message));
    diagnostic.insert("code", QString::fromUtf8(finding.rule->id.data(),
                                                static_cast<qsizetype>(finding.rule->id.size())));
    return diagnostic;
}

}  // namespace

QStringList OverrideSeverities(const QJsonObject& levels, analysis::SeverityOverrides& severities) {
    QStringList refused;
    for (auto it = levels.begin(); it != levels.end(); ++it) {
        const auto severity = analysis::ParseSeverity(it.value().toString().toStdString());
        if (!severity) {
            refused << "severity of " + it.key() + ": use error, warning, information or hint";
        } else if (!severities.Set(it.key().toStdString(), *severity)) {
            refused << "severity of " + it.key() + ": no such status word";
        }
    }
    return refused;
}

QJsonArray Diagnostics(OpenDocument& document, const analysis::SeverityOverrides& severities,
                       const settings::SettingsRecord& settings) {
    QJsonArray diagnostics;
    if (const LoadProblem* problem = document.Problem()) {
        const int line = problem->fileLine > 0 ? static_cast<int>(problem->fileLine) - 1 : 0;
        diagnostics.append(
            LineDiagnostic(document.Text(), line, 1, QString::fromUtf8(problem->message)));
        return diagnostics;
    }
    DocumentModule* module = document.Module();
    if (module == nullptr) return diagnostics;
    const analysis::ModuleCounts counts =
        analysis::CountModule(*module->Component()->CodeModule(), true, settings);
    for (const analysis::RoutineStatusRow& row : counts.routines) {
        if (const auto finding = analysis::FindingOf(row, severities)) {
            diagnostics.append(RoutineDiagnostic(document, row, *finding));
        }
    }
    return diagnostics;
}

}  // namespace qv::lsp
