#include "lsp/stdio_server.h"

#include <unistd.h>

#include <cerrno>

#include "lsp/server.h"

namespace qv::lsp {

namespace {

bool WriteAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        left -= written;
    }
    return true;
}

}  // namespace

int Serve(int inputFd, int outputFd) {
    Server server;
    char buffer[65536];
    while (!server.ExitRequested()) {
        const ssize_t got = ::read(inputFd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        const QByteArray replies = server.Receive({buffer, static_cast<size_t>(got)});
        if (!WriteAll(outputFd, replies)) break;
    }
    return server.ExitCode();
}

}  // namespace qv::lsp
