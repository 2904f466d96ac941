#pragma once
// Re-indents an array of lines and condenses every run of blank lines to one.
// The array may shrink. Line numbers are not touched here: the callers take
// them off first (RemoveLineNumbers) where a routine may carry them.
//
// Used by tidy itself and by the commands that insert error handling and
// number lines, which indent the text they write with it.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_record.h"
#include "tidy/tidy_keywords.h"
#include "tidy/tidy_state.h"

namespace qv::tidy {

// Lines laid out before, for a caller that lays out many blocks alike with
// one settings record and one pair of keyword lists (the handlers of a
// module's routines differ in a line or two): a line's layout depends only
// on the state the lines above left and on its own text. Keeps a few
// thousand lines, not every line it was given, and is emptied when full.
//
// Every line is looked up, most are found, so a lookup is made to touch
// little memory: an open-addressed array of slots, each with the full hash
// and the number of its entry, is probed first, and only a slot whose hash
// matches leads to its entry and text. Entries sit in one array and their
// texts in one buffer, so that keeping a line allocates nothing once both
// have grown, and emptying is setting their sizes back.
class LineLayouts {
  public:
    // The hash of a line after a state (the level and the state's flags); a
    // test gives its own to make lines collide.
    using Hash = std::uint64_t (*)(long level, int flags, std::string_view line);
    explicit LineLayouts(Hash hash = LineHash) : hash_(hash) {}

    // When the line after the state is kept: its state after into after,
    // its laid-out text into laid, and true; else false, and neither is
    // touched. before may be after, and line may view laid. The text is
    // copied out here because a later Keep may move or empty the buffer it
    // lies in: no view into this store leaves it.
    bool Find(const TidyState& before, std::string_view line, TidyState& after,
              std::string& laid) const;
    // Keeps the layout of the line after the state (a line kept again
    // replaces its layout). line and laid are copied, and so must not view
    // this store's buffer (Find gives out no such view); a line longer than
    // the buffer's bound is not kept.
    void Keep(const TidyState& before, std::string_view line, const TidyState& after,
              std::string_view laid);

    // The hash of the line with the level and flags mixed in.
    static std::uint64_t LineHash(long level, int flags, std::string_view line);

    static constexpr size_t kKept = 4096;                 // entries before it is emptied
    static constexpr size_t kKeptText = size_t{1} << 24;  // bytes of text, likewise

  private:
    static constexpr std::uint32_t kNone = ~std::uint32_t{0};
    static constexpr size_t kSlots = 2 * kKept;  // at most half taken
    static_assert((kSlots & (kSlots - 1)) == 0, "a hash's slot is its low bits");
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t entry = kNone;
    };
    // A line after a state and its layout. Its text and then the laid-out
    // text lie at `at` in text_.
    struct Entry {
        TidyState after;
        long level = 0;
        int flags = 0;
        std::uint32_t at = 0;
        std::uint32_t lineLength = 0;
        std::uint32_t laidLength = 0;
    };
    static int Flags(const TidyState& state);
    // The slot that holds the line after the state, or the free slot where
    // it would go.
    size_t Probe(std::uint64_t hash, long level, int flags, std::string_view line) const;
    void Empty();

    Hash hash_;
    std::vector<Slot> slots_;  // none until the first line is kept
    std::vector<Entry> entries_;
    std::string text_;
};

// The layouts this thread keeps for the lines tidied with these lists, flag
// and settings (`select` and `comment`, all that a layout depends on
// besides): a run over a module or project lays out many routines alike,
// and their common lines (End If, Next, blank and comment lines, the same
// declarations) are laid out once. Other lists, flag or settings empty the
// layouts of the oldest of the few combinations kept.
LineLayouts& KeptLayouts(const KeywordList& openers, const KeywordList& closers, int routineFlag,
                         const settings::SettingsRecord& settings);

// routineFlag 1: the lines are a routine's body, from the line after its
// declaration through its closing line; the closing line goes to column 1.
// routineFlag 0: declarations, or the lines above or below a routine.
// settings: the record of the run (its `select`).
// layouts, when given: each line's layout is taken from it where it was made
// before (and kept there when not).
void TidyUpCode(std::vector<std::string>& lines, const KeywordList& openers,
                const KeywordList& closers, int routineFlag,
                const settings::SettingsRecord& settings, LineLayouts* layouts = nullptr);

// TidyUpCode with the layouts this thread keeps for the lists, flag and
// settings (KeptLayouts).
void TidyUpCodeKept(std::vector<std::string>& lines, const KeywordList& openers,
                    const KeywordList& closers, int routineFlag,
                    const settings::SettingsRecord& settings);

// TidyUpCodeKept on a copy of the lines seen through source, made in lines
// (whose strings are reused: a line laid out before is copied once, from
// its layout). With removeNumbers, line numbers are taken off first
// (linenumbers::RemoveLineNumbers).
void TidyUpCopy(const std::vector<std::string_view>& source, std::vector<std::string>& lines,
                const KeywordList& openers, const KeywordList& closers, int routineFlag,
                const settings::SettingsRecord& settings, bool removeNumbers);

}  // namespace qv::tidy
