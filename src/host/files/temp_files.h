#pragma once
// The temporary files of atomic writes, and what becomes of them when a run
// does not end normally.
//
// A temporary file stands next to the file it will replace and is named
//     .NAME.qvaddin-PID.START.HOST-XXXXXX
// PID is the writer's process id, START its start time (clock ticks since
// the machine started) and HOST a hash of the machine's name: together they
// tell whether the writer still runs, and a pid that a later process took
// over is not mistaken for the writer.
//
// - A run that is interrupted (Ctrl-C, SIGTERM, SIGHUP, ...) removes its
//   temporary files before it ends with the signal.
// - A run killed outright (SIGKILL, a power cut) cannot; a later run that
//   writes into the folder removes such a leftover there (work that only
//   reads leaves the user's folders as they are): a regular
//   file of exactly this form, made on this machine, whose writer no longer
//   runs, owned by the user (any owner for the superuser, whose temporary
//   files take the owner of the file they replace). Anything else is left
//   alone, a temporary file of a writer that still runs above all.

#ifndef _WIN32
#include <signal.h>
#endif

#include <string>
#include <vector>

namespace qv::host::files {

// The mkstemp template of a temporary file for target (a path): same
// folder, the name as above (the file's own name shortened when the whole
// would be too long for the file system).
std::string TempFileTemplate(const std::string& target);

// The files that an interruption removes. Both change the list with the
// interruption signals held back, so a signal never meets it half changed.
// Temporary files are made and listed on one thread only.
void ListTempFile(const std::string& path);
void UnlistTempFile(const std::string& path);
// Unlists several at once, in the order they were listed: one pass over
// the list, not one per file.
void UnlistTempFiles(const std::vector<std::string>& paths);

// Holds the interruptions (signals; on Windows the console's Ctrl+C
// handler, which waits) back for as long as it lives: a step that
// must not be cut in two (replacing a file and checking what it replaced).
class InterruptionsHeld {
  public:
    InterruptionsHeld();
    ~InterruptionsHeld();
    InterruptionsHeld(const InterruptionsHeld&) = delete;
    InterruptionsHeld& operator=(const InterruptionsHeld&) = delete;

  private:
#ifndef _WIN32
    sigset_t saved_;  // the thread's signal mask before
#endif
};

// On Windows: removes the listed files on Ctrl+C, Ctrl+Break and the closing
// of the console window (SetConsoleCtrlHandler), then ends as Windows would.
// Elsewhere: installs the handlers that remove the listed files on SIGINT, SIGTERM,
// SIGHUP, SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU, SIGVTALRM and SIGPROF
// (each then ends the process as it would have); a signal that is ignored
// (nohup) stays ignored. SIGXFSZ is ignored, so that a file size limit fails
// the write (which cleans up) instead of killing the process; SIGPIPE is
// ignored, so that a closed output fails the printing, not the run.
void RemoveTempFilesOnInterruption();

// Removes the leftovers in folder (see above); returns their names.
std::vector<std::string> RemoveLeftoverTempFiles(const std::string& folder);

}  // namespace qv::host::files
