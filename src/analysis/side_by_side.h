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

namespace qv::analysis {

// Fewer items than this per thread are not worth starting one.
inline constexpr size_t kItemsPerThread = 8;

// Calls work(i) for every i in [0, count), side by side, and take(i) on the
// calling thread for i = 0, 1, ... as soon as work(i) is done, until take
// returns false (no item is started after that). An exception of work(i) is
// thrown from the call when index i is reached in turn (the items after it
// are still worked, and not taken); one of take(i) stops the taking at once.
// Either way no thread outlives the call.
inline void RunSideBySideWhile(size_t count, const std::function<void(size_t)>& work,
                               const std::function<bool(size_t)>& take) {
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t threads = std::min(cores, std::max<size_t>(1, count / kItemsPerThread));
    if (threads <= 1) {
        for (size_t i = 0; i < count; ++i) {
            work(i);
            if (!take(i)) return;
        }
        return;
    }
    std::vector<std::exception_ptr> failures(count);
    std::vector<char> done(count, 0);
    std::mutex lock;
    std::condition_variable finished;
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
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
    auto worker = [&] {
        for (size_t i; !stop && (i = next++) < count;) workItem(i);
    };
    std::vector<std::thread> helpers;
    for (size_t t = 1; t < threads; ++t) helpers.emplace_back(worker);
    struct Joiner {
        std::vector<std::thread>& helpers;
        std::atomic<bool>& stop;
        ~Joiner() {
            stop = true;
            for (std::thread& helper : helpers) helper.join();
        }
    } joiner{helpers, stop};
    // The calling thread works too, taking each result that is ready in turn
    // between its own items.
    size_t taken = 0;
    auto takeReady = [&](bool wait) {
        while (taken < count && !stop) {
            std::exception_ptr failure;
            {
                std::unique_lock<std::mutex> guard(lock);
                if (wait) finished.wait(guard, [&] { return done[taken] != 0; });
                if (done[taken] == 0) return;
                failure = failures[taken];
            }
            try {
                if (failure) std::rethrow_exception(failure);
                if (!take(taken++)) stop = true;
            } catch (...) {
                stop = true;  // the helpers start no other item
                throw;
            }
        }
    };
    for (size_t i; !stop && (i = next++) < count;) {
        workItem(i);
        takeReady(false);
    }
    takeReady(true);
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
