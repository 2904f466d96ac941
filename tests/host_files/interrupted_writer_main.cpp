// A helper program for the interruption tests: replaces the files named on
// its command line in one batch, and stops once the temporary file of the
// last of them is written. It says "ready" on standard output and waits
// there for the signal (on Windows the console event) that the test sends.
// With --midway it stages each file as read (so that each is swapped with
// its new text and what it held is removed after) and stops right before
// the last one is replaced instead: the files before it are replaced, and
// what they held is being removed.
// With --hold MARKER it runs a second thread, as a run that works on modules
// side by side does, and holds the interruptions back for a second after it
// said "ready"; it writes MARKER at the end of that second, before it lets
// them through.
//
//     qv_interrupted_writer [--hold MARKER | --midway] FILE...

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "host/files/file_io.h"
#include "host/files/temp_files.h"

namespace {

std::string g_last;
std::string g_marker;  // --hold's
qv::host::files::WriteStep g_stopAt = qv::host::files::WriteStep::Staged;

void WaitAtTheLast(qv::host::files::WriteStep step, const std::string& path) {
    if (step != g_stopAt || path != g_last) return;
    if (!g_marker.empty()) {
        const qv::host::files::InterruptionsHeld held;
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::seconds(1));
        std::ofstream(g_marker) << "held to the end\n";
    } else {
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
    }
    while (true) std::this_thread::sleep_for(std::chrono::hours(1));
}

}  // namespace

int main(int argc, char* argv[]) {
    int first = 1;
    bool asRead = false;
    if (argc > 2 && std::strcmp(argv[1], "--hold") == 0) {
        g_marker = argv[2];
        first = 3;
    } else if (argc > 1 && std::strcmp(argv[1], "--midway") == 0) {
        g_stopAt = qv::host::files::WriteStep::BeforeReplace;
        asRead = true;
        first = 2;
    }
    if (argc <= first) return 2;
    qv::host::files::RemoveTempFilesOnInterruption();
    if (!g_marker.empty()) {
        // Started after the handlers, with no signal held back.
        std::thread([] {
            while (true) std::this_thread::sleep_for(std::chrono::hours(1));
        }).detach();
    }
    g_last = argv[argc - 1];
    qv::host::files::SetWriteStepHook(WaitAtTheLast);
    qv::host::files::AtomicWriteBatch batch;
    for (int i = first; i < argc; ++i) {
        batch.Stage(argv[i], "Attribute VB_Name = \"new\"\r\n",
                    asRead ? qv::host::files::ReadWholeFile(argv[i]) : nullptr);
    }
    batch.Commit();
    return 0;
}
