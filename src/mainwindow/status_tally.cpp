#include "mainwindow/status_tally.h"

namespace qv::mainwindow {

WordTally TallyOfWords(const QString& top, const QString& exit) {
    if (top == "OK") {
        if (exit == "OK" || exit == "N/A") return WordTally::Good;
        if (exit == "IN ERROR" || exit == "EXTRA CODE") return WordTally::Error;
        return WordTally::NotCounted;
    }
    if (top == "MISSING") return WordTally::None;
    if (top == "IN ERROR" || top == "EXTRA CODE") return WordTally::Error;
    if (top == "SOME") return WordTally::Some;
    return WordTally::NotCounted;
}

int ModuleIcon(const RowCounts& counts, bool readOnly) {
    const int icon = counts.error + counts.none > 0 ? module_icon::kNeedsWork : module_icon::kGood;
    return readOnly ? icon + module_icon::kReadOnlyOffset : icon;
}

}  // namespace qv::mainwindow
