#pragma once
// A baseline: the results of an earlier SARIF log of check, by their
// routine fingerprints, so that a run can say which of its findings are
// new, which are unchanged, which changed (updated) and which are gone
// (absent). A legacy code base adopts the check in CI by keeping a baseline
// and failing only on what a change makes worse.

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <map>
#include <string>
#include <vector>

#include "platform/code_page.h"

namespace qv::cli {

// The name of the fingerprint under partialFingerprints.
inline constexpr const char* kRoutineFingerprint = "qvaddinRoutine/v1";

// The fingerprint of a routine's finding: its module, its name with the
// accessor and copy ("Value (Get)"), and the rule of its status, case
// ignored as VB ignores it; nothing about lines, so that it stays the same
// when unrelated lines move. Names are in the module's code page.
QString RoutineFingerprint(const std::string& module, const std::string& routine,
                           text::CodePage page, std::string_view ruleId);

enum class BaselineState { New, Unchanged, Updated };

struct BaselineCounts {
    int added = 0;  // new
    int unchanged = 0;
    int updated = 0;
    int absent = 0;
};

class SarifBaseline {
  public:
    // Throws CliError (bad input) naming the file when it cannot be read or
    // is not a SARIF log of check with routine fingerprints.
    static SarifBaseline Read(const std::string& path);
    static SarifBaseline FromLog(const QJsonObject& log, const std::string& path);

    // The state of a finding: matched by fingerprint (each earlier result
    // once); unchanged when its level and message are the same.
    BaselineState Match(const QString& fingerprint, const QString& level, const QString& message);
    // Absent: the earlier results that no finding matched.
    BaselineCounts Counts() const;
    // Those results, each marked absent and without what only their own log
    // can resolve (artifact indexes, fixes).
    QJsonArray Absent() const;

  private:
    struct Earlier {
        QJsonObject result;
        bool matched = false;
    };
    std::multimap<QString, Earlier> byFingerprint_;
    BaselineCounts counts_;
};

}  // namespace qv::cli
