#include "errorhandling/routine_text.h"

#include "analysis/routine_parsing.h"
#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::errorhandling {

namespace {

// The routine's name in a row text: the text up to its first space, when
// that space is not one of its first two characters.
std::string_view RoutineName(std::string_view routineText) {
    const size_t space = routineText.find(' ');
    return space != std::string_view::npos && space >= 2 ? routineText.substr(0, space)
                                                         : routineText;
}

bool IsBlankOrComment(std::string_view line) {
    return text::Trim(line).empty() || text::StartsWith(line, "'");
}

}  // namespace

RoutineText GetRoutine(host::VBProject& project, std::string_view moduleName,
                       std::string_view routineText, int kind) try {
    host::VBComponent& component = project.VBComponents().Item(moduleName);
    host::CodeModule* module = component.CodeModule();
    if (module == nullptr) Raise(err::kObjectRequired);
    const long declarations = module->CountOfDeclarationLines();
    RoutineText result;
    if (routineText == analysis::kDeclarationsName) {
        result.startLine = 1;
        result.count = declarations;
    } else {
        const std::string_view name = RoutineName(routineText);
        result.startLine = module->ProcStartLine(name, kind);
        result.count = module->ProcCountLines(name, kind);
        while (result.startLine > declarations + 1 && result.startLine >= 2 &&
               IsBlankOrComment(module->Lines(result.startLine - 1, 1))) {
            --result.startLine;
            ++result.count;
        }
    }
    if (result.count > 0) result.text = module->Lines(result.startLine, result.count);
    return result;
} QV_PASS_UP("AddIn", "GetRoutine")

}  // namespace qv::errorhandling
