#include "host/files/module_reading.h"

#include <algorithm>
#include <thread>

#include "host/files/file_io.h"
#include "platform/unicode_text.h"

namespace qv::host::files {

namespace {
// Fewer files than this are not worth a thread.
constexpr size_t kFilesPerThread = 16;
}  // namespace

ReadModule ReadModuleFile(const std::string& path, size_t largest, CodeReading code) {
    ReadModule read;
    try {
        std::shared_ptr<const std::string> bytes = ReadWholeFile(path, largest);
        if (code == CodeReading::Deferred) {
            read.parsed = ParseModuleHeader(path, std::move(bytes));
        } else {
            read.parsed = ParseModuleFile(path, std::move(bytes));
            memory::LineStore& lines = read.lines.emplace();
            lines.Assign(read.parsed->bytes, std::move(read.parsed->code));
            read.parsed->code = {};
            if (code == CodeReading::Indexed) read.index.emplace().Rebuild(lines);
        }
        const std::string& text = *read.parsed->bytes;
        const bool ascii = read.parsed->ascii ? *read.parsed->ascii : text::IsAscii(text);
        read.utf8 = !ascii && text::IsValidUtf8(text);
    } catch (...) {
        read.error = std::current_exception();
    }
    return read;
}

std::vector<ReadModule> ReadModuleFiles(const std::vector<std::string>& paths, size_t largest,
                                        CodeReading code) {
    std::vector<ReadModule> results(paths.size());
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t threads = std::min(cores, std::max<size_t>(1, paths.size() / kFilesPerThread));
    auto work = [&](size_t first) {
        for (size_t i = first; i < paths.size(); i += threads) {
            results[i] = ReadModuleFile(paths[i], largest, code);
        }
    };
    std::vector<std::thread> helpers;
    for (size_t t = 1; t < threads; ++t) helpers.emplace_back(work, t);
    work(0);
    for (std::thread& helper : helpers) helper.join();
    return results;
}

}  // namespace qv::host::files
