#pragma once
// Builds small in-memory projects from readable VB text, so that engine tests
// read as VB code in and VB code out.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/memory/memory_vbe.h"

namespace qv::test {

// Joins lines with CR LF: Vb({"Sub A()", "End Sub"}).
std::string Vb(const std::vector<std::string>& lines);

class VbFixture {
public:
    VbFixture();
    host::memory::MemoryVbe& Vbe() { return *vbe_; }
    host::memory::MemoryProject& Project() { return *project_; }

    // A component of the given type whose code is the text, loaded as read
    // from a file (not tidied by the host).
    host::memory::MemoryComponent& Add(std::string name, int type, std::string_view code);
    host::memory::MemoryCodeModule& Module(std::string_view name);
    // The whole text of a module, lines joined with CR LF.
    std::string Text(std::string_view name);

private:
    std::unique_ptr<host::memory::MemoryVbe> vbe_;
    host::memory::MemoryProject* project_;
};

}  // namespace qv::test
