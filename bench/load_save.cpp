// qvaddin-bench-load_save: times the phases behind every command that
// changes code, on a project written by qvaddin-bench-gen: loading the
// files into the in-memory host, reading every module's routines (what
// `list` does), finding nothing to save after no edit, and, after one edit
// in every module, rendering and writing every file back.
//
// Usage: qvaddin-bench-load_save <project.vbp|group.vbg> [--no-write]

#include <chrono>
#include <cstring>
#include <iostream>
#include <string>

#include "analysis/routine_parsing.h"
#include "host/files/project_loader.h"
#include "host/files/workspace_saver.h"
#include "host/memory/memory_vbe.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

void Report(const char* phase, double seconds, long lines) {
    std::cout << "  " << phase << ": " << seconds << " s";
    if (lines > 0 && seconds > 0) {
        std::cout << "  (" << static_cast<long>(static_cast<double>(lines) / seconds)
                  << " lines/s)";
    }
    std::cout << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        std::cerr << "Usage: qvaddin-bench-load_save <project.vbp|group.vbg> [--no-write]\n";
        return 2;
    }
    const bool write = !(argc > 2 && std::strcmp(argv[2], "--no-write") == 0);
    using namespace qv;
    host::memory::MemoryVbe vbe;
    host::files::Workspace workspace(vbe);

    auto start = Clock::now();
    host::files::LoadTargets(workspace, {argv[1]});
    const double load = Seconds(start);
    long lines = 0, modules = 0;
    for (const auto& file : workspace.Files()) {
        if (file->component->Code() == nullptr) continue;
        lines += file->component->Code()->CountOfLines();
        ++modules;
    }

    start = Clock::now();
    long routines = 0;
    for (long p = 1; p <= vbe.Projects().Count(); ++p) {
        auto& project = vbe.Projects().At(p);
        for (long c = 1; c <= project.Components().Count(); ++c) {
            auto& component = project.Components().At(c);
            if (component.Code() == nullptr) continue;
            analysis::RoutineList names;
            analysis::GetRoutineNames(vbe, project.Name(), component.Name(), names, false);
            for (size_t i = 1; i < names.size(); ++i) {
                analysis::GetRoutineType(*component.Code(), names[i].name, names[i].kind);
            }
            routines += static_cast<long>(names.size()) - 1;
        }
    }
    const double list = Seconds(start);

    start = Clock::now();
    const size_t unchanged = host::files::PendingChanges(workspace).size();
    const double nothing = Seconds(start);

    for (const auto& file : workspace.Files()) {
        if (auto* code = file->component->Code())
            code->InsertLines(2, "' touched by the benchmark");
    }
    start = Clock::now();
    const auto changes = host::files::PendingChanges(workspace);
    const double render = Seconds(start);
    start = Clock::now();
    if (write) host::files::WriteChanges(changes);
    const double written = Seconds(start);

    std::cout << modules << " modules, " << routines << " routines, " << lines << " code lines\n";
    Report("load", load, lines);
    Report("routines and their types (list)", list, lines);
    Report("save without edits (nothing to write)", nothing, lines);
    Report("render every module after one edit each", render, lines);
    if (write)
        Report(("write " + std::to_string(changes.size()) + " files atomically").c_str(), written,
               lines);
    return unchanged == 0 ? 0 : 1;
}
