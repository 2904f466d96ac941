#include "settings/integer_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/text.h"
#include "platform/vb_error.h"

namespace qv::settings {

namespace {

long Convert(std::string_view text, long low, long high) {
    long value = 0;
    switch (ParseInteger(text, low, high, value)) {
        case IntegerText::Number: return value;
        case IntegerText::NotANumber: Raise(err::kTypeMismatch);
        case IntegerText::OutOfRange: Raise(err::kOverflow);
    }
    Raise(err::kTypeMismatch);
}

}  // namespace

IntegerText ParseInteger(std::string_view text, long low, long high, long& value) {
    text = text::Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Plain decimal numbers only: no second sign, no "inf", "nan" or hex.
    if (text.empty() || text.front() == '+' || text.front() == '-' ||
        text.find_first_not_of("0123456789.eE+-") != std::string_view::npos) {
        return IntegerText::NotANumber;
    }
    double parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (end != text.data() + text.size() ||
        (ec != std::errc() && ec != std::errc::result_out_of_range)) {
        return IntegerText::NotANumber;
    }
    // The run time rounds half to even, as the default rounding mode does.
    const double rounded = std::nearbyint(negative ? -parsed : parsed);
    if (ec == std::errc::result_out_of_range || rounded < static_cast<double>(low) ||
        rounded > static_cast<double>(high)) {
        return IntegerText::OutOfRange;
    }
    value = static_cast<long>(rounded);
    return IntegerText::Number;
}

short ToInteger16(std::string_view text) {
    return static_cast<short>(Convert(text, std::numeric_limits<std::int16_t>::min(),
                                      std::numeric_limits<std::int16_t>::max()));
}

long ToInteger32(std::string_view text) {
    return Convert(text, std::numeric_limits<std::int32_t>::min(),
                   std::numeric_limits<std::int32_t>::max());
}

}  // namespace qv::settings
