#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/thread_kept.h"

namespace qv::platform {
namespace {

std::atomic<int> alive{0};

struct Counted {
    Counted() { ++alive; }
    ~Counted() { --alive; }
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;
    int uses = 0;
};

struct FirstUser {};
struct SecondUser {};

std::string& FirstString() { return ThreadKept<FirstUser, std::string>(); }
std::string& SecondString() { return ThreadKept<SecondUser, std::string>(); }

TEST(ThreadKept, OneObjectPerUserAndThread) {
    std::string& first = FirstString();
    first = "kept";
    EXPECT_EQ(&FirstString(), &first);
    EXPECT_EQ(FirstString(), "kept");
    EXPECT_NE(&SecondString(), &first) << "two users of one type";
    EXPECT_TRUE(SecondString().empty());

    const std::string* onHelper = nullptr;
    std::thread helper([&] {
        const ThreadWorkScope scope;
        onHelper = &FirstString();
        EXPECT_TRUE(onHelper->empty()) << "a helper starts with its own";
    });
    helper.join();
    EXPECT_NE(onHelper, &first);
    EXPECT_EQ(first, "kept");
}

TEST(ThreadKept, FreedWhenTheWorkScopeEndsAndMadeAfresh) {
    const int before = alive;
    std::thread helper([&] {
        {
            const ThreadWorkScope scope;
            ThreadKept<Counted>().uses = 3;
            Counted& second = ThreadKept<FirstUser, Counted>();
            second.uses = 1;
            EXPECT_EQ(ThreadKept<Counted>().uses, 3);
            EXPECT_EQ(alive, before + 2);
        }
        EXPECT_EQ(alive, before) << "both freed by the scope";
        {
            const ThreadWorkScope scope;
            EXPECT_EQ(ThreadKept<Counted>().uses, 0) << "a fresh one after the scope";
            EXPECT_EQ(alive, before + 1);
        }
        EXPECT_EQ(alive, before);
    });
    helper.join();
    EXPECT_EQ(alive, before);
}

TEST(ThreadKept, ManyHelpersEachFreeTheirOwn) {
    const int before = alive;
    std::thread helpers[4];
    for (std::thread& helper : helpers) {
        helper = std::thread([] {
            const ThreadWorkScope scope;
            for (int i = 0; i < 1000; ++i) ++ThreadKept<Counted>().uses;
            EXPECT_EQ(ThreadKept<Counted>().uses, 1000) << "no other thread touched it";
        });
    }
    for (std::thread& helper : helpers) helper.join();
    EXPECT_EQ(alive, before);
}

}  // namespace
}  // namespace qv::platform
