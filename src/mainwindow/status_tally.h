#pragma once
// The figures and icons of a module row of the project browser.
//
// A module row's counts come from the engine's judgement of each routine
// (analysis::CountModule). After a routine command changed some rows, the
// row is recounted from the status words the routine list shows; that
// recount has its own table, which leaves a few pairs (a top of
// "IN ERROR & EXTRA CODE", an OK top over an unusual exit) uncounted.

#include <QString>

namespace qv::mainwindow {

// Icon numbers of a module row.
namespace module_icon {
inline constexpr int kGood = 1;          // evaluated, nothing in error or missing
inline constexpr int kNeedsWork = 2;     // evaluated, some Error or None
inline constexpr int kReadOnlyOffset = 3;
inline constexpr int kNotEvaluated = 6;  // the counts are blank
}  // namespace module_icon

struct RowCounts {
    int good = 0;
    int some = 0;
    int error = 0;
    int none = 0;
    bool operator==(const RowCounts&) const = default;
};

enum class WordTally { Good, Some, Error, None, NotCounted };

// How a routine row with these shown words is recounted.
WordTally TallyOfWords(const QString& top, const QString& exit);

// The icon of an evaluated module row.
int ModuleIcon(const RowCounts& counts, bool readOnly);

}  // namespace qv::mainwindow
