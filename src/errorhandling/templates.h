#pragma once
// The standard error handler, built from the template settings: the top block
// (inserted after a routine's declaration) and the exit block (inserted before
// its closing line), with the placeholders %m %r %p %P %e %f %F substituted.
//
// The builders also run in pattern mode, in which the variable parts become
// "*" wildcards, so that the status check can tell a damaged handler from an
// intact one whose routine was renamed.
//
// Which error text a routine gets depends on its class: terminate routines
// keep a pending error, transaction-server (MTS) routines abort the
// transaction, top-level (event) routines log and resume, every other routine
// raises the error again with its location added.

#include <optional>
#include <string>
#include <string_view>

#include "host/code_host.h"
#include "settings/settings_record.h"

namespace qv::errorhandling {

// The top block that a terminate routine gets instead of the standard one: it
// saves an error that was pending when the terminate event started. Its exit
// block is the single line "ErrorRestore".
inline constexpr std::string_view kTerminateTopBlock =
    "\tIf Err.Number <> 0 Then\r\n"
    "\t\tErrorSave\r\n"
    "\tEnd If\r\n"
    "\tOn Error Resume Next";
inline constexpr std::string_view kTerminateExitBlock = "ErrorRestore";

// True when a routine's code without comments (as RemoveComments gives it)
// begins with the terminate top block and ends with the terminate exit block,
// as insertion leaves a terminate routine.
bool HoldsTerminateHandler(std::string_view codeText);

// What the builders ask about one routine, each fact worked out once on first
// use, so that building both blocks in both modes reads the routine's text
// only as often as needed.
class TemplateRoutine {
public:
    TemplateRoutine(host::Member& member, int kind);
    // routineType: the routine's type as GetRoutineType gives it, known
    // already (the module has not changed since), so it is not read again.
    TemplateRoutine(host::Member& member, int kind, std::string routineType);
    // body: the routine's declaration line, end: the line after its block,
    // known already (the module has not changed since): its type is read
    // there without looking the routine up again.
    TemplateRoutine(host::Member& member, int kind, long body, long end);

    host::Member& Member() const { return member_; }
    host::CodeModule& Module() const { return module_; }
    const std::string& Name() const { return name_; }
    int Kind() const { return kind_; }

    // "Sub", "Function", "Property" or "".
    const std::string& RoutineType();
    // The parameter names, with or without the leading comma.
    const std::string& Parameters(bool leadingComma);

    bool IsTerminate();
    bool IsMts();
    bool IsEvent();

private:
    host::Member& member_;
    host::CodeModule& module_;
    std::string name_;
    int kind_;
    std::optional<std::string> routineType_;
    long body_ = 0, end_ = 0;  // where the declaration lies (0: looked up)
    std::optional<std::string> parameters_[2];
    std::optional<bool> terminate_;
    std::optional<bool> mts_;
    std::optional<bool> event_;
};

// The top block, lines joined by CR LF, built from the labels and templates
// of the given settings. Lets pending user-interface events run once per call.
std::string TopBit(host::Member& member, int kind, const settings::SettingsRecord& settings,
                   bool patternMode);
std::string TopBit(TemplateRoutine& routine, const settings::SettingsRecord& settings,
                   bool patternMode);

// The exit block, lines joined by CR LF, built from the given settings.
std::string LastBit(host::Member& member, int kind, const settings::SettingsRecord& settings,
                    bool patternMode);
std::string LastBit(TemplateRoutine& routine, const settings::SettingsRecord& settings,
                    bool patternMode);

// The text with the placeholders substituted.
std::string DoSubs(std::string_view text, bool patternMode, host::Member& member, int kind);
std::string DoSubs(std::string_view text, bool patternMode, TemplateRoutine& routine);

// True when the routine is an event procedure of the designer itself or of
// one of its controls. controls may be nullptr.
bool CheckAtTop(std::string_view name, host::VBControls* controls, int componentType);

// True for a terminate routine: Class_Terminate of a class, *_Terminate of an
// ActiveX designer.
bool IsTermimate(host::Member& member);

}  // namespace qv::errorhandling
