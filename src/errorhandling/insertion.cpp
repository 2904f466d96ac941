#include "errorhandling/insertion.h"

#include <vector>

#include "analysis/routine_parsing.h"
#include "analysis/routine_shape.h"
#include "errorhandling/error_status.h"
#include "errorhandling/messages.h"
#include "errorhandling/removal.h"
#include "errorhandling/templates.h"
#include "platform/like.h"
#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/settings_record.h"
#include "tidy/tidy_keywords.h"
#include "tidy/tidy_up_code.h"

namespace qv::errorhandling {

namespace {

// The block as a routine body lays it out: one level in, each line through
// the indentation engine (the received-line tidy of the host then turns the
// tabs into spaces and puts labels in column 1).
std::string IndentBlock(const std::string& block, const settings::SettingsRecord& settings) try {
    // The block's last line is followed by an empty element, which the
    // engine takes for the closing line of the body and which is dropped.
    std::vector<std::string> lines = text::SplitLines(block + std::string(text::kCrLf));
    tidy::TidyUpCode(lines, tidy::RoutineOpeners(), tidy::RoutineClosers(), 1, settings);
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return text::JoinLines(lines);
}
QV_PASS_UP("AddIn", "IndentBlock")

}  // namespace

bool AddRoutineErrorHandling(host::Member& member, int kind,
                             const settings::SettingsRecord& settings, std::string& message) try {
    message.clear();
    const std::string name = member.Name();
    if (!analysis::ErrorHandlingRequired(member, settings)) {
        message = MessageText(1, {name});
        return false;
    }
    host::CodeModule& module = analysis::ModuleOf(member);
    // A routine without a body of its own lines, or inside #If structure
    // that does not nest in it, has no place where a handler could go.
    message = analysis::ChangeRefusal(module, name, kind);
    if (!message.empty()) return false;
    const analysis::RoutineSpan span = analysis::FirstAndLast(module, name, kind);
    std::string fullText;
    const std::string code = analysis::RemoveComments(module, name, kind, fullText);
    if (const int refusal = OnErrorRefusal(code, settings)) {
        message = MessageText(refusal);
        return false;
    }

    TemplateRoutine routine(member, kind);
    const std::string exitBlock = IndentBlock(LastBit(routine, settings, false), settings);
    const std::string topBlock = IndentBlock(
        routine.IsTerminate() ? std::string(kTerminateTopBlock) : TopBit(routine, settings, false),
        settings);

    // The exit block first: it goes below the first line, which so stays
    // where it was found.
    module.InsertLines(span.lastLine, std::string(text::kCrLf) + exitBlock);
    module.InsertLines(span.firstLine, topBlock + std::string(text::kCrLf));
    return true;
}
QV_PASS_UP("AddIn", "AddRoutineErrorHandling")

int OnErrorRefusal(const std::string& code, const settings::SettingsRecord& settings) {
    if (modSearchText::StringInRoutine(code, "On Error GoTo " + settings.label2)) {
        return 2;
    }
    return modSearchBin::StringInRoutine(code, "On Error ") ? 3 : 0;
}

bool ReplaceHandler(host::Member& member, int kind, const settings::SettingsRecord& settings,
                    std::string& message) try {
    host::CodeModule& module = analysis::ModuleOf(member);
    const std::string name = member.Name();
    const auto routineText = [&] {
        return module.Lines(module.ProcStartLine(name, kind), module.ProcCountLines(name, kind));
    };
    const std::string before = routineText();
    RemoveOld(member, kind, settings);
    AddRoutineErrorHandling(member, kind, settings, message);
    return routineText() != before;
}
QV_PASS_UP("AddIn", "ReplaceHandler")

}  // namespace qv::errorhandling
