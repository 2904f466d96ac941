// Files read whole are read within a bound: a file larger than the bound is
// refused before a byte is read, and a source that keeps giving (a pipe, a
// file that grows) is cut off once it passes the bound.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/regular_file.h"

namespace qv::file {
namespace {

class BoundedRead : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/qvaddin-read-XXXXXX";
        const int fd = ::mkstemp(pattern);
        ASSERT_GE(fd, 0);
        path_ = pattern;
        const std::string bytes(10000, 'x');
        ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), 10000);
        ::close(fd);
    }
    void TearDown() override { ::unlink(path_.c_str()); }
    std::string path_;
};

TEST_F(BoundedRead, AFileLargerThanTheBoundIsNotRead) {
    std::string bytes;
    Kind kind = Kind::Missing;
    errno = 0;
    EXPECT_FALSE(ReadRegularFile(path_, bytes, kind, 9999));
    EXPECT_EQ(errno, EFBIG);
    EXPECT_EQ(kind, Kind::Regular);
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(ReadRegularFile(path_, bytes, kind, 10000));
    EXPECT_EQ(bytes.size(), 10000u);
}

TEST_F(BoundedRead, ASourceWithoutASizeIsCutOffPastTheBound) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string sent(6000, 'y');
    ASSERT_EQ(::write(ends[1], sent.data(), sent.size()), 6000);
    ::close(ends[1]);
    std::string bytes = "kept";
    errno = 0;
    EXPECT_FALSE(ReadAll(ends[0], bytes, 5000));
    EXPECT_EQ(errno, EFBIG);
    EXPECT_EQ(bytes, "kept") << "what the string held before stays; nothing is added";
    ::close(ends[0]);

    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], sent.data(), sent.size()), 6000);
    ::close(ends[1]);
    EXPECT_TRUE(ReadAll(ends[0], bytes, 6000));
    EXPECT_EQ(bytes, "kept" + sent);
    ::close(ends[0]);
}

// A file read with the size it reported before is read whole as it is now,
// whether it grew or shrank since (a read that stops at the size reported
// must not cut a file that grew).
TEST_F(BoundedRead, AFileThatChangedSinceItsSizeWasTakenIsReadWhole) {
    for (const size_t reported : {10000u, 9999u, 6000u, 4095u, 1u, 10001u, 20000u}) {
        const int fd = ::open(path_.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        std::string bytes = "kept";
        EXPECT_TRUE(ReadAll(fd, bytes, kNoReadLimit, reported)) << reported;
        EXPECT_EQ(bytes, "kept" + std::string(10000, 'x')) << reported;
        ASSERT_EQ(::lseek(fd, 0, SEEK_SET), 0);
        EXPECT_TRUE(ReadAllOver(fd, bytes, kNoReadLimit, reported)) << reported;
        EXPECT_EQ(bytes, std::string(10000, 'x')) << reported;
        ::close(fd);
    }
}

// One string read into file after file holds each file alone, whether the
// file is shorter or longer than the one before, and the bound holds over
// the memory it keeps.
TEST(ReadOver, EachReadHoldsItsFileAlone) {
    std::string bytes;
    for (const size_t size : {9000u, 10u, 0u, 20000u, 4096u, 4097u, 3u}) {
        char pattern[] = "/tmp/qvaddin-over-XXXXXX";
        const int fd = ::mkstemp(pattern);
        ASSERT_GE(fd, 0);
        std::string written(size, 'a');
        for (size_t i = 0; i < size; ++i) written[i] = static_cast<char>('a' + (i + size) % 26);
        ASSERT_EQ(::write(fd, written.data(), size), static_cast<ssize_t>(size));
        ASSERT_EQ(::lseek(fd, 0, SEEK_SET), 0);
        EXPECT_TRUE(ReadAllOver(fd, bytes, kNoReadLimit, SizeOfOpenFile(fd)));
        EXPECT_EQ(bytes, written) << size;
        ASSERT_EQ(::lseek(fd, 0, SEEK_SET), 0);
        // A bound below the file's size: refused, though the string has room.
        if (size > 5) {
            errno = 0;
            EXPECT_FALSE(ReadAllOver(fd, bytes, size - 1, size));
            EXPECT_EQ(errno, EFBIG);
            ASSERT_EQ(::lseek(fd, 0, SEEK_SET), 0);
            // A file that reports no size is cut off past the bound.
            errno = 0;
            EXPECT_FALSE(ReadAllOver(fd, bytes, size - 1, 0));
            EXPECT_EQ(errno, EFBIG);
        }
        ::close(fd);
        ::unlink(pattern);
    }
}

// A path found to be a regular file before is opened without a look first,
// and what is opened is checked all the same: a pipe that took the file's
// place is named, not waited on; the open file's facts come with it.
TEST(FoundFile, WhatIsOpenedIsCheckedAndTold) {
    char folder[] = "/tmp/qvaddin-found-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string file = std::string(folder) + "/a.bas";
    const std::string link = std::string(folder) + "/b.bas";
    const std::string pipe = std::string(folder) + "/p.bas";
    const int made = ::open(file.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(made, 0);
    ASSERT_EQ(::write(made, "abc", 3), 3);
    ::close(made);
    ASSERT_EQ(::link(file.c_str(), link.c_str()), 0);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);

    Kind kind = Kind::Missing;
    struct stat info {};
    const int fd = OpenFoundFile(file, kind, info);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(kind, Kind::Regular);
    EXPECT_EQ(info.st_size, 3);
    EXPECT_EQ(info.st_nlink, 2u) << "the open file's own link count";
    if (fd >= 0) ::close(fd);

    EXPECT_LT(OpenFoundFile(pipe, kind, info), 0);
    EXPECT_EQ(kind, Kind::NamedPipe);
    EXPECT_LT(OpenFoundFile(std::string(folder) + "/gone.bas", kind, info), 0);
    EXPECT_EQ(kind, Kind::Missing);

    ::unlink(file.c_str());
    ::unlink(link.c_str());
    ::unlink(pipe.c_str());
    ::rmdir(folder);
}

}  // namespace
}  // namespace qv::file
