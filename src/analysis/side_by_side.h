#pragma once
// Work on many modules at once, one module per task, on the machine's cores,
// with the results taken in the modules' order on the calling thread. The
// work of one index must touch no state that another index's work touches
// (each module's own lazily built tables are its own); whatever is shared
// (progress reports, output, a module's file facts) belongs in `take`.

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/thread_kept.h"

namespace qv::analysis {

// Fewer items than this per thread are not worth starting one.
inline constexpr size_t kItemsPerThread = 8;

// No bound on how far ahead of the taking the work may run.
inline constexpr size_t kUnbounded = static_cast<size_t>(-1);

// Calls work(i) for every i in [0, count), side by side, and take(i) on the
// calling thread for i = 0, 1, ... as soon as work(i) is done, until take
// returns false (no item is started after that). No item is started
// `ahead` or more items past the first one not yet taken: what the items
// make then waits for take no longer than that (a module's new code until
// it is written). An exception of work(i) is thrown from the call when
// index i is reached in turn (the items after it are still worked, and not
// taken); one of take(i) stops the taking at once. Either way no thread
// outlives the call.
inline void RunSideBySideWhile(size_t count, const std::function<void(size_t)>& work,
                               const std::function<bool(size_t)>& take,
                               size_t ahead = kUnbounded) {
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t threads = std::min(cores, std::max<size_t>(1, count / kItemsPerThread));
    if (threads <= 1) {
        for (size_t i = 0; i < count; ++i) {
            work(i);
            if (!take(i)) return;
        }
        return;
    }
    ahead = std::max<size_t>(1, ahead);
    std::vector<std::exception_ptr> failures(count);
    std::vector<char> done(count, 0);
    std::mutex lock;
    std::condition_variable finished;  // an item is done
    std::condition_variable advanced;  // an item is taken, or the run stops
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    size_t taken = 0;  // the first item not taken (changed under the lock)
    // Item i may start: it is within the bound (the lock is held).
    const auto startable = [&](size_t i) { return i - taken < ahead; };
    // Works item i and records it done, with its failure if it threw.
    auto workItem = [&](size_t i) {
        std::exception_ptr failure;
        try {
            work(i);
        } catch (...) {
            failure = std::current_exception();
        }
        {
            const std::lock_guard<std::mutex> guard(lock);
            failures[i] = failure;
            done[i] = 1;
        }
        finished.notify_all();
    };
    // A helper held back by the bound waits until half the bound is free
    // again, then works that many items in a row: it is woken once for them
    // rather than once per item taken.
    size_t wakeAt = kUnbounded;  // the least `taken` a waiting helper waits for
    auto worker = [&] {
        for (size_t i; !stop && (i = next++) < count;) {
            if (ahead != kUnbounded) {
                std::unique_lock<std::mutex> guard(lock);
                const size_t resume = i + 1 - ahead + ahead / 2;
                while (!stop && !startable(i) && taken < resume) {
                    wakeAt = std::min(wakeAt, resume);
                    advanced.wait(guard);
                }
                if (stop) return;
            }
            workItem(i);
        }
    };
    std::vector<std::thread> helpers;
    for (size_t t = 1; t < threads; ++t) {
        helpers.emplace_back([&] {
            const platform::ThreadWorkScope scope;  // what the items kept goes with the helper
            worker();
        });
    }
    struct Joiner {
        std::vector<std::thread>& helpers;
        std::atomic<bool>& stop;
        std::mutex& lock;
        std::condition_variable& advanced;
        ~Joiner() {
            {
                const std::lock_guard<std::mutex> guard(lock);
                stop = true;
            }
            advanced.notify_all();
            for (std::thread& helper : helpers) helper.join();
        }
    } joiner{helpers, stop, lock, advanced};
    // Takes the results that are ready in turn (waiting for the next one
    // when wait is set), up to item until.
    auto takeReady = [&](bool wait, size_t until) {
        while (!stop) {
            std::exception_ptr failure;
            size_t item = 0;
            {
                std::unique_lock<std::mutex> guard(lock);
                if (taken >= until) return;
                if (wait) finished.wait(guard, [&] { return done[taken] != 0; });
                if (done[taken] == 0) return;
                failure = failures[taken];
                item = taken;
            }
            try {
                if (failure) std::rethrow_exception(failure);
                if (!take(item)) stop = true;
            } catch (...) {
                stop = true;  // the helpers start no other item
                throw;
            }
            bool wake = false;
            {
                const std::lock_guard<std::mutex> guard(lock);
                wake = ++taken >= wakeAt;
                if (wake) wakeAt = kUnbounded;
            }
            if (wake) advanced.notify_all();
        }
    };
    // The calling thread works too, taking each result that is ready in turn
    // between its own items; an item past the bound waits for the taking,
    // whose items the helpers have started already.
    for (size_t i; !stop && (i = next++) < count;) {
        takeReady(false, count);
        if (ahead != kUnbounded && i >= ahead) takeReady(true, i - ahead + 1);
        if (stop) break;
        workItem(i);
    }
    takeReady(true, count);
}

// The same for work whose every item is taken.
inline void RunSideBySide(size_t count, const std::function<void(size_t)>& work,
                          const std::function<void(size_t)>& take) {
    RunSideBySideWhile(count, work, [&](size_t i) {
        take(i);
        return true;
    });
}

}  // namespace qv::analysis
