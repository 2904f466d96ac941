// A helper program for the interruption tests: replaces the files named on
// its command line in one batch, and stops once the temporary file of the
// last of them is written. It says "ready" on standard output and waits
// there for the signal (on Windows the console event) that the test sends.
//
//     qv_interrupted_writer FILE...

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "host/files/file_io.h"
#include "host/files/temp_files.h"

namespace {

std::string g_last;

void WaitAtTheLast(qv::host::files::WriteStep step, const std::string& path) {
    if (step != qv::host::files::WriteStep::Staged || path != g_last) return;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    while (true) std::this_thread::sleep_for(std::chrono::hours(1));
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) return 2;
    qv::host::files::RemoveTempFilesOnInterruption();
    g_last = argv[argc - 1];
    qv::host::files::SetWriteStepHook(WaitAtTheLast);
    qv::host::files::AtomicWriteBatch batch;
    for (int i = 1; i < argc; ++i) batch.Stage(argv[i], "Attribute VB_Name = \"new\"\r\n");
    batch.Commit();
    return 0;
}
