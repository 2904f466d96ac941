#include "settings/ide_tab_width.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "platform/text.h"
#include "platform/vb_error.h"
#include "settings/reg_settings.h"
#include "settings/store_names.h"

namespace qv::settings {

short ConvertTabWidth(std::string_view stored) try {
    const std::string t(text::Trim(stored));
    if (t.empty()) Raise(err::kTypeMismatch);
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(t.c_str(), &end);
    // Only plain decimal numbers: strtod would also take "inf", "nan" and hex.
    const bool plain = t.find_first_not_of("0123456789+-.eE") == std::string::npos;
    if (!plain || end != t.c_str() + t.size()) Raise(err::kTypeMismatch);
    const double rounded = std::nearbyint(value);  // the default mode rounds half to even
    if (errno == ERANGE || rounded < std::numeric_limits<short>::min() ||
        rounded > std::numeric_limits<short>::max()) {
        Raise(err::kOverflow);
    }
    return static_cast<short>(rounded);
}
QV_PASS_UP("modLine", "ConvertTabWidth")

short IdeTabWidth() try {
    settings::CRegSettings store;
    store.SetCompany(kIdeCompany);
    store.SetAppName(kIdeAppName);
    return ConvertTabWidth(store.GetSetting(kIdeSection, kIdeTabWidthKey, kDefaultTabWidth));
}
QV_PASS_UP("modLine", "IdeTabWidth")

int UsableTabWidth(short tabWidth) {
    return tabWidth < 1 ? 1 : tabWidth;
}

short TabWidth::Value() const {
    if (error_ != 0) Raise(error_);
    return width_;
}

int TabWidth::HostWidth() const {
    return error_ != 0 ? 4 : UsableTabWidth(width_);
}

TabWidth StoredTabWidth() {
    try {
        return TabWidth(IdeTabWidth());
    } catch (const VbError& e) {
        return TabWidth::Unreadable(e.Number());
    } catch (...) {
        return TabWidth::Unreadable(err::kTypeMismatch);
    }
}

}  // namespace qv::settings
