#include "host/files/module_reading.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "host/files/file_io.h"
#include "platform/thread_kept.h"
#include "platform/unicode_text.h"

namespace qv::host::files {

namespace {
// Fewer files than this are not worth a thread.
constexpr size_t kFilesPerThread = 16;

// Whether the file is written in UTF-8 (not ASCII, and valid UTF-8).
bool IsUtf8File(const ParsedModule& parsed) {
    const std::string& text = *parsed.bytes;
    const bool ascii = parsed.ascii ? *parsed.ascii : text::IsAscii(text);
    return !ascii && text::IsValidUtf8(text);
}

// A deferred read whose code is tested with the filter. The file is read
// into spare, the reading thread's string, and every module keeps a copy of
// its header alone, so that spare is read into again: a search that ends
// at its limit of hits early never wants the code of most modules that may
// hold one, and a module whose code it wants is read again then.
ReadModule ReadFiltered(const std::string& path, size_t largest, const CodeFilter& filter,
                        std::shared_ptr<std::string>& spare, bool found) {
    ReadModule read;
    try {
        if (!spare) spare = std::make_shared<std::string>();
        ReadWholeFileOver(path, largest, *spare, found);
        read.parsed = ParseModuleHeader(path, spare);
        read.utf8 = IsUtf8File(*read.parsed);
        ParsedModule& parsed = *read.parsed;
        std::string_view code(*spare);
        code.remove_prefix(parsed.codeOffset);
        read.codeOnDisk = filter(code, *read.utf8);
        parsed.bytes = std::make_shared<const std::string>(spare->data(), parsed.codeOffset);
    } catch (...) {
        read.parsed.reset();
        read.error = std::current_exception();
    }
    return read;
}

}  // namespace

ReadModule ReadModuleFile(const std::string& path, size_t largest, CodeReading code, bool found) {
    ReadModule read;
    try {
        std::shared_ptr<const std::string> bytes = ReadWholeFile(path, largest, found);
        if (code == CodeReading::Deferred) {
            read.parsed = ParseModuleHeader(path, std::move(bytes));
        } else {
            read.parsed = ParseModuleFile(path, std::move(bytes));
            memory::LineStore& lines = read.lines.emplace();
            lines.Assign(read.parsed->bytes, std::move(read.parsed->code));
            read.parsed->code = {};
            if (code == CodeReading::Indexed) read.index.emplace().Rebuild(lines);
        }
        read.utf8 = IsUtf8File(*read.parsed);
    } catch (...) {
        read.error = std::current_exception();
    }
    return read;
}

void ReadListedModuleFiles(size_t most, size_t largest, CodeReading code, const CodeFilter& filter,
                           const std::function<void(const ListedPath& listed)>& list,
                           const std::function<void(size_t index, ReadModule read)>& take,
                           bool found) {
    // Every slot is made before a thread starts: a path is written into
    // its own once, and read from it only once it is listed.
    std::vector<std::string> paths(most);
    // A slot a file: a result is made only once its file is read, and let
    // go once taken, so that the memory of those taken serves the next.
    std::vector<std::unique_ptr<ReadModule>> results(most);
    const bool filtered = filter && code == CodeReading::Deferred;
    std::unique_ptr<std::atomic<bool>[]> done(new std::atomic<bool>[most]);
    for (size_t i = 0; i < most; ++i) done[i].store(false, std::memory_order_relaxed);
    // Files are taken in order by whichever thread is free, each once it is
    // listed; the calling thread lists them, then hands each result on in
    // order, and reads one itself while the next it hands on is not read
    // yet.
    std::atomic<size_t> next{0};
    std::mutex lock;
    std::condition_variable finished;  // a file is read
    std::condition_variable listed;    // a path is listed, or the listing is over
    size_t count = 0;                  // paths listed (under lock)
    bool closed = false;               // no path comes more (under lock)
    // The next file to read, once it is listed; false when there is none.
    const auto claim = [&](size_t& i) {
        i = next.fetch_add(1);
        if (i >= most) return false;
        std::unique_lock<std::mutex> guard(lock);
        listed.wait(guard, [&] { return i < count || closed; });
        return i < count;
    };
    auto readNext = [&](std::shared_ptr<std::string>& spare) {
        size_t i = 0;
        if (!claim(i)) return false;
        results[i] = std::make_unique<ReadModule>(
            filtered ? ReadFiltered(paths[i], largest, filter, spare, found)
                     : ReadModuleFile(paths[i], largest, code, found));
        {
            const std::lock_guard<std::mutex> guard(lock);
            done[i].store(true, std::memory_order_release);
        }
        finished.notify_all();
        return true;
    };
    const auto close = [&] {
        {
            const std::lock_guard<std::mutex> guard(lock);
            closed = true;
        }
        listed.notify_all();
    };
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t threads = std::min(cores, std::max<size_t>(1, most / kFilesPerThread));
    std::vector<std::thread> helpers;
    // Should list or take throw, the helpers are stopped (no file more is
    // begun) and joined before the exception leaves.
    struct Join {
        std::atomic<size_t>& next;
        size_t most;
        const decltype(close)& closeListing;
        std::vector<std::thread>& helpers;
        ~Join() {
            next.store(most);
            closeListing();
            for (std::thread& helper : helpers) helper.join();
        }
    } join{next, most, close, helpers};
    for (size_t t = 1; t < threads; ++t) {
        helpers.emplace_back([&] {
            const platform::ThreadWorkScope scope;
            std::shared_ptr<std::string> spare;
            while (readNext(spare)) {
            }
        });
    }
    list([&](std::string path) {
        {
            const std::lock_guard<std::mutex> guard(lock);
            if (count == most) throw std::logic_error("more paths listed than were said");
            paths[count] = std::move(path);
            ++count;
        }
        listed.notify_all();
    });
    close();
    std::shared_ptr<std::string> spare;
    for (size_t i = 0; i < count; ++i) {
        while (!done[i].load(std::memory_order_acquire)) {
            if (readNext(spare)) continue;
            std::unique_lock<std::mutex> guard(lock);
            finished.wait(guard, [&] { return done[i].load(std::memory_order_acquire); });
        }
        std::unique_ptr<ReadModule> read = std::move(results[i]);
        take(i, std::move(*read));
    }
}

void ReadModuleFiles(const std::vector<std::string>& paths, size_t largest, CodeReading code,
                     const CodeFilter& filter,
                     const std::function<void(size_t index, ReadModule read)>& take,
                     bool found) {
    ReadListedModuleFiles(
        paths.size(), largest, code, filter,
        [&](const ListedPath& listed) {
            for (const std::string& path : paths) listed(path);
        },
        take, found);
}

std::vector<ReadModule> ReadModuleFiles(const std::vector<std::string>& paths, size_t largest,
                                        CodeReading code) {
    std::vector<ReadModule> results(paths.size());
    ReadModuleFiles(paths, largest, code, {},
                    [&](size_t i, ReadModule read) { results[i] = std::move(read); });
    return results;
}

}  // namespace qv::host::files
