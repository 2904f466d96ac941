#pragma once
// Files that are read whole are read only when they are regular files. A
// named pipe, a device, a socket or a folder standing where a file is
// expected is named as what it is and never opened for reading: opening a
// pipe waits for a writer, and reading a device may never end.

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace qv::file {

// What stands at a path, symbolic links followed.
enum class Kind {
    Missing,  // nothing (or a link to nothing)
    Regular,
    Folder,
    NamedPipe,
    Device,
    Socket,
    LinkLoop,      // symbolic links that lead round in a circle
    Unexaminable,  // the path cannot be looked at (a folder on it may not be searched)
};

Kind KindAt(const std::string& path);
// The same, and who the file is: identity is one text for every name of one
// file (its device and file number); "" when that is not known (or not
// told here: on Windows).
Kind KindAt(const std::string& path, std::string& identity);

// "a folder", "a named pipe (FIFO)", ...; "" for Missing and Regular.
std::string_view KindName(Kind kind);

// "it is a named pipe (FIFO), not a regular file": why a path that is there
// cannot be read as a file; "" for a regular file or nothing at all.
std::string NotRegularReason(Kind kind);

// Opens a regular file for reading. Returns the descriptor (the caller
// closes it) with kind Regular; or -1 with kind saying what stands there
// (Regular with errno set when the open itself failed). size, when given,
// receives the size the open file reports (0 when it reports none), which
// spares the reader asking again.
int OpenRegularFile(const std::string& path, Kind& kind, size_t* size = nullptr);
#ifndef _WIN32
// The same, with what the open file reports (fstat) in info, for a caller
// that needs more of it than the size (its link count): not asked again.
int OpenRegularFile(const std::string& path, Kind& kind, struct stat& info);
#endif
// The same for a path that was found to be a regular file an instant ago (a
// project's module, when the project was read): it is not looked at again
// before the open, which waits for nothing, and what is opened is checked
// all the same. When the open fails, kind and errno are as OpenRegularFile
// leaves them.
int OpenFoundFile(const std::string& path, Kind& kind, size_t* size = nullptr);
#ifndef _WIN32
// The same, with what the open file reports (fstat) in info.
int OpenFoundFile(const std::string& path, Kind& kind, struct stat& info);
#endif

// No bound on the bytes a read takes.
inline constexpr size_t kNoReadLimit = std::numeric_limits<size_t>::max();

// Reads the rest of an open file into bytes; false (errno set) on a read
// error. A file larger than limit is not read at all when its size says so,
// and a read stops once it has more (one that grows, or reports no size):
// false with errno EFBIG, so that a huge file never fills the memory.
bool ReadAll(int fd, std::string& bytes, size_t limit = kNoReadLimit);
// The same for a regular file whose size is known already (OpenRegularFile's):
// a read that gives that size ends there.
bool ReadAll(int fd, std::string& bytes, size_t limit, size_t expected);
// The same, read over what bytes holds rather than after it (bytes ends up
// holding the file alone): a string that file after file is read into
// keeps its memory, and grows (which fills it first) only past the size of
// the file before, so many small files are read without fresh memory each.
bool ReadAllOver(int fd, std::string& bytes, size_t limit, size_t expected);

// What each system does its own way for ReadAll: the size an open file
// reports (0 when it reports none), and one read of at most most bytes (the
// bytes read, 0 at the end, negative on an error with errno set).
size_t SizeOfOpenFile(int fd);
long long ReadSome(int fd, char* into, size_t most);

// The whole file when it is a regular file that can be read and holds at
// most limit bytes; false otherwise, with kind and errno as OpenRegularFile
// and ReadAll leave them.
bool ReadRegularFile(const std::string& path, std::string& bytes, Kind& kind,
                     size_t limit = kNoReadLimit);

// Nobody may write it (no write permission bit at all: even the superuser
// leaves such a file alone), or this process may not.
bool IsReadOnlyFile(const std::string& path);

}  // namespace qv::file
