#include "host/memory/line_store.h"

#include <algorithm>
#include <cstring>

namespace qv::host::memory {

namespace {
// Blocks grow from small to this size: a module that receives a few lines
// (most modules of a project-wide run) keeps a small block, a module that
// is rewritten gets large ones.
constexpr size_t kFirstBlockSize = 1024;
constexpr size_t kBlockSize = 64 * 1024;
}

void LineStore::Assign(std::shared_ptr<const std::string> buffer,
                       std::vector<std::string_view> lines) {
    buffers_.clear();
    blocks_.clear();
    blockUsed_ = blockSize_ = arenaBytes_ = 0;
    buffers_.push_back(std::move(buffer));
    lines_ = std::move(lines);
    liveBytes_ = 0;
    for (auto l : lines_) liveBytes_ += l.size();
}

void LineStore::Assign(const std::vector<std::string>& lines) {
    buffers_.clear();
    blocks_.clear();
    blockUsed_ = blockSize_ = arenaBytes_ = 0;
    lines_.clear();
    liveBytes_ = 0;
    Insert(0, lines);
}

std::string_view LineStore::Store(std::string_view line) {
    if (line.empty()) return {};
    if (line.size() > blockSize_ - blockUsed_) {
        const size_t next = blockSize_ == 0 ? kFirstBlockSize : std::min(kBlockSize, 2 * blockSize_);
        const size_t size = std::max(next, line.size());
        blocks_.push_back(std::make_unique<char[]>(size));
        blockSize_ = size;
        blockUsed_ = 0;
    }
    char* target = blocks_.back().get() + blockUsed_;
    std::memcpy(target, line.data(), line.size());
    blockUsed_ += line.size();
    arenaBytes_ += line.size();
    return {target, line.size()};
}

void LineStore::Insert(long index, const std::vector<std::string>& lines) {
    std::vector<std::string_view> stored;
    stored.reserve(lines.size());
    for (const auto& l : lines) {
        stored.push_back(Store(l));
        liveBytes_ += l.size();
    }
    lines_.insert(lines_.begin() + index, stored.begin(), stored.end());
}

void LineStore::Erase(long index, long count) {
    auto first = lines_.begin() + index;
    for (auto it = first; it != first + count; ++it) liveBytes_ -= it->size();
    lines_.erase(first, first + count);
    CompactIfMostlyDead();
}

void LineStore::CompactIfMostlyDead() {
    // Long editing sessions leave dead lines in the arena; copy the live ones
    // out once the arena is several times larger than all live text.
    if (arenaBytes_ < 1024 * 1024 || arenaBytes_ < 4 * liveBytes_) return;
    std::vector<std::string> copy(lines_.begin(), lines_.end());
    Assign(copy);
}

}  // namespace qv::host::memory
