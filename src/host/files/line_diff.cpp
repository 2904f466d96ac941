#include "host/files/line_diff.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace qv::host::files {

namespace {

// Regions of at least this many lines (both sides) are first split at
// anchors: lines that stand once on each side.
constexpr long kAnchorAbove = 256;
// The steps the middle-snake search may take in all before it gives up and
// shows what is left as removed and added lines: a rewrite of a whole large
// module is then shown at once instead of after minutes.
constexpr long long kSearchBudget = 200'000'000;

// Myers' difference algorithm in linear space: each step finds the middle
// of an optimal edit path from both ends and recurses on the two halves.
// Large regions are split first at the longest ordered run of lines that
// stand once on each side (as patience diff does), which keeps a diff of
// edits all over a large module near linear; each gap is then compared on
// its own.
class LineDiff {
  public:
    LineDiff(const std::vector<int>& a, const std::vector<int>& b) : a_(a), b_(b) {}

    std::vector<LineOp> Run() {
        Compare(0, static_cast<long>(a_.size()), 0, static_cast<long>(b_.size()));
        // Within each run of changes the removed lines come first, as diff
        // shows them.
        for (auto it = ops_.begin(); it != ops_.end();) {
            auto end = std::find(it, ops_.end(), LineOp::Equal);
            std::stable_partition(it, end, [](LineOp op) { return op == LineOp::Delete; });
            it = end == ops_.end() ? end : end + 1;
        }
        return std::move(ops_);
    }

  private:
    void Emit(LineOp op, long count) { ops_.insert(ops_.end(), static_cast<size_t>(count), op); }

    void Compare(long aLo, long aHi, long bLo, long bHi) {
        long prefix = 0;
        while (aLo + prefix < aHi && bLo + prefix < bHi && a_[aLo + prefix] == b_[bLo + prefix]) {
            ++prefix;
        }
        Emit(LineOp::Equal, prefix);
        aLo += prefix;
        bLo += prefix;
        long suffix = 0;
        while (aHi - suffix > aLo && bHi - suffix > bLo &&
               a_[aHi - 1 - suffix] == b_[bHi - 1 - suffix]) {
            ++suffix;
        }
        aHi -= suffix;
        bHi -= suffix;
        if (aLo == aHi) {
            Emit(LineOp::Insert, bHi - bLo);
        } else if (bLo == bHi) {
            Emit(LineOp::Delete, aHi - aLo);
        } else if (!SplitAtAnchors(aLo, aHi, bLo, bHi)) {
            long x = 0, y = 0;
            const long n = aHi - aLo, m = bHi - bLo;
            if (Bisect(aLo, n, bLo, m, x, y) && !(x == 0 && y == 0) && !(x == n && y == m)) {
                Compare(aLo, aLo + x, bLo, bLo + y);
                Compare(aLo + x, aHi, bLo + y, bHi);
            } else {
                Emit(LineOp::Delete, n);
                Emit(LineOp::Insert, m);
            }
        }
        Emit(LineOp::Equal, suffix);
    }

    // The anchors of a large region in order, as pairs of line indexes.
    std::vector<std::pair<long, long>> Anchors(long aLo, long aHi, long bLo, long bHi) const {
        struct Seen {
            long countA = 0, atA = 0, countB = 0, atB = 0;
        };
        std::unordered_map<int, Seen> seen;
        for (long i = aLo; i < aHi; ++i) {
            Seen& s = seen[a_[i]];
            ++s.countA;
            s.atA = i;
        }
        for (long j = bLo; j < bHi; ++j) {
            auto it = seen.find(b_[j]);
            if (it == seen.end()) continue;
            ++it->second.countB;
            it->second.atB = j;
        }
        std::vector<std::pair<long, long>> unique;
        for (long i = aLo; i < aHi; ++i) {
            const Seen& s = seen[a_[i]];
            if (s.countA == 1 && s.countB == 1) unique.emplace_back(i, s.atB);
        }
        // The longest run whose b indexes rise too (patience sorting).
        std::vector<size_t> tops;  // tops[k]: the pair ending the best run of length k + 1
        std::vector<long> before(unique.size(), -1);
        for (size_t u = 0; u < unique.size(); ++u) {
            const auto pile =
                std::lower_bound(tops.begin(), tops.end(), unique[u].second,
                                 [&](size_t t, long b) { return unique[t].second < b; });
            if (pile != tops.begin()) before[u] = static_cast<long>(*(pile - 1));
            if (pile == tops.end())
                tops.push_back(u);
            else
                *pile = u;
        }
        std::vector<std::pair<long, long>> run;
        for (long u = tops.empty() ? -1 : static_cast<long>(tops.back()); u >= 0;
             u = before[static_cast<size_t>(u)]) {
            run.push_back(unique[static_cast<size_t>(u)]);
        }
        std::reverse(run.begin(), run.end());
        return run;
    }

    bool SplitAtAnchors(long aLo, long aHi, long bLo, long bHi) {
        if ((aHi - aLo) + (bHi - bLo) < kAnchorAbove) return false;
        const std::vector<std::pair<long, long>> anchors = Anchors(aLo, aHi, bLo, bHi);
        if (anchors.empty()) return false;
        for (const auto& [x, y] : anchors) {
            Compare(aLo, x, bLo, y);
            Emit(LineOp::Equal, 1);
            aLo = x + 1;
            bLo = y + 1;
        }
        Compare(aLo, aHi, bLo, bHi);
        return true;
    }

    bool Bisect(long aLo, long n, long bLo, long m, long& splitX, long& splitY) {
        const long maxD = (n + m + 1) / 2;
        const long offset = maxD;
        const long length = 2 * maxD + 2;
        std::vector<long> v1(static_cast<size_t>(length), -1), v2(static_cast<size_t>(length), -1);
        v1[static_cast<size_t>(offset + 1)] = 0;
        v2[static_cast<size_t>(offset + 1)] = 0;
        const long delta = n - m;
        const bool front = (delta % 2) != 0;
        long k1start = 0, k1end = 0, k2start = 0, k2end = 0;
        auto at = [](std::vector<long>& v, long i) -> long& { return v[static_cast<size_t>(i)]; };
        for (long d = 0; d < maxD; ++d) {
            searched_ += 2 * d + 2;
            if (searched_ > kSearchBudget) return false;
            for (long k1 = -d + k1start; k1 <= d - k1end; k1 += 2) {
                const long k1o = offset + k1;
                long x1 = (k1 == -d || (k1 != d && at(v1, k1o - 1) < at(v1, k1o + 1)))
                              ? at(v1, k1o + 1)
                              : at(v1, k1o - 1) + 1;
                long y1 = x1 - k1;
                while (x1 < n && y1 < m && a_[aLo + x1] == b_[bLo + y1]) ++x1, ++y1;
                at(v1, k1o) = x1;
                if (x1 > n) {
                    k1end += 2;
                } else if (y1 > m) {
                    k1start += 2;
                } else if (front) {
                    const long k2o = offset + delta - k1;
                    if (k2o >= 0 && k2o < length && at(v2, k2o) != -1 && x1 >= n - at(v2, k2o)) {
                        splitX = x1;
                        splitY = y1;
                        return true;
                    }
                }
            }
            for (long k2 = -d + k2start; k2 <= d - k2end; k2 += 2) {
                const long k2o = offset + k2;
                long x2 = (k2 == -d || (k2 != d && at(v2, k2o - 1) < at(v2, k2o + 1)))
                              ? at(v2, k2o + 1)
                              : at(v2, k2o - 1) + 1;
                long y2 = x2 - k2;
                while (x2 < n && y2 < m && a_[aLo + n - x2 - 1] == b_[bLo + m - y2 - 1]) ++x2, ++y2;
                at(v2, k2o) = x2;
                if (x2 > n) {
                    k2end += 2;
                } else if (y2 > m) {
                    k2start += 2;
                } else if (!front) {
                    const long k1o = offset + delta - k2;
                    if (k1o >= 0 && k1o < length && at(v1, k1o) != -1) {
                        const long x1 = at(v1, k1o);
                        const long y1 = offset + x1 - k1o;
                        if (x1 >= n - x2) {
                            splitX = x1;
                            splitY = y1;
                            return true;
                        }
                    }
                }
            }
        }
        return false;
    }

    const std::vector<int>& a_;
    const std::vector<int>& b_;
    std::vector<LineOp> ops_;
    long long searched_ = 0;
};


struct Side {
    const SplitText& split;
    std::vector<int> ids;
};

// Lines become numbers, equal lines equal numbers. A last line without a
// break differs from the same line with one. The keys are views into the
// two texts, which outlive the numbering. An open table (of at least twice
// as many slots as lines) in one piece, as most diffs are of a few dozen
// lines, where a node per line would cost more than the diff.
class LineIds {
  public:
    explicit LineIds(size_t lines) {
        size_t size = 16;
        while (size < 2 * lines) size *= 2;
        slots_.resize(size);
        mask_ = size - 1;
    }

    int Of(std::string_view line, bool withBreak) {
        const size_t hash = std::hash<std::string_view>{}(line) ^ (withBreak ? 0 : kNoBreak);
        for (size_t i = hash & mask_;; i = (i + 1) & mask_) {
            Slot& slot = slots_[i];
            if (slot.id < 0) {
                slot = {hash, line, next_, withBreak};
                return next_++;
            }
            if (slot.hash == hash && slot.withBreak == withBreak && slot.line == line) {
                return slot.id;
            }
        }
    }

  private:
    static constexpr auto kNoBreak = static_cast<size_t>(0x9E3779B97F4A7C15ULL);
    struct Slot {
        size_t hash = 0;
        std::string_view line;
        int id = -1;
        bool withBreak = true;
    };
    std::vector<Slot> slots_;
    size_t mask_ = 0;
    int next_ = 0;
};

void Number(Side& side, LineIds& ids) {
    const auto& lines = side.split.lines;
    side.ids.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        side.ids.push_back(ids.Of(lines[i], i + 1 != lines.size() || side.split.finalBreak));
    }
}


}  // namespace

std::vector<LineOp> DiffLines(const SplitText& a, const SplitText& b) {
    Side sideA{a, {}};
    Side sideB{b, {}};
    LineIds ids(a.lines.size() + b.lines.size());
    Number(sideA, ids);
    Number(sideB, ids);
    return LineDiff(sideA.ids, sideB.ids).Run();
}

std::vector<LineHunk> LineHunks(const SplitText& a, const SplitText& b) {
    const std::vector<LineOp> ops = DiffLines(a, b);
    std::vector<LineHunk> hunks;
    long oldAt = 0, newAt = 0;
    for (size_t k = 0; k < ops.size();) {
        if (ops[k] == LineOp::Equal) {
            ++oldAt, ++newAt, ++k;
            continue;
        }
        LineHunk hunk{oldAt, 0, newAt, 0};
        for (; k < ops.size() && ops[k] != LineOp::Equal; ++k) {
            if (ops[k] == LineOp::Delete) ++hunk.oldCount;
            else ++hunk.newCount;
        }
        oldAt += hunk.oldCount;
        newAt += hunk.newCount;
        hunks.push_back(hunk);
    }
    return hunks;
}

}  // namespace qv::host::files
