#pragma once
// Re-indents an array of lines and condenses every run of blank lines to one.
// The array may shrink. Line numbers are not touched here: the callers take
// them off first (RemoveLineNumbers) where a routine may carry them.
//
// Used by tidy itself and by the commands that insert error handling and
// number lines, which indent the text they write with it.

#include <array>
#include <string>
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
    const Laid* Find(const TidyState& before, const std::string& line);
    void Keep(const TidyState& before, const std::string& line, Laid laid);

  private:
    // Makes key_ the key of the line after the state.
    void MakeKey(const TidyState& before, const std::string& line);
    static constexpr size_t kKept = 4096;
    std::unordered_map<std::string, Laid> laid_;
    // Reused from line to line: a lookup builds no string of its own.
    std::string key_;
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

}  // namespace qv::tidy
