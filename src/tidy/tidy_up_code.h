#pragma once
// Re-indents an array of lines and condenses every run of blank lines to one.
// The array may shrink. Line numbers are not touched here: the callers take
// them off first (RemoveLineNumbers) where a routine may carry them.
//
// Used by tidy itself and by the commands that insert error handling and
// number lines, which indent the text they write with it.

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "settings/settings_record.h"
#include "tidy/tidy_keywords.h"
#include "tidy/tidy_state.h"

namespace qv::tidy {

// Lines laid out before, for a caller that lays out many blocks alike with
// one settings record and one pair of keyword lists (the handlers of a
// module's routines differ in a line or two): a line's layout depends only
// on the state the lines above left and on its own text. Keeps a few
// thousand lines, not every line it was given.
class LineLayouts {
  public:
    struct Laid {
        TidyState after;
        std::string line;
    };
    // The layout of the line after the state, or null when not kept.
    const Laid* Find(const TidyState& before, std::string_view line) const;
    void Keep(const TidyState& before, std::string line, Laid laid);

  private:
    // A line after a state: the level and the state's flags as the bits of
    // one int. Kept with the line's own copy; a lookup sees the line
    // through a view, so that it builds no string.
    template <class Line>
    struct Key {
        long level = 0;
        int flags = 0;
        Line line;
    };
    using KeptKey = Key<std::string>;
    using SoughtKey = Key<std::string_view>;
    struct KeyHash {
        using is_transparent = void;
        size_t operator()(const KeptKey& k) const { return Hash(k.level, k.flags, k.line); }
        size_t operator()(const SoughtKey& k) const { return Hash(k.level, k.flags, k.line); }
        static size_t Hash(long level, int flags, std::string_view line);
    };
    struct KeyEqual {
        using is_transparent = void;
        template <class A, class B>
        bool operator()(const A& a, const B& b) const {
            return a.level == b.level && a.flags == b.flags &&
                   std::string_view(a.line) == std::string_view(b.line);
        }
    };
    static int Flags(const TidyState& state);
    static constexpr size_t kKept = 4096;
    std::unordered_map<KeptKey, Laid, KeyHash, KeyEqual> laid_;
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
