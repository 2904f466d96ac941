#pragma once
// The diagnostics of a document: one per routine whose shown status is not
// OK at the top and OK (or N/A) at the exit, on its declaration line, with
// both status words and what they mean; one error for text that does not
// read as a module.

#include <QJsonArray>
#include <QJsonObject>
#include <map>

#include "lsp/open_document.h"
#include "settings/settings_record.h"

namespace qv::lsp {

// The protocol's severities; kSeverityOff drops the diagnostic.
enum Severity : int {
    kSeverityOff = 0,
    kSeverityError = 1,
    kSeverityWarning = 2,
    kSeverityInformation = 3,
    kSeverityHint = 4,
};

// The severity of each status word (its analysis::Status code).
class Severities {
  public:
    Severities();
    int Of(int status) const;
    // {"MISSING": "error", "SOME": "off", ...} from the client; unknown words
    // and levels are passed over.
    void Override(const QJsonObject& levels);

  private:
    std::map<int, int> levels_;
};

QJsonArray Diagnostics(OpenDocument& document, const Severities& severities,
                       const settings::SettingsRecord& settings);

// The status word of a code and what it means, for messages and hovers.
QString StatusMeaning(int status);

}  // namespace qv::lsp
