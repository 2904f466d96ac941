#pragma once
// What the parts of the IDE window share: the program's name, a file's name
// as the windows show it, and the code modules of every open project.

#include <QString>
#include <string>
#include <vector>

#include "host/memory/memory_vbe.h"

namespace qv::workbench {

constexpr const char* kProgramName = "qvaddin-workbench";

inline QString FileName(const std::string& path) {
    return QString::fromStdString(path).section(u'/', -1);
}

inline std::vector<host::memory::MemoryCodeModule*> AllModules(host::memory::MemoryVbe& vbe) {
    std::vector<host::memory::MemoryCodeModule*> modules;
    for (long p = 1; p <= vbe.Projects().Count(); ++p) {
        auto& components = vbe.Projects().At(p).Components();
        for (long c = 1; c <= components.Count(); ++c) {
            if (host::memory::MemoryCodeModule* code = components.At(c).Code())
                modules.push_back(code);
        }
    }
    return modules;
}

}  // namespace qv::workbench
