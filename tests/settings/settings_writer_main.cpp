// Test helper: one of several processes writing the same settings file at
// once. Writes count values named <prefix><i> in section "Writers" and exits
// 1 if any write failed.
//
//     qv_settings_writer <company> <app> <prefix> <count>

#include <cstdlib>
#include <string>

#include "settings/reg_settings.h"

int main(int argc, char* argv[]) {
    if (argc != 5) return 2;
    qv::settings::CRegSettings store;
    store.SetCompany(argv[1]);
    store.SetAppName(argv[2]);
    const std::string prefix = argv[3];
    const int count = std::atoi(argv[4]);
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const std::string key = prefix + std::to_string(i);
        if (!store.SaveSetting("Writers", key, "value of " + key + "\r\nsecond line")) ++failures;
    }
    return failures == 0 ? 0 : 1;
}
