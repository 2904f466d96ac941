// Several processes saving to one settings file at the same moment: every
// value of every writer survives and the file stays a valid INI file; the
// lock file that keeps them apart.

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "config_home_fixture.h"
#include "settings/reg_settings.h"
#include "settings/store_file.h"

namespace qv::settings {
namespace {

using ConcurrentWritersTest = test::ConfigHomeTest;

TEST_F(ConcurrentWritersTest, EveryValueOfEveryWriterSurvives) {
    constexpr int kWriters = 3;
    constexpr int kValuesEach = 40;
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        std::vector<std::string> args = {QV_SETTINGS_WRITER, "Brell Vantoke", "qvaddin2",
                                         "w" + std::to_string(w) + "_",
                                         std::to_string(kValuesEach)};
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        ASSERT_EQ(::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
        writers.push_back(pid);
    }
    for (const pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }

    const CRegSettings& store = SystemStore();
    EXPECT_EQ(store.FileState(), StoreFileState::Usable);
    int missing = 0;
    for (int w = 0; w < kWriters; ++w) {
        for (int i = 0; i < kValuesEach; ++i) {
            const std::string key = "w" + std::to_string(w) + "_" + std::to_string(i);
            if (store.GetSetting("Writers", key, "") != "value of " + key + "\r\nsecond line") {
                ++missing;
            }
        }
    }
    EXPECT_EQ(missing, 0);
}

}  // namespace
}  // namespace qv::settings

namespace qv::settings {
namespace {

using StoreLockTest = test::ConfigHomeTest;

// A lock file left by a process that has ended is taken over at once.
TEST_F(StoreLockTest, LockOfAnEndedProcessIsTakenOver) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string lock = SystemFile() + ".lock";
    WriteFile(lock, std::to_string(child) + "\nsettings_tests\n\n");

    CRegSettings store = SystemStore();
    ASSERT_TRUE(store.SaveSetting("ErrorHandling", "ten", "1"));
    EXPECT_EQ(store.GetSetting("ErrorHandling", "ten", ""), "1");
    EXPECT_FALSE(ReadFile(lock).has_value()) << "the lock is let go after the write";
}

// A write waits while another process holds the lock, and then keeps what
// that process wrote.
TEST_F(StoreLockTest, WriteWaitsForTheHolderAndKeepsItsValue) {
    CRegSettings store = SystemStore();
    ASSERT_TRUE(store.SaveSetting("ErrorHandling", "add0", "mine"));
    std::optional<StoreLock> held = StoreLock::Acquire(SystemFile(), 1000);
    ASSERT_TRUE(held.has_value());
    std::thread holder([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        WriteFile(SystemFile(), "[ErrorHandling]\nadd0=mine\nadd1=theirs\n");
        held.reset();
    });
    EXPECT_TRUE(store.SaveSetting("ErrorHandling", "add2", "later"));
    holder.join();
    EXPECT_EQ(ReadFile(SystemFile()),
              "[ErrorHandling]\nadd0=mine\nadd1=theirs\nadd2=later\n");
}

}  // namespace
}  // namespace qv::settings
