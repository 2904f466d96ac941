#include "lsp/stdio_server.h"

#include <cerrno>
#include <cstddef>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include "lsp/server.h"

namespace qv::lsp {

namespace {

// The system's reading and writing of a descriptor: what was moved, 0 at the
// end of the input, -1 on an error (EINTR: try again).
#ifdef _WIN32
void UseBinary(int fd) { _setmode(fd, _O_BINARY); }
long ReadSome(int fd, char* buffer, size_t size) {
    return _read(fd, buffer, static_cast<unsigned>(size));
}
long WriteSome(int fd, const char* data, size_t size) {
    return _write(fd, data, static_cast<unsigned>(size));
}
#else
void UseBinary(int) {}
long ReadSome(int fd, char* buffer, size_t size) { return ::read(fd, buffer, size); }
long WriteSome(int fd, const char* data, size_t size) { return ::write(fd, data, size); }
#endif

bool WriteAll(int fd, const std::string& bytes) {
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const long written = WriteSome(fd, data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

int Serve(int inputFd, int outputFd) {
    UseBinary(inputFd);
    UseBinary(outputFd);
    Server server;
    char buffer[65536];
    while (!server.ExitRequested()) {
        const long got = ReadSome(inputFd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        if (!WriteAll(outputFd, server.Receive({buffer, static_cast<size_t>(got)}))) break;
    }
    return server.ExitCode();
}

}  // namespace qv::lsp
