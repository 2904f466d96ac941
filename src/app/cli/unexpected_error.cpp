#include "app/cli/unexpected_error.h"

#include <ostream>

#include "platform/error_state.h"
#include "platform/vb_error.h"

namespace qv::cli {

void ReportUnexpectedError(std::string_view functionName, std::ostream& err) {
    const VbError error = CurrentAsVbError();
    SetCurrentError(error);
    err << "qvaddin: internal error in " << functionName << ": " << error.Description()
        << " (error " << error.Number() << ")\n  source: " << error.Source() << '\n';
    ClearCurrentError();
}

}  // namespace qv::cli
