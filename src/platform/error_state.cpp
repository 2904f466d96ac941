#include "platform/error_state.h"

namespace qv {
namespace {
ErrorRecord& Saved() {
    static ErrorRecord saved;
    return saved;
}
}  // namespace

ErrorRecord& Err() {
    static ErrorRecord current;
    return current;
}

void SetCurrentError(const VbError& error) {
    Err() = ErrorRecord{error.Number(), error.Source(), error.Description(), error.Line()};
}

void ClearCurrentError() { Err() = ErrorRecord{}; }

void ErrorSave() {
    Saved().description = Err().description;
    Saved().number = Err().number;
    Saved().source = Err().source;
}

void ErrorRestore() {
    Err().description = Saved().description;
    Err().number = Saved().number;
    Err().source = Saved().source;
}

void ClearSavedError() { Saved() = ErrorRecord{}; }

const ErrorRecord& SavedError() { return Saved(); }

}  // namespace qv
