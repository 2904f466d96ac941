#include "tidy/tidy_state.h"

namespace qv::tidy {

TidyState& TheTidyState() {
    static TidyState state;
    return state;
}

}  // namespace qv::tidy
