#pragma once
// One module file of every kind, as readable lines (the code part shared).

#include <string>
#include <vector>

namespace qv::test {

struct ModuleKind {
    std::string key;  // the .vbp line's key
    std::string fileName;
    std::string name;  // VB_Name
    int type;          // the component type the host should give it
    std::vector<std::string> header;
};

// Every module kind of a .vbp.
std::vector<ModuleKind> EveryModuleKind();

// Code with a property and its hidden attribute lines, a WithEvents
// variable with one, continuation lines, Select Case and a comment with the
// given extra bytes (a code page's characters).
std::vector<std::string> SampleCode(const std::string& extraBytes);

// The .vbp that lists the modules.
std::vector<std::string> ProjectLines(const std::vector<ModuleKind>& kinds);

}  // namespace qv::test
