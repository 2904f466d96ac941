#pragma once
// The findings of check as a SARIF 2.1.0 log, the format code-scanning
// services and editors read: one rule per status word that makes a finding,
// one result per routine that is not Good at its declaration line, with a
// fingerprint that names the routine and its status (so that it stays the
// same when lines above it move), and, where the add command would insert
// the standard handler, that change as the result's fix (whole lines
// replaced, so that no column depends on the file's code page). Results are
// kept as compact text as they come, in a temporary file, so that a large
// project's log does not stay in memory. The text of each result (its
// message, fingerprint, fix and baseline state) is written by a thread of
// the log's own while the caller works out the next ones: in the order
// they came, so the log is the same however the two threads run.

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <iosfwd>
#include <memory>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/cli/add_fix.h"
#include "app/cli/json_text.h"
#include "app/cli/sarif_baseline.h"
#include "errorhandling/status_findings.h"

namespace qv::cli {

struct SarifResult {
    std::string path;        // the module file, as opened
    // The project's name (UTF-8) in a run over several projects (a group),
    // else "": it is then part of the fingerprint.
    std::string project;
    std::string module;      // the module's name
    std::string routine;     // the routine's name, with its accessor: "Value (Get)"
    text::CodePage codePage{};  // the module's, which its names are written in
    long line = 0;           // the declaration's line in the file, 1-based
    analysis::Finding finding;
    std::optional<FileChange> fix;
};

// What a run says about itself.
struct SarifRun {
    std::string sourceRoot = ".";  // the folder artifact URIs are relative to (%SRCROOT%)
    std::string automationId = "qvaddin/";  // the run's category, for a service that keeps several
    std::string projectAddress;    // the tool's home page ("" when the build names none)
};

class SarifLog {
  public:
    explicit SarifLog(SarifRun run);
    ~SarifLog();
    SarifLog(const SarifLog&) = delete;
    SarifLog& operator=(const SarifLog&) = delete;

    // With a baseline, each result is marked new, unchanged or updated, and
    // the baseline's results that none matched are written as absent.
    void SetBaseline(SarifBaseline* baseline) { baseline_ = baseline; }
    void Add(SarifResult result);
    // A module could not be judged (message: UTF-8): the run is then not
    // successful.
    void AddFailure(std::string message) { failures_.push_back(std::move(message)); }
    // What the log warns of since last asked (UTF-8): files outside the
    // source root, whose URIs climb out of it.
    std::vector<std::string> TakeWarnings();

    // The whole log, compact, with a final line break. An error that
    // stopped writing a result comes out here.
    void Write(std::ostream& out);

  private:
    const std::string& FileLocation(const std::string& path);
    std::string Location(const SarifResult& result);
    // A result as compact text, kept; artifact: its artifact location.
    void Format(const SarifResult& result, const std::string& artifact);

    // The results waiting for the writer thread, with their locations.
    struct Pending {
        SarifResult result;
        std::string artifact;
    };
    void Work();    // the writer thread
    void Finish();  // waits until every result is written

    struct CloseFile {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    SarifRun run_;
    std::string rootPath_;
    SarifBaseline* baseline_ = nullptr;
    void Keep(const std::string& result);

    std::unique_ptr<std::FILE, CloseFile> spill_;  // the results so far, comma-separated
    std::vector<std::string> results_;  // each compact, when there is no such file
    size_t writtenBytes_ = 0;  // to the spill file
    std::string text_;  // the result being written
    std::string message_, qualified_, fingerprint_;  // its message, qualified name, fingerprint
    // The words of the last finding (ASCII) and the same escaped.
    std::string lastFinding_, escapedFinding_;
    void AppendMessage(std::string& out, std::string_view routine, std::string_view finding);
    bool anyResult_ = false;
    JsonNode artifacts_ = JsonNode::array();  // the files with fixes, in the order they come
    std::map<std::string, int> artifactIndex_;
    std::map<std::string, std::string> locations_;  // by path
    // The last path asked for, its location and (-1 until asked) its
    // artifact's index.
    std::string lastPath_;
    const std::string* lastLocation_ = nullptr;
    int lastIndex_ = -1;
    std::vector<std::string> newOutside_;  // warnings not yet taken
    std::vector<std::string> failures_;
    std::vector<std::string> warnings_;  // files outside the root (UTF-8)

    std::mutex mutex_;  // guards what follows
    std::condition_variable work_;  // a batch is waiting, or the log closes
    std::condition_variable room_;  // the queue has room again
    std::deque<Pending> pending_;
    bool closing_ = false;
    std::exception_ptr failure_;  // what stopped the writer thread
    bool noThread_ = false;  // none could be started: results are written at once
    std::thread writer_;
};

// A finding's level and message as the log gives them (which a baseline
// compares).
std::string SarifLevel(analysis::FindingSeverity severity);
std::string SarifMessage(const std::string& routine, text::CodePage page,
                     const analysis::Finding& finding);

// The replacements that turn the change's before text into its after text,
// as SARIF replacement objects (whole lines, 1-based regions) in compact
// JSON text, comma-separated, appended to out.
void AppendSarifReplacements(std::string& out, const FileChange& change);

}  // namespace qv::cli
