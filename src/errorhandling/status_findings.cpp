#include "errorhandling/status_findings.h"

#include <algorithm>
#include <cctype>

namespace qv::analysis {

namespace {

constexpr std::array<StatusRule, 5> kRules{{
    {kStatusSome, "QV-SOME", "NonStandardErrorHandler",
     "the routine holds some \"On Error \" statement, but not the standard one",
     FindingSeverity::Information},
    {kStatusMissing, "QV-MISSING", "MissingErrorHandler",
     "the routine holds no \"On Error \" statement at all", FindingSeverity::Warning},
    {kStatusInError, "QV-IN-ERROR", "ErrorHandlerDiffersFromTemplates",
     "the standard block is there but differs from the templates", FindingSeverity::Warning},
    {kStatusExtraCode, "QV-EXTRA-CODE", "ErrorHandlerWithExtraCode",
     "the templates' lines are all there, with other text between them",
     FindingSeverity::Warning},
    {kStatusInErrorExtraCode, "QV-IN-ERROR-EXTRA-CODE", "ErrorHandlerDiffersWithExtraCode",
     "the standard block differs from the templates, and other text stands between its lines",
     FindingSeverity::Warning},
}};

// For a routine that needs no handler every top status but SOME and MISSING
// is shown as EXTRA CODE, which then means something else.
constexpr std::string_view kHandlerNotWanted =
    "the routine needs no standard handler (the omit list names it, or it initialises a "
    "creatable class), but holds one";

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// Lower is more severe, as the enumeration is ordered.
FindingSeverity MoreSevere(FindingSeverity a, FindingSeverity b) { return std::min(a, b); }

}  // namespace

std::string_view SeverityName(FindingSeverity severity) {
    switch (severity) {
        case FindingSeverity::Error: return "error";
        case FindingSeverity::Warning: return "warning";
        case FindingSeverity::Information: return "information";
        case FindingSeverity::Hint: return "hint";
    }
    return "warning";
}

std::optional<FindingSeverity> ParseSeverity(std::string_view name) {
    for (FindingSeverity s : {FindingSeverity::Error, FindingSeverity::Warning,
                              FindingSeverity::Information, FindingSeverity::Hint}) {
        if (EqualsIgnoringCase(name, SeverityName(s))) return s;
    }
    return std::nullopt;
}

const std::array<StatusRule, 5>& StatusRules() { return kRules; }

const StatusRule* RuleOfStatus(int status) {
    for (const StatusRule& rule : kRules) {
        if (rule.status == status) return &rule;
    }
    return nullptr;
}

const StatusRule* RuleWithId(std::string_view id) {
    for (const StatusRule& rule : kRules) {
        if (EqualsIgnoringCase(rule.id, id)) return &rule;
    }
    return nullptr;
}

bool SeverityOverrides::Set(std::string_view wordOrId, FindingSeverity severity) {
    for (const StatusRule& rule : kRules) {
        if (EqualsIgnoringCase(rule.id, wordOrId) ||
            EqualsIgnoringCase(StatusString(rule.status), wordOrId)) {
            Set(rule.status, severity);
            return true;
        }
    }
    return false;
}

void SeverityOverrides::Set(int status, FindingSeverity severity) {
    if (RuleOfStatus(status) != nullptr) byStatus_[static_cast<size_t>(status)] = severity;
}

FindingSeverity SeverityOverrides::SeverityOf(int status) const {
    const StatusRule* rule = RuleOfStatus(status);
    if (rule == nullptr) return FindingSeverity::Hint;
    return byStatus_[static_cast<size_t>(status)].value_or(rule->defaultSeverity);
}

namespace {

// What StatusMeaning gives, as a view of the text that holds it.
std::string_view MeaningOf(const RoutineStatusRow& row, bool top) {
    const int status = top ? row.status.top : row.status.exit;
    const StatusRule* rule = RuleOfStatus(status);
    if (rule == nullptr) return {};
    if (top && !row.required && status == kStatusExtraCode) return kHandlerNotWanted;
    const std::string& gap = top ? row.topGap : row.exitGap;
    if (status == kStatusInError && !gap.empty()) return gap;
    return rule->meaning;
}

}  // namespace

std::string StatusMeaning(const RoutineStatusRow& row, bool top) {
    return std::string(MeaningOf(row, top));
}

bool IsFinding(const RoutineStatusRow& row) {
    return CountAs(row.status) != Tally::Good && !row.standardTerminate;
}

int FindingStatus(const RoutineStatusRow& row) {
    if (!IsFinding(row)) return -1;
    return row.status.top != kStatusOk ? row.status.top : row.status.exit;
}

std::optional<Finding> FindingOf(const RoutineStatusRow& row, const SeverityOverrides& overrides) {
    const int naming = FindingStatus(row);
    if (naming < 0) return std::nullopt;
    Finding finding;
    finding.rule = RuleOfStatus(naming);
    finding.severity = overrides.SeverityOf(naming);
    std::string& message = finding.message;
    message.reserve(192);
    message.append("Top Status ").append(StatusString(row.status.top));
    message.append(", Exit Status ").append(StatusString(row.status.exit)).append(".");
    bool top = true;
    for (int status : {row.status.top, row.status.exit}) {
        if (RuleOfStatus(status) != nullptr) {
            finding.severity = MoreSevere(finding.severity, overrides.SeverityOf(status));
            message.append(top ? " Top: " : " Exit: ").append(MeaningOf(row, top)).append(".");
        }
        top = false;
    }
    return finding;
}

}  // namespace qv::analysis
