#include "settings/settings_record.h"

namespace qv::settings {

SettingsRecord& Settings() {
    static SettingsRecord record;
    return record;
}

}  // namespace qv::settings
