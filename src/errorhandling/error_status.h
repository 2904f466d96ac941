#pragma once
// Whether a routine carries the standard error handler and whether it is
// intact, as a pair of status codes: the top status (the block after the
// declaration) and the exit status (the block before the closing line). Also
// whether a routine needs the standard handler at all.
//
// A block is judged against what the given settings' templates produce: equal is
// OK; matching the pattern-mode template (names and parameters as
// wildcards) is IN ERROR; holding every template line with other lines in
// between is EXTRA CODE.

#include <functional>
#include <string>
#include <string_view>

#include "host/code_host.h"
#include "settings/settings_record.h"

namespace qv::errorhandling {
class TemplateRoutine;
}

namespace qv::analysis {

enum Status : int {
    kStatusOk = 0,
    kStatusSome = 1,              // some "On Error " statement, not the standard one
    kStatusMissing = 2,           // no "On Error " statement at all
    kStatusInError = 3,           // the standard block, differing from the templates
    kStatusExtraCode = 4,         // the template lines, with other lines between them
    kStatusInErrorExtraCode = 5,  // both
    kStatusNotApplicable = 6,     // no exit status applies
};

struct StatusPair {
    int top = kStatusMissing;
    int exit = kStatusNotApplicable;
    bool operator==(const StatusPair&) const = default;
};

// Every judgement below is made against the labels and templates of the
// settings record the caller gives.
// codeText: the routine's body without comments, as RemoveComments gives it.
StatusPair GetRoutineStatus(host::CodeModule& module, std::string_view name, int kind,
                            std::string_view codeText, const settings::SettingsRecord& settings);
// The same, with the routine's full body text (RemoveComments' out-argument)
// already at hand, so that it is not read again.
StatusPair GetRoutineStatus(host::CodeModule& module, std::string_view name, int kind,
                            std::string_view codeText, std::string_view fullText,
                            const settings::SettingsRecord& settings);
// The same, the full body text read (by readFullText) only when the
// judgement needs it: for a routine with the standard On Error line.
StatusPair GetRoutineStatus(host::CodeModule& module, std::string_view name, int kind,
                            std::string_view codeText,
                            const std::function<std::string_view()>& readFullText,
                            const settings::SettingsRecord& settings);

int TestForTop(host::CodeModule& module, std::string_view name, int kind,
               const settings::SettingsRecord& settings);
int TestForOldStuff(host::CodeModule& module, std::string_view name, int kind,
                    const settings::SettingsRecord& settings);
// The tests on a full body text already read.
int TestForTop(errorhandling::TemplateRoutine& routine, std::string_view fullText,
               const settings::SettingsRecord& settings);
int TestForOldStuff(errorhandling::TemplateRoutine& routine, std::string_view fullText,
                    const settings::SettingsRecord& settings);

// What a block judged IN ERROR lacks when it is not merely different from
// the templates but not there at all (or, for the top block, holds the On
// Error line without the templates' lines around it): words for the user,
// naming the labels and lines that are missing; "" when the block is there.
// fullText: the routine's body as RemoveComments gives it in its
// out-argument.
std::string TopBlockGap(std::string_view fullText, const settings::SettingsRecord& settings);
std::string ExitBlockGap(std::string_view fullText, const settings::SettingsRecord& settings);

// True when the routine must carry the standard handler: not one the
// settings' omit list names, nor the initialisation of a creatable class.
bool ErrorHandlingRequired(host::Member& member, const settings::SettingsRecord& settings);
// The same for the member of that name (as the member spells it) in the
// module.
bool ErrorHandlingRequired(host::CodeModule& module, std::string_view memberName,
                           const settings::SettingsRecord& settings);

// The top status shown for a routine: for one that needs no handler, "SOME"
// and "MISSING" become "OK" and every other status "EXTRA CODE" (a standard
// handler where none belongs).
int ShownTopStatus(int top, bool required);

// The status word of a code; "" outside 0..6.
std::string StatusString(int code);

}  // namespace qv::analysis
