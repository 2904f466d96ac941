#pragma once
// The per-line step of tidy: re-indents one line with one tab per nesting
// level and updates the run's tidy state for the next line.
//
// The line leaves with its indentation in tabs and one trailing space
// (blank lines become empty); the code host drops that space when the line
// is written back, as the IDE does.
//
// Choices made here:
// - A line with several statements (separated by ": ") is judged statement
//   by statement, in order: each statement's own text is tested against the
//   keyword lists, and the line stands at the lowest level that its closers
//   reach before any opener on it opens again ("Case 1: x = 1" moves out one
//   level like "Case 1"; a one-line "For ...: Next" does not move at all).
//   A line with one statement gets exactly the level it would get alone.
// - A comment line sets in-comment, so that a comment ending in " _" carries
//   its continuation lines with it as comment lines.
// - Tab characters inside string literals are kept: they are data.

#include <string>

#include "settings/settings_record.h"
#include "tidy/tidy_keywords.h"
#include "tidy/tidy_state.h"

namespace qv::tidy {

// The deepest nesting tidy lays out; deeper code is refused (error 16) as
// damaged: no one writes code nested this deep.
inline constexpr long kDeepestNesting = 256;

// routineFlag: 1 for the body of a routine (it starts one level in and takes
// the Case setting), 0 for declarations and the lines around a routine.
// first: the line is the first of its array; the state starts afresh.
// settings: the record of the run (`select` and `comment`).
void Counts(std::string& line, TidyState& state, const KeywordList& openers,
            const KeywordList& closers, int routineFlag, bool first,
            const settings::SettingsRecord& settings);

}  // namespace qv::tidy
