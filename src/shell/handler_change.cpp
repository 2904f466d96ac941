#include "shell/handler_change.h"

#include <vector>

#include "analysis/routine_shape.h"
#include "errorhandling/error_status.h"
#include "errorhandling/insertion.h"
#include "errorhandling/messages.h"
#include "errorhandling/removal.h"
#include "errorhandling/templates.h"
#include "platform/vb_error.h"
#include "shell/line_number_commands.h"

#include "settings/settings_record.h"

namespace qv::shell {

namespace {

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : " and ") + name;
    return text;
}

}  // namespace

RoutineOutcome ChangeHandler(host::CodeModule& module, const analysis::RoutineEntry& routine,
                             const settings::SettingsRecord& record, HandlerChange change,
                             bool force) {
    using errorhandling::RemovalNeed;
    RoutineOutcome outcome(routine);
    if (routine.name == analysis::kDeclarationsName) return outcome;
    const analysis::RoutineCopyScope copy(module, routine);
    errorhandling::RemovalDecision decision;
    try {
        decision = errorhandling::DecideRemoval(module, routine.name, routine.kind, record);
    } catch (...) {
        outcome.refusal =
            "its error handling cannot be judged: " + CurrentAsVbError().Description();
        return outcome;
    }
    if (decision.need == RemovalNeed::Refused) {
        outcome.refusal = decision.refusal;
        return outcome;
    }
    if (decision.top == analysis::kStatusSome && decision.need == RemovalNeed::Nothing) {
        return outcome;  // error handling of the user's own
    }
    // As the main window asks before it takes out a handler that holds lines
    // of the user's own (or stands where none belongs), --force confirms.
    if (decision.need == RemovalNeed::Confirm && !force) {
        outcome.refusal = "Top Status " + analysis::StatusString(decision.shownTop) +
                          ": the handler holds lines of its own, or the routine needs none; "
                          "--force takes it out all the same";
        return outcome;
    }
    const bool remove = decision.need != RemovalNeed::Nothing;
    const bool insert = change == HandlerChange::Replace && decision.required;
    if (!remove && !insert) return outcome;

    // From here on every step works where the decision found the routine,
    // and after the removal where the deleted lines leave it.
    host::Member& member = module.Members().Item(routine.name);
    errorhandling::RemovalPlan plan;
    if (remove) {
        plan = errorhandling::PlanRemoval(module, routine.name, decision.span, record);
        if (insert) {
            // At the place the plan found the routine: nothing has moved it yet.
            const std::string after = errorhandling::CodeAfterRemoval(module, plan);
            const int refusal = errorhandling::OnErrorRefusal(after, record);
            std::string why = refusal != 0 ? errorhandling::MessageText(refusal) : std::string();
            if (why.empty()) {
                errorhandling::TemplateRoutine templates(member, routine.kind);
                why = errorhandling::LabelRefusal(routine.name, after,
                                                  errorhandling::HandlerText(templates, record));
            }
            if (!why.empty()) {
                outcome.refusal = "the old handler stays, as a new one would be refused: " + why;
                return outcome;
            }
        } else if (!force) {
            const std::vector<std::string> labels = errorhandling::LabelsLeftUndefined(module, plan);
            if (!labels.empty()) {
                outcome.refusal = "its own code goes to " + Joined(labels) +
                                  ", which the removal would leave undefined; --force takes "
                                  "the handler out all the same";
                return outcome;
            }
        }
    }
    std::string message;
    if (remove && insert) {
        outcome.changed =
            errorhandling::ReplaceHandler(member, routine.kind, plan, record, message);
    } else if (remove) {
        outcome.changed = errorhandling::RemoveOld(module, plan);
    } else {
        outcome.changed = errorhandling::AddRoutineErrorHandling(member, routine.kind,
                                                                 decision.span, record, message);
    }
    outcome.refusal = message;
    if (outcome.changed) outcome.done = !remove ? "added" : insert ? "replaced" : "removed";
    return outcome;
}

RoutineOutcome Unnumber(host::CodeModule& module, const analysis::RoutineEntry& routine) {
    RoutineOutcome outcome(routine);
    if (routine.name == analysis::kDeclarationsName) return outcome;
    const analysis::RoutineCopyScope copy(module, routine);
    outcome.refusal = analysis::ChangeRefusal(module, routine.name, routine.kind);
    if (!outcome.refusal.empty()) return outcome;
    outcome.changed =
        linenumbers::RemoveLineNumbers_Mem(module.Members().Item(routine.name), routine.kind);
    if (outcome.changed) outcome.done = "unnumbered";
    return outcome;
}

}  // namespace qv::shell
