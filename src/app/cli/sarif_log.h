#pragma once
// The findings of check as a SARIF 2.1.0 log, the format code-scanning
// services and editors read: one rule per status word that makes a finding,
// one result per routine that is not Good at its declaration line, and,
// where the add command would insert the standard handler, that change as
// the result's fix (whole lines replaced, so that no column depends on the
// file's code page).

#include <QJsonObject>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/add_fix.h"
#include "errorhandling/status_findings.h"

namespace qv::cli {

struct SarifResult {
    std::string path;        // the module file, as opened
    std::string module;      // the module's name
    std::string routine;     // the routine's name, with its accessor: "Value (Get)"
    text::CodePage codePage{};  // the module's, which its names are written in
    long line = 0;           // the declaration's line in the file, 1-based
    analysis::Finding finding;
    std::optional<FileChange> fix;
};

class SarifLog {
  public:
    // Artifact URIs are relative to sourceRoot (a folder), which the log
    // names as %SRCROOT%; files outside it get absolute file URIs.
    explicit SarifLog(std::string sourceRoot) : sourceRoot_(std::move(sourceRoot)) {}

    void Add(SarifResult result) { results_.push_back(std::move(result)); }
    // A module could not be judged (message: UTF-8): the run is then not
    // successful.
    void AddFailure(std::string message) { failures_.push_back(std::move(message)); }

    QJsonObject Json() const;

  private:
    std::string sourceRoot_;
    std::vector<SarifResult> results_;
    std::vector<std::string> failures_;
};

// The replacements that turn the change's before text into its after text,
// as SARIF replacement objects (whole lines, 1-based regions).
std::vector<QJsonObject> SarifReplacements(const FileChange& change);

}  // namespace qv::cli
