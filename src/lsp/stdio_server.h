#pragma once
// The server over file descriptors: reads whatever the editor has sent so
// far, answers, and goes on until exit (or the end of the input, when the
// editor went away without it).

namespace qv::lsp {

// Returns the process's exit code: 0 after shutdown and exit, 1 otherwise.
// The descriptors are switched to binary, so that the framing's CR LF
// passes unchanged where the system would translate line ends.
int Serve(int inputFd, int outputFd);

}  // namespace qv::lsp
