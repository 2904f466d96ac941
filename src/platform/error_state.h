#pragma once
// The process-wide current error (what an error trap has caught and not yet
// reported) and the saved error of ErrorSave / ErrorRestore.
//
// A class's clean-up calls ErrorSave first when an error is pending and
// ErrorRestore last, so that an error pending when the object was released
// survives the clean-up's own work.

#include <string>

#include "platform/vb_error.h"

namespace qv {

struct ErrorRecord {
    long number = 0;
    std::string source;
    std::string description;
    int line = 0;

    bool IsSet() const { return number != 0; }
};

// The current error: set by a trap that caught an error, read by the report.
ErrorRecord& Err();
void SetCurrentError(const VbError& error);
void ClearCurrentError();

// Copies the current error's description, number and source to the saved error.
void ErrorSave();
// Sets the current error's description, number and source from the saved error.
void ErrorRestore();
// Empties the saved error (the report does this before it shows anything).
void ClearSavedError();
const ErrorRecord& SavedError();

}  // namespace qv
