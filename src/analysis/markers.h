#pragma once
// The two comment lines that fence the optional texts of an inserted top
// block, so that a later replace or remove finds the block. Compared exactly
// after trimming spaces.

#include <string_view>

namespace qv::analysis {

inline constexpr std::string_view kOpeningMarker =
    "'---QVADDIN2----do not change this line--lines below this one will be deleted if error "
    "handling is replaced----------------------------------------------- qvaddin2";
inline constexpr std::string_view kClosingMarker =
    "'---QVADDIN2----do not change this line--lines above this one will be deleted if error "
    "handling is replaced----------------------------------------------- qvaddin2";

}  // namespace qv::analysis
