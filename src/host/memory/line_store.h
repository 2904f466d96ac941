#pragma once
// The lines of one code module. Lines loaded from a file are places in the
// file's bytes (no copy per line, so a large project loads fast): until the
// first edit, eight bytes a line (offset and length), so that a command
// that only reads a whole project holds little more than its files' bytes.
// The first edit turns them into views; lines written later live in an
// arena that is compacted when most of it is dead. The views are kept with a
// gap at the place of the last edit: a command that edits routine after
// routine down (or up) a module moves only the views between two edits, so
// a whole module's run stays linear in its size. Once a group of edits
// ends, the lines are packed again: those of the file as places in it, the
// others copied into one buffer of the store's own (a module edited once and
// then only read until it is written holds no views, gap or half-used
// blocks).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qv::host::memory {

// The lines of a store at one moment, to put back later: lines that are
// views into a loaded file stay views into it (so each keeps the break it has
// in the file), the others are copied.
struct LineSnapshot {
    std::vector<std::shared_ptr<const std::string>> buffers;
    std::vector<std::string_view> lines;
};

// Lines first .. first + count - 1 (from 0) of a snapshot, kept as a
// snapshot of their own: views into loadedBuffers stay views, the others are
// copied (so that a part does not keep the whole alive).
LineSnapshot SnapshotPart(const LineSnapshot& whole, size_t first, size_t count,
                          const std::vector<std::shared_ptr<const std::string>>& loadedBuffers);

class LineStore {
  public:
    LineStore() = default;
    LineStore(const LineStore&) = delete;
    LineStore& operator=(const LineStore&) = delete;
    // A store read on another thread moves into the module (the lines keep
    // pointing into the same bytes).
    LineStore(LineStore&&) = default;
    LineStore& operator=(LineStore&&) = default;

    // Takes lines that point into buffer, which the store keeps alive.
    void Assign(std::shared_ptr<const std::string> buffer, std::vector<std::string_view> lines);
    // Copies the lines.
    void Assign(const std::vector<std::string>& lines);

    long Count() const {
        return static_cast<long>(Packed() ? places_.size() : slots_.size() - GapSize());
    }
    // index is 0-based.
    std::string_view Line(long index) const {
        const auto i = static_cast<size_t>(index);
        if (Packed()) return PlacedLine(places_[i]);
        return slots_[i < gapStart_ ? i : i + GapSize()];
    }
    // The lines are places (in the loaded file, or in the store's own buffer
    // of lines written since), eight bytes a line.
    bool Packed() const { return packed_; }
    // Whether one of count lines from index (0-based) holds the byte c.
    // Lines loaded in the file's order are searched as the one run of bytes
    // they lie in, and line by line only when that run holds it.
    bool AnyHolds(long index, long count, char c) const;

    // The loaded files' bytes that lines point into (a snapshot put back
    // may bring an older version of a file than the one loaded last).
    const std::vector<std::shared_ptr<const std::string>>& Buffers() const { return buffers_; }

    LineSnapshot Snapshot() const;
    // count lines from index (0-based).
    LineSnapshot Snapshot(long index, long count) const;
    void Restore(LineSnapshot snapshot);
    // Lines index .. index + count - 1 become the snapshot's lines.
    void Replace(long index, long count, const LineSnapshot& lines);

    void Insert(long index, const std::vector<std::string>& lines);
    // Insert for lines seen through views (copied as Insert copies).
    void InsertViewed(long index, const std::vector<std::string_view>& lines);
    void Erase(long index, long count);

    // Packs the lines again (see Packed) when they are views: the lines of
    // the loaded file keep their places in it, the others are copied into
    // one buffer. Views taken before into lines written since are no longer
    // valid. Left as views when lines point into several loaded files.
    void Compact();

  private:
    // A line as loaded: where it stands in the file's bytes.
    struct Place {
        std::uint32_t offset;
        std::uint32_t length;  // with kOwn set: a place in own_, not in the file
    };
    static constexpr std::uint32_t kOwn = 0x80000000u;
    std::string_view PlacedLine(const Place& p) const {
        if ((p.length & kOwn) == 0) return {packedBase_ + p.offset, p.length};
        const std::uint32_t length = p.length & ~kOwn;
        // An empty line written since points nowhere, as before it was packed.
        return length == 0 ? std::string_view() : std::string_view(own_.get() + p.offset, length);
    }
    // The loaded lines as places, when every one lies in buffer and the
    // buffer is small enough to be counted in 32 bits; false otherwise.
    bool Pack(const std::string& buffer, const std::vector<std::string_view>& lines);
    // Before an edit: the places become views.
    void Unpack();
    // Frees the lines written since the load (the arena and the own buffer).
    void ClearArena();
    std::string_view Store(std::string_view line);
    bool InLoadedFile(std::string_view line) const;
    void CompactIfMostlyDead();
    size_t GapSize() const { return gapEnd_ - gapStart_; }
    // Moves the gap to index and makes it hold at least size views.
    void OpenGap(size_t index, size_t size);
    void SetLines(std::vector<std::string_view> lines);
    template <class Lines>
    void CopyIn(long index, const Lines& lines);

    // While packed_, the lines are places_ in the bytes at packedBase_ or in
    // own_ (and slots_ is empty); else the views, with slots_[gapStart_,
    // gapEnd_) unused.
    bool packed_ = false;
    const char* packedBase_ = nullptr;
    std::vector<Place> places_;
    std::unique_ptr<char[]> own_;
    // Each place lies in the file at packedBase_, past the one before it
    // (never so once a line lies in own_).
    bool inFileOrder_ = false;
    std::vector<std::string_view> slots_;
    size_t gapStart_ = 0;
    size_t gapEnd_ = 0;
    std::vector<std::shared_ptr<const std::string>> buffers_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    size_t blockUsed_ = 0;
    size_t blockSize_ = 0;
    size_t arenaBytes_ = 0;  // bytes handed out by the arena
    size_t liveBytes_ = 0;   // bytes of all current lines
};

}  // namespace qv::host::memory
