#include "app/cli/commands/handler_change.h"

#include "analysis/error_status.h"
#include "app/cli/commands/code_change_command.h"
#include "errorhandling/insertion.h"
#include "errorhandling/messages.h"
#include "errorhandling/removal.h"
#include "platform/like.h"
#include "platform/vb_error.h"
#include "settings/settings_record.h"

namespace qv::cli {

namespace {

using analysis::Status;

struct HandlerFacts {
    int top = analysis::kStatusMissing;    // as the text has it
    int shown = analysis::kStatusMissing;  // as shown and counted
    int exit = analysis::kStatusNotApplicable;
    bool required = true;
};

HandlerFacts Judge(host::CodeModule& module, const analysis::RoutineEntry& routine) {
    std::string fullText;
    const std::string code = analysis::RemoveComments(module, routine.name, routine.kind, fullText);
    HandlerFacts facts;
    const analysis::StatusPair status =
        analysis::GetRoutineStatus(module, routine.name, routine.kind, code, fullText);
    facts.top = status.top;
    facts.exit = status.exit;
    facts.required = analysis::ErrorHandlingRequired(module.Members().Item(routine.name));
    facts.shown = analysis::ShownTopStatus(facts.top, facts.required);
    return facts;
}

bool HasStandardHandler(int top) {
    return top != analysis::kStatusMissing && top != analysis::kStatusSome;
}

bool IsExtraCode(int shown) {
    return shown == analysis::kStatusExtraCode || shown == analysis::kStatusInErrorExtraCode;
}

// Why a routine whose new handler would be refused keeps its old one.
std::string InsertionRefusal(const std::string& code) {
    const std::string& label2 = settings::Settings().label2;
    if (modSearchText::StringInRoutine(code, "On Error GoTo " + label2)) {
        return errorhandling::MessageText(2);
    }
    if (modSearchBin::StringInRoutine(code, "On Error ")) return errorhandling::MessageText(3);
    return {};
}

}  // namespace

shell::RoutineOutcome ChangeHandler(host::CodeModule& module, const analysis::RoutineEntry& routine,
                                    HandlerChange change, bool force) {
    shell::RoutineOutcome outcome(routine);
    if (routine.name == analysis::kDeclarationsName) return outcome;
    HandlerFacts facts;
    try {
        facts = Judge(module, routine);
    } catch (...) {
        outcome.refusal =
            "its error handling cannot be judged: " + CurrentAsVbError().Description();
        return outcome;
    }
    if (facts.top == analysis::kStatusSome) return outcome;  // not a handler the system wrote
    const bool remove = HasStandardHandler(facts.top);
    const bool insert = change == HandlerChange::Replace && facts.required;
    if (!remove && !insert) return outcome;
    // The exit block's own lines go with the handler as well as the top
    // block's: either holding lines of the user's asks for --force.
    if (remove && (IsExtraCode(facts.shown) || IsExtraCode(facts.exit)) && !force) {
        outcome.refusal = "Top Status " + analysis::StatusString(facts.shown) + ", Exit Status " +
                          analysis::StatusString(facts.exit) +
                          ": the handler holds lines of its own, or the routine needs none; "
                          "--force takes it out all the same";
        return outcome;
    }

    const std::string before = shell::BlockText(module, routine);
    host::Member& member = module.Members().Item(routine.name);
    if (remove) {
        const errorhandling::RemovalPlan plan =
            errorhandling::PlanRemoval(module, routine.name, routine.kind);
        const std::string code =
            errorhandling::CodeAfterRemoval(module, routine.name, routine.kind, plan);
        if (insert) {
            const std::string refusal = InsertionRefusal(code);
            if (!refusal.empty()) {
                outcome.refusal =
                    "the old handler stays, as a new one would be refused: " + refusal;
                return outcome;
            }
        } else if (!force && UsesHandlerLabels(code)) {
            const settings::SettingsRecord& s = settings::Settings();
            outcome.refusal = "its own code goes to " + s.label1 + " or " + s.label2 +
                              ", which would be left undefined; --force takes the handler out "
                              "all the same";
            return outcome;
        }
        errorhandling::RemoveOld(member, routine.kind);
    }
    if (insert) {
        std::string message;
        if (!errorhandling::AddRoutineErrorHandling(member, routine.kind, message)) {
            outcome.refusal = message;
        }
    }
    outcome.changed = shell::BlockText(module, routine) != before;
    if (outcome.changed) outcome.done = !remove ? "added" : insert ? "replaced" : "removed";
    return outcome;
}

}  // namespace qv::cli
