#pragma once
// The status words as findings, for the tools that report them outside the
// main window (SARIF output, the language server's diagnostics): which
// routines are findings, and for each status word a stable rule id, a short
// name, what the word means and how severe it is by default. A severity can
// be overridden per word (a client's settings); the overrides are a plain
// value that the caller keeps.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "errorhandling/module_counts.h"

namespace qv::analysis {

enum class FindingSeverity { Error, Warning, Information, Hint };

// "error", "warning", "information", "hint".
std::string_view SeverityName(FindingSeverity severity);
// The severity of one of those names, ignoring case; nothing for another text.
std::optional<FindingSeverity> ParseSeverity(std::string_view name);

struct StatusRule {
    int status;                   // the status code this rule reports
    std::string_view id;          // stable, e.g. "QV-MISSING"
    std::string_view name;        // short name, e.g. "MissingErrorHandler"
    std::string_view meaning;     // what the status word means
    FindingSeverity defaultSeverity;
};

// One rule for each status word that makes a finding (SOME, MISSING,
// IN ERROR, EXTRA CODE, IN ERROR & EXTRA CODE), in the order of their codes.
const std::array<StatusRule, 5>& StatusRules();
// The rule of a status code; nullptr for OK, N/A and codes outside 0..6.
const StatusRule* RuleOfStatus(int status);
// The rule with that id, ignoring case; nullptr when there is none.
const StatusRule* RuleWithId(std::string_view id);

// Severities per status word; a word without an override keeps its default.
class SeverityOverrides {
public:
    // Overrides the severity of the status word or rule id named (ignoring
    // case: "MISSING", "in error", "QV-SOME"). False when the name is neither.
    bool Set(std::string_view wordOrId, FindingSeverity severity);
    void Set(int status, FindingSeverity severity);
    // The severity of a status code that has a rule.
    FindingSeverity SeverityOf(int status) const;

    bool operator==(const SeverityOverrides&) const = default;

private:
    std::array<std::optional<FindingSeverity>, 7> byStatus_{};
};

// A routine is a finding when its shown status pair is neither OK/OK nor
// OK/N/A, unless it is a terminate routine holding the terminate blocks that
// insertion gives it (those pass check, and adding a handler changes nothing).
bool IsFinding(const RoutineStatusRow& row);

// The status word that names a finding: the top status unless it is OK, else
// the exit status. -1 for a routine that is no finding.
int FindingStatus(const RoutineStatusRow& row);

// What the routine's top (or exit) status means for it: the meaning of its
// status word, or what is missing where the block is not there at all, or
// that the routine needs no handler where one stands; "" for OK and N/A.
std::string StatusMeaning(const RoutineStatusRow& row, bool top);

struct Finding {
    const StatusRule* rule = nullptr;  // the rule of FindingStatus
    FindingSeverity severity = FindingSeverity::Warning;
    std::string message;
};

// The finding of a routine, or nothing when it is none. Its severity is the
// most severe of its status words' severities (an IN ERROR top with an
// EXTRA CODE exit is as severe as either); its message gives both status
// words and what the naming one means.
std::optional<Finding> FindingOf(const RoutineStatusRow& row,
                                 const SeverityOverrides& overrides = {});

}  // namespace qv::analysis
