#pragma once
// Re-indents an array of lines and condenses every run of blank lines to one.
// The array may shrink. Line numbers are not touched here: the callers take
// them off first (RemoveLineNumbers) where a routine may carry them.
//
// Used by tidy itself and by the commands that insert error handling and
// number lines, which indent the text they write with it.

#include <string>
#include <vector>

#include "settings/settings_record.h"
#include "tidy/tidy_keywords.h"

namespace qv::tidy {

// routineFlag 1: the lines are a routine's body, from the line after its
// declaration through its closing line; the closing line goes to column 1.
// routineFlag 0: declarations, or the lines above or below a routine.
// settings: the record of the run (its `select`).
void TidyUpCode(std::vector<std::string>& lines, const KeywordList& openers,
                const KeywordList& closers, int routineFlag,
                const settings::SettingsRecord& settings);

}  // namespace qv::tidy
