#include "lsp/diagnostics.h"

#include <algorithm>
#include <vector>

#include "errorhandling/error_status.h"
#include "errorhandling/module_counts.h"
#include "platform/vb_error.h"

namespace qv::lsp {

namespace {

struct StatusFacts {
    int status;
    const char* meaning;
    int severity;
};

const StatusFacts kStatusFacts[] = {
    {analysis::kStatusOk, "the standard block, as the templates give it", kSeverityOff},
    {analysis::kStatusSome, "an On Error statement that is not the standard one",
     kSeverityInformation},
    {analysis::kStatusMissing, "no On Error statement at all", kSeverityWarning},
    {analysis::kStatusInError, "the standard block, differing from the templates",
     kSeverityWarning},
    {analysis::kStatusExtraCode, "the template lines, with other lines between them",
     kSeverityWarning},
    {analysis::kStatusInErrorExtraCode,
     "the standard block, differing from the templates and with other lines between them",
     kSeverityWarning},
    {analysis::kStatusNotApplicable, "no exit block applies", kSeverityOff},
};

int LevelOfName(const QString& name) {
    const QString n = name.toLower();
    if (n == "error") return kSeverityError;
    if (n == "warning") return kSeverityWarning;
    if (n == "information" || n == "info") return kSeverityInformation;
    if (n == "hint") return kSeverityHint;
    if (n == "off" || n == "none") return kSeverityOff;
    return -1;
}

bool Passes(const analysis::StatusPair& status) {
    return status.top == analysis::kStatusOk &&
           (status.exit == analysis::kStatusOk || status.exit == analysis::kStatusNotApplicable);
}

QString Word(int status) { return QString::fromStdString(analysis::StatusString(status)); }

QJsonObject LineDiagnostic(TextDocument& text, int line, int severity, const QString& message,
                           const QString& code) {
    QJsonObject diagnostic{{"range", RangeJson({line, 0}, {line, static_cast<int>(
                                                                      text.Line(line).size())})},
                           {"severity", severity},
                           {"source", "qvaddin"},
                           {"message", message}};
    if (!code.isEmpty()) diagnostic.insert("code", code);
    return diagnostic;
}

QJsonObject RoutineDiagnostic(OpenDocument& document, const analysis::RoutineStatusRow& row,
                              int severity) {
    DocumentModule& module = *document.Module();
    host::CodeModule& code = *module.Component()->CodeModule();
    const int line = module.DocumentLine(code.ProcBodyLine(row.name, row.kind));
    const std::string kind = analysis::KindWord(row.kind);
    const QString name = QString::fromUtf8(row.name) +
                         (kind.empty() ? QString() : " (" + QString::fromStdString(kind) + ")");
    QString message = name + ": Top Status " + Word(row.status.top) + ", Exit Status " +
                      Word(row.status.exit) + ".";
    // What each word that is not OK means, once.
    std::vector<int> explained;
    for (int status : {row.status.top, row.status.exit}) {
        if (status == analysis::kStatusOk || status == analysis::kStatusNotApplicable) continue;
        if (std::find(explained.begin(), explained.end(), status) != explained.end()) continue;
        explained.push_back(status);
        message += "\n" + Word(status) + ": " + StatusMeaning(status) + ".";
    }
    const int worst = row.status.top != analysis::kStatusOk ? row.status.top : row.status.exit;
    return LineDiagnostic(document.Text(), line, severity, message, Word(worst));
}

}  // namespace

Severities::Severities() {
    for (const StatusFacts& facts : kStatusFacts) levels_[facts.status] = facts.severity;
}

int Severities::Of(int status) const {
    const auto it = levels_.find(status);
    return it == levels_.end() ? kSeverityOff : it->second;
}

void Severities::Override(const QJsonObject& levels) {
    for (const StatusFacts& facts : kStatusFacts) {
        const QJsonValue level = levels.value(Word(facts.status));
        if (!level.isString()) continue;
        const int severity = LevelOfName(level.toString());
        if (severity >= 0) levels_[facts.status] = severity;
    }
}

QString StatusMeaning(int status) {
    for (const StatusFacts& facts : kStatusFacts) {
        if (facts.status == status) return QString::fromUtf8(facts.meaning);
    }
    return {};
}

QJsonArray Diagnostics(OpenDocument& document, const Severities& severities,
                       const settings::SettingsRecord& settings) {
    QJsonArray diagnostics;
    if (const LoadProblem* problem = document.Problem()) {
        const int line = problem->fileLine > 0 ? static_cast<int>(problem->fileLine) - 1 : 0;
        diagnostics.append(LineDiagnostic(document.Text(), line, kSeverityError,
                                          QString::fromUtf8(problem->message), {}));
        return diagnostics;
    }
    DocumentModule* module = document.Module();
    if (module == nullptr) return diagnostics;
    const analysis::ModuleCounts counts =
        analysis::CountModule(*module->Component()->CodeModule(), true, settings);
    for (const analysis::RoutineStatusRow& row : counts.routines) {
        if (Passes(row.status)) continue;
        // The more severe of the two words decides.
        const int severity = [&] {
            const int top = severities.Of(row.status.top), exit = severities.Of(row.status.exit);
            if (top == kSeverityOff) return exit;
            if (exit == kSeverityOff) return top;
            return std::min(top, exit);
        }();
        if (severity == kSeverityOff) continue;
        diagnostics.append(RoutineDiagnostic(document, row, severity));
    }
    return diagnostics;
}

}  // namespace qv::lsp
