#pragma once
// The keywords that open and close a nesting level, for routine bodies and
// for declaration sections. The order of each list matters: the first
// routine opener and closer ("Select Case", "End Select") take the extra Case
// level, the first three declaration openers are the Type openers, and the
// last routine closer ("Next") closes one loop per comma.

#include <string>
#include <string_view>
#include <vector>

namespace qv::tidy {

using KeywordList = std::vector<std::string>;

struct TidyKeywords {
    KeywordList routineOpeners;
    KeywordList routineClosers;
    KeywordList declarationOpeners;
    KeywordList declarationClosers;
};

// The four lists, built on first use and never changed after: every run,
// and a run that another starts while it waits for events, sees the same.
const TidyKeywords& Keywords();
inline const KeywordList& RoutineOpeners() { return Keywords().routineOpeners; }
inline const KeywordList& RoutineClosers() { return Keywords().routineClosers; }
inline const KeywordList& DeclarationOpeners() { return Keywords().declarationOpeners; }
inline const KeywordList& DeclarationClosers() { return Keywords().declarationClosers; }

// The index of the first keyword that the statement begins with, followed by
// a space, case ignored; −1 when none does. Statements end with a space.
int FirstMatch(const KeywordList& keywords, std::string_view statement);

}  // namespace qv::tidy
