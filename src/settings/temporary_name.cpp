#include "settings/temporary_name.h"

#include <random>

namespace qv::settings {

std::string TemporaryName(const std::string& path) {
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::string name = path + ".";
    for (int i = 0; i < 6; ++i) name += kChars[device() % (sizeof kChars - 1)];
    return name;
}

}  // namespace qv::settings
