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
}  // namespace

void LineStore::SetLines(std::vector<std::string_view> lines) {
    packed_ = false;
    packedBase_ = nullptr;
    inFileOrder_ = false;
    // (Swapped out: an assignment of {} keeps the capacity.)
    std::vector<Place>().swap(places_);
    slots_ = std::move(lines);
    gapStart_ = gapEnd_ = slots_.size();
    liveBytes_ = 0;
    for (auto l : slots_) liveBytes_ += l.size();
}

bool LineStore::Pack(const std::string& buffer, const std::vector<std::string_view>& lines) {
    if (buffer.size() > UINT32_MAX) return false;
    std::vector<Place> places;
    places.reserve(lines.size());
    size_t bytes = 0;
    bool inFileOrder = true;
    size_t previousEnd = 0;
    for (const std::string_view line : lines) {
        // Compared as addresses: a view from elsewhere is kept as a view. An
        // empty line keeps its place too: the break after it is read there.
        const auto at = reinterpret_cast<std::uintptr_t>(line.data());
        const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data());
        if (at < begin || at + line.size() > begin + buffer.size() || line.size() >= kOwn) {
            return false;
        }
        places.push_back(
            {static_cast<std::uint32_t>(at - begin), static_cast<std::uint32_t>(line.size())});
        inFileOrder = inFileOrder && at - begin >= previousEnd;
        previousEnd = at - begin + line.size();
        bytes += line.size();
    }
    SetLines({});
    packed_ = true;
    packedBase_ = buffer.data();
    places_ = std::move(places);
    inFileOrder_ = inFileOrder;
    liveBytes_ = bytes;
    return true;
}

bool LineStore::AnyHolds(long index, long count, char c) const {
    if (count <= 0) return false;
    const auto first = static_cast<size_t>(index);
    const auto last = first + static_cast<size_t>(count) - 1;
    if (Packed() && inFileOrder_) {
        // The bytes between two lines are a break, or lines hidden from the
        // code: a byte found there alone is told apart below.
        const char* from = packedBase_ + places_[first].offset;
        const char* to = packedBase_ + places_[last].offset + places_[last].length;
        if (std::memchr(from, c, static_cast<size_t>(to - from)) == nullptr) return false;
    }
    for (size_t i = first; i <= last; ++i) {
        if (Line(static_cast<long>(i)).find(c) != std::string_view::npos) return true;
    }
    return false;
}

void LineStore::Unpack() {
    if (!Packed()) return;
    std::vector<std::string_view> views;
    views.reserve(places_.size());
    for (const Place& p : places_) views.push_back(PlacedLine(p));
    // The own buffer becomes a block of the arena, which the views point into.
    if (own_) blocks_.push_back(std::move(own_));
    blockUsed_ = blockSize_ = 0;
    const size_t bytes = liveBytes_;
    SetLines(std::move(views));
    liveBytes_ = bytes;
}

void LineStore::ClearArena() {
    blocks_.clear();
    own_.reset();
    blockUsed_ = blockSize_ = arenaBytes_ = 0;
}

void LineStore::Assign(std::shared_ptr<const std::string> buffer,
                       std::vector<std::string_view> lines) {
    buffers_.clear();
    ClearArena();
    buffers_.push_back(std::move(buffer));
    if (!Pack(*buffers_.back(), lines)) SetLines(std::move(lines));
}

void LineStore::Assign(const std::vector<std::string>& lines) {
    buffers_.clear();
    ClearArena();
    SetLines({});
    Insert(0, lines);
}

void LineStore::OpenGap(size_t index, size_t size) {
    Unpack();
    if (GapSize() < size) {
        // Grow with room to spare, so that many small inserts reallocate
        // rarely.
        const size_t count = slots_.size() - GapSize();
        const size_t gap = std::max(size, count / 4 + 64);
        std::vector<std::string_view> grown(count + gap);
        const auto after = slots_.begin() + static_cast<long>(gapEnd_);
        std::copy(slots_.begin(), slots_.begin() + static_cast<long>(gapStart_), grown.begin());
        std::copy(after, slots_.end(), grown.begin() + static_cast<long>(gapStart_ + gap));
        slots_ = std::move(grown);
        gapEnd_ = gapStart_ + gap;
    }
    if (index < gapStart_) {
        // The views between index and the gap move behind it.
        const size_t moved = gapStart_ - index;
        std::move_backward(slots_.begin() + static_cast<long>(index),
                           slots_.begin() + static_cast<long>(gapStart_),
                           slots_.begin() + static_cast<long>(gapEnd_));
        gapStart_ -= moved;
        gapEnd_ -= moved;
    } else if (index > gapStart_) {
        const size_t moved = index - gapStart_;
        std::move(slots_.begin() + static_cast<long>(gapEnd_),
                  slots_.begin() + static_cast<long>(gapEnd_ + moved),
                  slots_.begin() + static_cast<long>(gapStart_));
        gapStart_ += moved;
        gapEnd_ += moved;
    }
}

std::string_view LineStore::Store(std::string_view line) {
    if (line.empty()) return {};
    if (line.size() > blockSize_ - blockUsed_) {
        const size_t next =
            blockSize_ == 0 ? kFirstBlockSize : std::min(kBlockSize, 2 * blockSize_);
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

template <class Lines>
void LineStore::CopyIn(long index, const Lines& lines) {
    OpenGap(static_cast<size_t>(index), lines.size());
    for (const std::string_view l : lines) {
        slots_[gapStart_++] = Store(l);
        liveBytes_ += l.size();
    }
}

void LineStore::Insert(long index, const std::vector<std::string>& lines) {
    CopyIn(index, lines);
}

void LineStore::InsertViewed(long index, const std::vector<std::string_view>& lines) {
    CopyIn(index, lines);
}

void LineStore::Erase(long index, long count) {
    OpenGap(static_cast<size_t>(index), 0);
    for (long i = 0; i < count; ++i) liveBytes_ -= slots_[gapEnd_++].size();
    CompactIfMostlyDead();
}

namespace {

// count lines from line(i): views into the loaded buffers stay views (each
// keeps the break it has in its file), the others are copied into one buffer.
template <class LineAt>
LineSnapshot TakeLines(const std::vector<std::shared_ptr<const std::string>>& loadedBuffers,
                       size_t count, LineAt line) {
    auto loaded = [&](std::string_view view) {
        return std::any_of(loadedBuffers.begin(), loadedBuffers.end(), [view](const auto& buffer) {
            return view.data() >= buffer->data() &&
                   view.data() + view.size() <= buffer->data() + buffer->size();
        });
    };
    LineSnapshot snapshot;
    snapshot.buffers = loadedBuffers;
    snapshot.lines.reserve(count);
    // The views are taken in one pass; the lines outside the loaded files
    // are counted there, and copied in a second pass only when there are
    // some (rarely so in a module's first edit).
    size_t copied = 0;
    for (size_t i = 0; i < count; ++i) {
        const std::string_view view = line(i);
        if (!view.empty() && !loaded(view)) copied += view.size();
        snapshot.lines.push_back(view);
    }
    if (copied == 0) return snapshot;
    // Sized first, so that the views taken into it stay valid.
    auto copy = std::make_shared<std::string>();
    copy->reserve(copied);
    for (std::string_view& view : snapshot.lines) {
        if (view.empty() || loaded(view)) continue;
        const size_t at = copy->size();
        copy->append(view);
        view = std::string_view(copy->data() + at, view.size());
    }
    snapshot.buffers.push_back(std::move(copy));
    return snapshot;
}

}  // namespace

LineSnapshot SnapshotPart(const LineSnapshot& whole, size_t first, size_t count,
                          const std::vector<std::shared_ptr<const std::string>>& loadedBuffers) {
    return TakeLines(loadedBuffers, count, [&](size_t i) { return whole.lines[first + i]; });
}

LineSnapshot LineStore::Snapshot() const {
    return Snapshot(0, Count());
}

LineSnapshot LineStore::Snapshot(long first, long count) const {
    return TakeLines(buffers_, static_cast<size_t>(count),
                     [&](size_t i) { return Line(first + static_cast<long>(i)); });
}

void LineStore::Replace(long index, long count, const LineSnapshot& lines) {
    Erase(index, count);
    OpenGap(static_cast<size_t>(index), lines.lines.size());
    for (const std::string_view line : lines.lines) {
        // A line of a file the store holds stays a view into it (and keeps
        // its break there); any other is copied, so that undoing and redoing
        // does not pile up the snapshots' buffers.
        slots_[gapStart_++] = InLoadedFile(line) ? line : Store(line);
        liveBytes_ += line.size();
    }
}

bool LineStore::InLoadedFile(std::string_view line) const {
    return std::any_of(buffers_.begin(), buffers_.end(), [line](const auto& buffer) {
        return line.data() >= buffer->data() &&
               line.data() + line.size() <= buffer->data() + buffer->size();
    });
}

void LineStore::Restore(LineSnapshot snapshot) {
    buffers_ = std::move(snapshot.buffers);
    ClearArena();
    SetLines(std::move(snapshot.lines));
}

void LineStore::Compact() {
    if (Packed() || buffers_.size() > 1) return;
    const std::string* file = buffers_.empty() ? nullptr : buffers_.front().get();
    if (file != nullptr && file->size() > UINT32_MAX) return;
    const auto count = static_cast<size_t>(Count());
    const char* begin = file != nullptr ? file->data() : nullptr;
    const char* end = file != nullptr ? file->data() + file->size() : nullptr;
    // As InLoadedFile, for the one file.
    const auto inFile = [begin, end](std::string_view line) {
        return begin != nullptr && line.data() >= begin && line.data() + line.size() <= end;
    };
    size_t own = 0;
    for (size_t i = 0; i < count; ++i) {
        const std::string_view line = Line(static_cast<long>(i));
        if (!inFile(line)) own += line.size();
    }
    if (own >= kOwn) return;
    auto copy = std::make_unique<char[]>(own);
    std::vector<Place> places;
    places.reserve(count);
    size_t at = 0;
    for (size_t i = 0; i < count; ++i) {
        const std::string_view line = Line(static_cast<long>(i));
        const auto length = static_cast<std::uint32_t>(line.size());
        if (inFile(line)) {
            places.push_back({static_cast<std::uint32_t>(line.data() - begin), length});
            continue;
        }
        if (!line.empty()) std::memcpy(copy.get() + at, line.data(), line.size());
        places.push_back({static_cast<std::uint32_t>(at), length | kOwn});
        at += line.size();
    }
    const size_t bytes = liveBytes_;
    ClearArena();
    SetLines({});
    packed_ = true;
    packedBase_ = file != nullptr ? file->data() : nullptr;
    places_ = std::move(places);
    own_ = std::move(copy);
    arenaBytes_ = own;
    liveBytes_ = bytes;
}

void LineStore::CompactIfMostlyDead() {
    // Long editing sessions leave dead lines in the arena; copy the live ones
    // out once the arena is several times larger than all live text.
    if (arenaBytes_ < 1024 * 1024 || arenaBytes_ < 4 * liveBytes_) return;
    std::vector<std::string> copy;
    copy.reserve(static_cast<size_t>(Count()));
    for (long i = 0; i < Count(); ++i) copy.emplace_back(Line(i));
    Assign(copy);
}

}  // namespace qv::host::memory
