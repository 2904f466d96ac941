#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "analysis/side_by_side.h"

namespace qv::analysis {
namespace {

// Items that take different times, so that later ones are often done first.
void Busy(size_t i) {
    volatile unsigned long sink = 0;
    for (unsigned long k = 0; k < (i % 7) * 20000; ++k) sink = sink + k;
}

TEST(SideBySide, EveryItemIsWorkedOnceAndTakenInOrderOnTheCallingThread) {
    for (size_t ahead : {kUnbounded, size_t{1}, size_t{3}, size_t{8}})
    for (size_t count : {0u, 1u, 7u, 8u, 100u, 1000u}) {
        std::vector<std::atomic<int>> worked(count);
        std::vector<size_t> taken;
        const std::thread::id caller = std::this_thread::get_id();
        bool takenElsewhere = false;
        std::vector<size_t> results(count, 0);
        RunSideBySideWhile(
            count,
            [&](size_t i) {
                Busy(i);
                results[i] = i * i;
                ++worked[i];
            },
            [&](size_t i) {
                takenElsewhere = takenElsewhere || std::this_thread::get_id() != caller;
                // A result is complete when it is taken.
                EXPECT_EQ(results[i], i * i);
                taken.push_back(i);
                return true;
            },
            ahead);
        ASSERT_EQ(taken.size(), count);
        for (size_t i = 0; i < count; ++i) {
            EXPECT_EQ(taken[i], i);
            EXPECT_EQ(worked[i].load(), 1) << "item " << i << " of " << count;
        }
        EXPECT_FALSE(takenElsewhere);
    }
}

// A failing item is thrown where it is reached in turn: the items before it
// are taken, it and the ones after are not.
TEST(SideBySide, AFailedItemIsThrownInItsTurn) {
    for (size_t ahead : {kUnbounded, size_t{2}, size_t{8}})
    for (int round = 0; round < 20; ++round) {
        std::vector<size_t> taken;
        try {
            RunSideBySideWhile(
                200,
                [&](size_t i) {
                    Busy(i);
                    if (i == 57 || i == 150) throw std::runtime_error("item " + std::to_string(i));
                },
                [&](size_t i) {
                    taken.push_back(i);
                    return true;
                },
                ahead);
            FAIL() << "no exception";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "item 57");
        }
        ASSERT_EQ(taken.size(), 57u);
        EXPECT_EQ(taken.back(), 56u);
    }
}

// A failure while taking, or a take that says no more, ends the taking
// there, and no helper is still working on the caller's data when the call
// returns (the vectors here go out of scope with it).
TEST(SideBySide, TakingStopsAtAFailureOrWhenToldAndNoHelperOutlivesTheCall) {
    for (size_t ahead : {kUnbounded, size_t{1}, size_t{4}})
    for (int round = 0; round < 20; ++round) {
        for (bool fail : {true, false}) {
            std::atomic<int> working{0};
            std::vector<size_t> taken;
            const auto work = [&](size_t i) {
                ++working;
                Busy(i);
                --working;
            };
            const auto take = [&](size_t i) {
                taken.push_back(i);
                if (i == 3 && fail) throw std::logic_error("stop");
                return i != 3;
            };
            if (fail) {
                EXPECT_THROW(RunSideBySideWhile(5000, work, take, ahead), std::logic_error);
            } else {
                RunSideBySideWhile(5000, work, take, ahead);
            }
            EXPECT_EQ(working.load(), 0) << "a helper is still at work";
            EXPECT_EQ(taken, (std::vector<size_t>{0, 1, 2, 3}));
        }
    }
}

// With a bound, no item starts that far or farther past the first one not
// yet taken, however slowly the taking goes and however quickly the work.
TEST(SideBySide, NoItemStartsTheBoundOrMorePastTheTaking) {
    for (size_t ahead : {size_t{1}, size_t{2}, size_t{5}}) {
        std::atomic<size_t> takenSoFar{0};
        std::atomic<size_t> farthest{0};  // the most an item started past the taking
        std::vector<size_t> taken;
        RunSideBySideWhile(
            300,
            [&](size_t i) {
                const size_t past = i - std::min(i, takenSoFar.load());
                for (size_t seen = farthest; past > seen && !farthest.compare_exchange_weak(seen, past);) {
                }
            },
            [&](size_t i) {
                Busy(6);
                taken.push_back(i);
                takenSoFar = i + 1;
                return true;
            },
            ahead);
        EXPECT_LT(farthest.load(), ahead);
        ASSERT_EQ(taken.size(), 300u);
        EXPECT_EQ(taken.back(), 299u);
    }
}

}  // namespace
}  // namespace qv::analysis
