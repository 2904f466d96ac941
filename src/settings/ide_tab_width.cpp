#include "settings/ide_tab_width.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
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

namespace {

struct RunState {
    int depth = 0;
    std::optional<short> tabWidth;
};

// One per thread: a run on one thread (a command of the IDE) must not lend
// its width to, or end the run of, an engine on another (a server's worker).
RunState& Run() {
    thread_local RunState state;
    return state;
}

}  // namespace

TabWidthRun::TabWidthRun() {
    RunState& run = Run();
    if (run.depth++ > 0) return;
    try {
        run.tabWidth = IdeTabWidth();
    } catch (...) {
        run.tabWidth.reset();
    }
}

TabWidthRun::~TabWidthRun() {
    RunState& run = Run();
    if (--run.depth == 0) run.tabWidth.reset();
}

short RunTabWidth() {
    const RunState& run = Run();
    return run.depth > 0 && run.tabWidth ? *run.tabWidth : IdeTabWidth();
}

}  // namespace qv::settings
