#pragma once
// The lines of one code module. Lines loaded from a file are views into the
// file's bytes (no copy per line, so a large project loads fast); lines
// written later live in an arena that is compacted when most of it is dead.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qv::host::memory {

class LineStore {
public:
    LineStore() = default;
    LineStore(const LineStore&) = delete;
    LineStore& operator=(const LineStore&) = delete;

    // Takes lines that point into buffer, which the store keeps alive.
    void Assign(std::shared_ptr<const std::string> buffer, std::vector<std::string_view> lines);
    // Copies the lines.
    void Assign(const std::vector<std::string>& lines);

    long Count() const { return static_cast<long>(lines_.size()); }
    // index is 0-based.
    std::string_view Line(long index) const { return lines_[static_cast<size_t>(index)]; }

    void Insert(long index, const std::vector<std::string>& lines);
    void Erase(long index, long count);

private:
    std::string_view Store(std::string_view line);
    void CompactIfMostlyDead();

    std::vector<std::string_view> lines_;
    std::vector<std::shared_ptr<const std::string>> buffers_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    size_t blockUsed_ = 0;
    size_t blockSize_ = 0;
    size_t arenaBytes_ = 0;  // bytes handed out by the arena
    size_t liveBytes_ = 0;   // bytes of all current lines
};

}  // namespace qv::host::memory
