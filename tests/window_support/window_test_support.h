#pragma once
// What the window tests share: the command-line tool run as its own process
// (its output is what a window must agree with), VB6 projects loaded into an
// in-memory host as the tool loads them, and generated projects.
//
//     LoadedHost host({ExampleProject()});
//     CliOutput cli = RunQvaddin({"find", ExampleProject(), "Balance"});
//     EXPECT_EQ(WindowTreeText(...), cli.out);

#include <memory>
#include <string>
#include <vector>

#include "host/files/workspace.h"
#include "host/memory/memory_vbe.h"
#include "host_files/temp_folder.h"

namespace qv::test {

struct CliOutput {
    int code = -1;
    std::string out;
    std::string err;
};

// qvaddin with these arguments (without the program name), run to its end.
CliOutput RunQvaddin(const std::vector<std::string>& arguments);

// The bundled example project's file.
std::string ExampleProject();

// Projects, groups or module files loaded into a host of their own.
class LoadedHost {
public:
    explicit LoadedHost(const std::vector<std::string>& paths);
    host::memory::MemoryVbe& Vbe() { return *vbe_; }
    host::files::Workspace& Files() { return *workspace_; }

private:
    std::unique_ptr<host::memory::MemoryVbe> vbe_;
    std::unique_ptr<host::files::Workspace> workspace_;
};

// A generated project of about the given size in a temporary folder, spread
// over that many projects of a group; the file to load is Target().
class GeneratedProject {
public:
    GeneratedProject(long lines, int projects);
    std::string Target() const;

private:
    TempFolder folder_;
    int projects_;
};

}  // namespace qv::test
