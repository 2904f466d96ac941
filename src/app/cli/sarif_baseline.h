#pragma once
// A baseline: the results of an earlier SARIF log of check, by their
// routine fingerprints, so that a run can say which of its findings are
// new, which are unchanged, which changed (updated) and which are gone
// (absent). A legacy code base adopts the check in CI by keeping a baseline
// and failing only on what a change makes worse.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/json_text.h"
#include "host/files/text_spill.h"
#include "platform/code_page.h"

namespace qv::cli {

// The name of the fingerprint under partialFingerprints.
inline constexpr const char* kRoutineFingerprint = "qvaddinRoutine/v1";

// The fingerprint of a routine's finding: its module, its name with the
// accessor and copy ("Value (Get)"), and the rule of its status, case
// ignored as VB ignores it; nothing about lines, so that it stays the same
// when unrelated lines move. Names are in the module's code page. In a run
// over several projects (a group) the project's name is part of it too, so
// that the same module of two projects does not share one; a run over one
// project (or loose module files) leaves it out, as earlier versions did.
// The project's name is UTF-8, the others bytes in the code page.
std::string RoutineFingerprint(std::string_view project, const std::string& module,
                               const std::string& routine, text::CodePage page,
                               std::string_view ruleId);
// The same of names given in UTF-8 already.
std::string RoutineFingerprintUtf8(std::string_view project, std::string_view module,
                                   std::string_view routine, std::string_view ruleId);
// The same appended to out (for a log that writes one for every result).
void AppendRoutineFingerprintUtf8(std::string& out, std::string_view project,
                                  std::string_view module, std::string_view routine,
                                  std::string_view ruleId);

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
    // is not a SARIF log of check with routine fingerprints. Each earlier
    // result is kept as little as matching needs: its fingerprint, level and
    // message; the rest (its form as an absent result) waits in a temporary
    // file, so that a large project's baseline does not sit in memory.
    // withAbsent false: Absent() is not wanted (gives nothing), and no
    // absent form is kept.
    static SarifBaseline Read(const std::string& path, bool withAbsent = true);

    // The state of a finding: matched by fingerprint (each earlier result
    // once); unchanged when its level and message are the same. A finding
    // that matches none by its fingerprint is matched by its fingerprint
    // without the project (older, when there is one), as an older
    // version's log of a group gives it.
    BaselineState Match(const std::string& fingerprint, const std::string& level,
                        const std::string& message, const std::string& olderFingerprint = "");
    // Absent: the earlier results that no finding matched.
    BaselineCounts Counts() const;
    // Those results, each marked absent and without what only their own log
    // can resolve (artifact indexes, fixes).
    std::vector<JsonNode> Absent() const;

  private:
    struct Earlier {
        std::string level;  // as matching reads it ("warning" when the log has none)
        // The message's text ("" when none), told by its size and a hash:
        // kept whole, the messages of a large baseline would fill the memory.
        size_t messageSize = 0;
        size_t messageHash = 0;
        // Its form as an absent result, compact, among the forms kept.
        host::files::TextSpill::Piece form;
        bool matched = false;
    };
    class Reader;
    std::optional<BaselineState> MatchOnce(const std::string& fingerprint,
                                           const std::string& level, const std::string& message);
    // The absent form of an earlier result.
    JsonNode AbsentForm(const Earlier& earlier) const;

    std::multimap<std::string, Earlier> byFingerprint_;
    std::unique_ptr<host::files::TextSpill> forms_;  // the absent forms
    bool withForms_ = true;
    BaselineCounts counts_;
};

}  // namespace qv::cli
