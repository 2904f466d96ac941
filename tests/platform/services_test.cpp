#include "platform/services.h"

#include <gtest/gtest.h>

#include <thread>

#ifndef _WIN32
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "platform/vb_error.h"
#endif

namespace qv {
namespace {

class NamedServices : public HeadlessServices {
public:
    explicit NamedServices(std::string name) : name_(std::move(name)) {}
    std::string UserName() override { return name_; }

private:
    std::string name_;
};

// A thread's own services are its alone and end with their scope; the
// services installed for the program stay what every other thread sees.
TEST(ThreadServices, AreTheCallingThreadsAloneAndEndWithTheirScope) {
    NamedServices program("program"), mine("mine"), inner("inner");
    const ScopedServices installed(program);
    std::string seenElsewhere;
    {
        const ThreadServicesScope scope(mine);
        EXPECT_EQ(GetServices().UserName(), "mine");
        std::thread other([&] { seenElsewhere = GetServices().UserName(); });
        other.join();
        {
            const ThreadServicesScope nested(inner);
            EXPECT_EQ(GetServices().UserName(), "inner");
        }
        EXPECT_EQ(GetServices().UserName(), "mine");
    }
    EXPECT_EQ(seenElsewhere, "program");
    EXPECT_EQ(GetServices().UserName(), "program");
}

#ifndef _WIN32
// What FileIsReadOnly says of each file of a folder anybody may enter, as
// a bit mask (1: read-only) for the file names 0..3, or -1 when the missing
// one raised no error, -2 when another one raised one.
int ReadOnlyMask(const std::string& folder) {
    HeadlessServices system;
    int mask = 0;
    for (int i = 0; i < 4; ++i) {
        try {
            if (system.FileIsReadOnly(folder + "/" + std::to_string(i))) mask |= 1 << i;
        } catch (const VbError&) {
            return -2;
        }
    }
    try {
        system.FileIsReadOnly(folder + "/missing");
        return -1;
    } catch (const VbError&) {
    }
    return mask;
}

// A file is read-only when nobody may write it, or this user may not; the
// superuser, who may write it anyway, still finds a file with no write bit
// read-only. Asked as the superuser and (in a child) as another user.
TEST(HeadlessFiles, ReadOnlyIsNoWriteBitOrNoWriteForThisUser) {
    char made[] = "/tmp/qv-readonly-XXXXXX";
    ASSERT_NE(::mkdtemp(made), nullptr);
    const std::string folder = made;
    struct Removed {
        std::string folder;
        ~Removed() {
            for (int i = 0; i < 4; ++i) ::unlink((folder + "/" + std::to_string(i)).c_str());
            ::rmdir(folder.c_str());
        }
    } removed{folder};
    ASSERT_EQ(::chmod(made, 0755), 0);
    // 0: anybody writes it; 1: its owner only; 2: nobody; 3: its group only.
    const mode_t modes[] = {0666, 0644, 0444, 0464};
    for (int i = 0; i < 4; ++i) {
        const std::string path = folder + "/" + std::to_string(i);
        std::ofstream(path) << "x";
        ASSERT_EQ(::chmod(path.c_str(), modes[i]), 0);
    }
    const bool superuser = ::getuid() == 0;
    // The superuser may write every file but finds 2 read-only; the owner
    // writes 0 and 1 (the owner's own bits count for it, not the group's).
    EXPECT_EQ(ReadOnlyMask(folder), superuser ? 0b0100 : 0b1100);
    if (superuser) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Another user in another group: only the file anybody writes.
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(100);
            ::_exit(ReadOnlyMask(folder) == 0b1110 ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 100) GTEST_SKIP() << "cannot become another user here";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "as another user";
    }
}
#endif

}  // namespace
}  // namespace qv
