#include "settings/built_in_templates.h"

#include "platform/text.h"

namespace qv::settings::builtin {

std::string Add3() {
    return text::JoinLines({"Debug.Assert False", "Errorlog \"%m.%r\"", "Resume Exit_Routine"});
}

std::string Add4() {
    return text::JoinLines(
        {"Debug.Assert False",
         "Err.Raise Err.Number, \"%m.%r(\" & Erl & \"):\" & Err.Source, Err.Description"});
}

std::string Add6() {
    return text::JoinLines(
        {"Debug.Assert False", "mctxObject.SetAbort",
         "Err.Raise Err.Number, \"%m.%r(\" & Erl & \"):\" & Err.Source, Err.Description"});
}

std::string Add6WithoutModule() {
    return text::JoinLines(
        {"Debug.Assert False", "mctxObject.SetAbort",
         "Err.Raise Err.Number, \"%r(\" & Erl & \"):\" & Err.Source, Err.Description"});
}

std::string Omit() {
    return text::JoinLines(
        {"ErrorRestore", "ErrorSave", "ObjectControl_CanBePooled", "ObjectControl_Deactivate"});
}

}  // namespace qv::settings::builtin
