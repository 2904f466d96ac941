#pragma once
// The server over file descriptors: reads whatever the editor has sent so
// far, answers, and goes on until exit (or the end of the input, when the
// editor went away without it).

namespace qv::lsp {

// Returns the process's exit code: 0 after shutdown and exit, 1 otherwise.
int Serve(int inputFd, int outputFd);

}  // namespace qv::lsp
