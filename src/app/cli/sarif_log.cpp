#include "app/cli/sarif_log.h"

#include <charconv>
#include <iterator>
#include <map>
#include <ostream>
#include <system_error>
#include <utility>

#include "app/cli/fingerprint_text.h"
#include "app/cli/sarif_paths.h"
#include "app/cli/vb_text.h"
#include "host/files/text_lines.h"
#include "host/files/line_diff.h"
#include "platform/text.h"
#include "platform/thread_kept.h"

namespace qv::cli {

namespace {

constexpr const char* kSchema = "https://json.schemastore.org/sarif-2.1.0.json";
constexpr const char* kRootId = "%SRCROOT%";

std::string Level(analysis::FindingSeverity severity) {
    switch (severity) {
        case analysis::FindingSeverity::Error: return "error";
        case analysis::FindingSeverity::Warning: return "warning";
        case analysis::FindingSeverity::Information:
        case analysis::FindingSeverity::Hint: return "note";
    }
    return "warning";
}

std::string Text(std::string_view text) { return std::string(text); }

JsonNode Message(const std::string& text) { return JsonNode{{"text", text}}; }

std::string WithoutBackticks(std::string text) {
    std::erase(text, '`');
    return text;
}

// What to do about a status, and the command that does it, in Markdown.
struct RuleHelp {
    const char* fix;
    const char* command;
};

RuleHelp HelpOf(int status) {
    switch (status) {
        case analysis::kStatusSome:
            return {"The routine handles its errors in its own way. Keep it when it must (name it "
                    "in the omit list of the settings), or take its own `On Error` statements out "
                    "and insert the standard handler.",
                    "qvaddin add PROJECT --module MODULE --routine ROUTINE"};
        case analysis::kStatusMissing:
            return {"Insert the standard handler; the result's fix is that change.",
                    "qvaddin add PROJECT --module MODULE --routine ROUTINE"};
        case analysis::kStatusInError:
            return {"Renew the handler from the current templates.",
                    "qvaddin replace PROJECT --module MODULE --routine ROUTINE"};
        default:
            return {"Move the lines that stand between the handler's lines out of them, or renew "
                    "the handler from the templates with `--force` (the lines between are then "
                    "lost: look at the change with `--dry-run` first).",
                    "qvaddin replace --force PROJECT --module MODULE --routine ROUTINE"};
    }
}

JsonNode Rules(const std::string& projectAddress) {
    JsonNode rules = JsonNode::array();
    for (const analysis::StatusRule& rule : analysis::StatusRules()) {
        const std::string word(analysis::StatusString(rule.status));
        const std::string meaning = Text(rule.meaning);
        const RuleHelp help = HelpOf(rule.status);
        const std::string text = "Error handling " + word + ": " + meaning + ". " +
                                 WithoutBackticks(help.fix) + " Command: " + help.command;
        const std::string markdown = "**Error handling " + word + "**: " + meaning + ".\n\n" +
                                 help.fix + "\n\n```\n" + help.command + "\n```";
        JsonNode object{
            {"id", Text(rule.id)},
            {"name", Text(rule.name)},
            {"shortDescription", Message("Error handling " + word)},
            {"fullDescription", Message(word + ": " + meaning + ".")},
            {"help", JsonNode{{"text", text}, {"markdown", markdown}}},
            {"defaultConfiguration", JsonNode{{"level", Level(rule.defaultSeverity)}}}};
        if (!projectAddress.empty()) {
            object["helpUri"] = projectAddress + "#" + UnicodeLower(rule.id);
        }
        rules.push_back(object);
    }
    return rules;
}

int RuleIndex(const analysis::StatusRule* rule) {
    return static_cast<int>(rule - analysis::StatusRules().data());
}

// The code page a file's bytes are written in, by the name SARIF readers
// know it by (the IANA name of the character set).
struct Encoding {
    text::CodePage page;
    std::string Name() const {
        switch (page.Number()) {
            case 65001: return "utf-8";
            case 932: return "shift_jis";
            case 936: return "gbk";
            case 949: return "ks_c_5601-1987";
            case 950: return "big5";
            default: return "windows-" + std::to_string(page.Number());
        }
    }
    std::string Decode(std::string_view bytes) const { return VbText(bytes, page); }
};

// The offset of each line's first byte, and the text's size after the last.
std::vector<size_t> LineStarts(std::string_view text, const host::files::SplitText& split) {
    std::vector<size_t> starts;
    starts.reserve(split.lines.size() + 1);
    for (std::string_view line : split.lines) {
        starts.push_back(static_cast<size_t>(line.data() - text.data()));
    }
    starts.push_back(text.size());
    return starts;
}

std::string Number(long long n) { return std::to_string(n); }

void AppendNumber(std::string& out, long long n) {
    char digits[24];
    out.append(digits, std::to_chars(std::begin(digits), std::end(digits), n).ptr);
}

// Bytes of a code page as a JSON string: text in ASCII, nearly all, as it
// stands (it is the same in UTF-8).
void AppendJsonText(std::string& out, std::string_view bytes, text::CodePage page) {
    if (text::IsAscii(bytes)) {
        AppendJsonString(out, bytes);
    } else {
        AppendJsonString(out, VbText(bytes, page));
    }
}

}  // namespace

std::string SarifLevel(analysis::FindingSeverity severity) { return Level(severity); }

std::string SarifMessage(const std::string& routine, text::CodePage page,
                     const analysis::Finding& finding) {
    return "Routine " + VbText(routine, page) + ": " + Text(finding.message);
}

namespace {

// A replacement that puts lines in before the line (1-based, of the file)
// and deletes nothing, as JsonText writes an object: its keys sorted.
void AppendInsertion(std::string& out, long line, const InsertedLines& lines,
                     const Encoding& encoding) {
    char digits[24];
    const std::string_view number(digits, static_cast<size_t>(
        std::to_chars(std::begin(digits), std::end(digits), line).ptr - digits));
    out += R"({"deletedRegion":{"endColumn":1,"endLine":)";
    out += number;
    out += R"(,"startColumn":1,"startLine":)";
    out += number;
    out += R"(},"insertedContent":{"text":)";
    if (lines.json) {
        out += '"';
        out += lines.text;
        out += '"';
    } else {
        AppendJsonText(out, lines.text, encoding.page);
    }
    out += "}}";
}

}  // namespace

void AppendSarifReplacements(std::string& out, const FileChange& change) {
    const Encoding encoding{change.codePage};
    if (!change.insertions.empty()) {
        bool first = true;
        for (const InsertedLines& lines : change.insertions) {
            if (!first) out += ',';
            first = false;
            AppendInsertion(out, change.firstLine + lines.at, lines, encoding);
        }
        return;
    }
    const std::string_view before = change.before, after = change.after;
    const host::files::SplitText oldSplit = host::files::SplitFileLines(before);
    const host::files::SplitText newSplit = host::files::SplitFileLines(after);
    const std::vector<size_t> newStarts = LineStarts(after, newSplit);
    const long oldLines = static_cast<long>(oldSplit.lines.size());
    const long offset = change.firstLine - 1;  // the file lines above the change's

    // Each replacement as JsonText writes an object: its keys sorted.
    bool first = true;
    for (host::files::LineHunk hunk : host::files::LineHunks(oldSplit, newSplit)) {
        // Lines cannot be inserted after a last line without a break: the
        // change then takes that line along.
        if (hunk.oldStart == oldLines && oldLines > 0 && !oldSplit.finalBreak) {
            --hunk.oldStart, ++hunk.oldCount, --hunk.newStart, ++hunk.newCount;
        }
        const long end = hunk.oldStart + hunk.oldCount;  // the first line after the hunk
        const size_t from = newStarts[static_cast<size_t>(hunk.newStart)];
        const size_t to = newStarts[static_cast<size_t>(hunk.newStart + hunk.newCount)];
        if (!first) out += ',';
        first = false;
        out += R"({"deletedRegion":{)";
        if (end < oldLines || oldSplit.finalBreak || hunk.oldCount == 0) {
            // Up to the start of the line after the hunk (past the end when
            // the file ends with a break).
            out += R"("endColumn":1,"endLine":)";
            out += Number(offset + end + 1);
        } else {
            // To the end of the last line, which has no break.
            out += R"("endLine":)";
            out += Number(offset + end);
        }
        out += R"(,"startColumn":1,"startLine":)";
        out += Number(offset + hunk.oldStart + 1);
        out += R"(},"insertedContent":{"text":)";
        AppendJsonString(out, encoding.Decode(after.substr(from, to - from)));
        out += "}}";
    }
}

SarifLog::SarifLog(SarifRun run)
    : run_(std::move(run)),
      rootPath_(CleanAbsolutePath(run_.sourceRoot)),
      spill_(std::tmpfile()) {}

SarifLog::~SarifLog() {
    if (!writer_.joinable()) return;
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
    }
    work_.notify_one();
    writer_.join();
}

void SarifLog::Keep(const std::string& result) {
    if (spill_) {
        const bool written =
            (!anyResult_ || std::fputc(',', spill_.get()) == ',') &&
            std::fwrite(result.data(), 1, result.size(), spill_.get()) == result.size();
        if (written) {
            writtenBytes_ += result.size() + (anyResult_ ? 1 : 0);
            anyResult_ = true;
            return;
        }
        // A full disk: the results so far back into memory, and the rest there.
        std::string kept;
        std::rewind(spill_.get());
        char buffer[1 << 16];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, spill_.get())) > 0;) {
            kept.append(buffer, n);
        }
        // The last write may have gone in part: only whole results are kept.
        kept.resize(std::min(kept.size(), writtenBytes_));
        spill_.reset();
        if (!kept.empty()) results_.push_back(kept);
    }
    results_.push_back(result);
    anyResult_ = true;
}

std::vector<std::string> SarifLog::TakeWarnings() { return std::exchange(newOutside_, {}); }

// Where a result's file is, relative to the source root, as the text of an
// artifact location without its closing brace (worked out once per file);
// a file outside the root is warned of once.
const std::string& SarifLog::FileLocation(const std::string& path) {
    // The results of a module come one after another.
    if (lastLocation_ != nullptr && lastPath_ == path) return *lastLocation_;
    auto known = locations_.find(path);
    if (known == locations_.end()) {
        const std::string absolute = CleanAbsolutePath(path);
        const std::optional<std::string> relative = RelativePath(rootPath_, absolute);
        std::string location = R"({"uri":)";
        if (!relative) {
            // No way from the root to it (another drive).
            AppendJsonString(location, FileUri(absolute));
        } else {
            AppendJsonString(location, RelativeUri(*relative));
            location += R"(,"uriBaseId":")";
            location += kRootId;
            location += '"';
        }
        if (!relative || relative->starts_with("../")) {
            warnings_.push_back(NativeSeparators(absolute) + " lies outside the source root " +
                                NativeSeparators(rootPath_) +
                                ": its URI climbs out of " + kRootId);
            newOutside_.push_back(warnings_.back());
        }
        known = locations_.emplace(path, std::move(location)).first;
    }
    lastPath_ = path;
    lastLocation_ = &known->second;
    lastIndex_ = -1;
    return known->second;
}

// The artifact location of a result: for a file with a fix, with the index
// of its artifact (which names its encoding).
std::string SarifLog::Location(const SarifResult& r) {
    const std::string& location = FileLocation(r.path);
    std::string artifact;
    artifact.reserve(location.size() + 16);
    artifact += location;
    if (r.fix) {
        if (lastIndex_ < 0) {
            auto [it, added] =
                artifactIndex_.try_emplace(r.path, static_cast<int>(artifacts_.size()));
            if (added) {
                artifacts_.push_back(JsonNode{{"location", JsonNode::parse(location + "}")},
                                          {"encoding", Encoding{r.fix->codePage}.Name()}});
            }
            lastIndex_ = it->second;
        }
        artifact += R"(,"index":)";
        AppendNumber(artifact, lastIndex_);
    }
    artifact += '}';
    return artifact;
}

namespace {

// Results handed to the writer thread at once (one wake-up for each), and
// the most that wait for it (what they hold in memory).
constexpr size_t kBatch = 64;
constexpr size_t kMostPending = 1024;

}  // namespace

// The location (and so the artifacts and the warnings) is worked out here,
// in the order of the results; the rest goes to the writer thread.
void SarifLog::Add(SarifResult result) {
    std::string artifact = Location(result);
    if (!writer_.joinable() && !noThread_) {
        try {
            writer_ = std::thread(&SarifLog::Work, this);
        } catch (const std::system_error&) {
            noThread_ = true;
        }
    }
    if (noThread_) {
        Format(result, artifact);
        return;
    }
    bool wake = false;
    {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [&] { return pending_.size() < kMostPending || failure_; });
        if (failure_) return;  // Write reports it
        pending_.push_back({std::move(result), std::move(artifact)});
        wake = pending_.size() >= kBatch;
    }
    if (wake) work_.notify_one();
}

void SarifLog::Work() {
    const platform::ThreadWorkScope scope;  // what the formatting kept goes with the writer
    std::vector<Pending> batch;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            work_.wait(lock, [&] { return pending_.size() >= kBatch || closing_; });
            if (pending_.empty()) return;  // closing, and all written
            batch.assign(std::make_move_iterator(pending_.begin()),
                         std::make_move_iterator(pending_.end()));
            pending_.clear();
        }
        room_.notify_one();
        try {
            for (const Pending& p : batch) Format(p.result, p.artifact);
        } catch (...) {
            const std::lock_guard lock(mutex_);
            failure_ = std::current_exception();
            pending_.clear();
            room_.notify_all();
            return;
        }
        batch.clear();
    }
}

void SarifLog::Finish() {
    if (writer_.joinable()) {
        {
            const std::lock_guard lock(mutex_);
            closing_ = true;
        }
        work_.notify_one();
        writer_.join();
    }
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

// The message of a result as a JSON string: a finding's words, in ASCII,
// escaped once for the results that follow with the same words.
void SarifLog::AppendMessage(std::string& out, std::string_view routine,
                             std::string_view finding) {
    if (!text::IsAscii(routine) || !text::IsAscii(finding)) {
        std::string message("Routine ");
        message.append(routine).append(": ").append(finding);
        AppendJsonString(out, message);
        return;
    }
    if (finding != lastFinding_) {
        lastFinding_.assign(finding);
        escapedFinding_.clear();
        AppendJsonBody(escapedFinding_, finding);
    }
    out += "\"Routine ";
    AppendJsonBody(out, routine);
    out += ": ";
    out += escapedFinding_;
    out += '"';
}

// Written as text: a large project has tens of thousands of results, and
// building each as a JSON object costs more than working out its fix.
void SarifLog::Format(const SarifResult& r, const std::string& artifact) {
    // Names in ASCII, nearly all, are the same in UTF-8.
    std::string ownRoutine, ownModule;
    auto utf8 = [&](const std::string& name, std::string& own) -> std::string_view {
        if (text::IsAscii(name)) return name;
        return own = VbText(name, r.codePage);
    };
    const std::string_view routine = utf8(r.routine, ownRoutine);
    const std::string_view module = utf8(r.module, ownModule);
    const std::string level = Level(r.finding.severity);
    // As SarifMessage gives it; its room kept from result to result.
    std::string& message = message_;
    message.clear();
    if (baseline_ != nullptr) {
        message.append("Routine ").append(routine).append(": ").append(r.finding.message);
    }
    const std::string_view ruleId = r.finding.rule->id;
    std::string& fingerprint = fingerprint_;  // its room kept from result to result
    fingerprint.clear();
    AppendRoutineFingerprintUtf8(fingerprint, r.project, module, routine, ruleId);
    std::string& out = text_;  // its room kept from result to result
    out.clear();
    out += R"({"ruleId":)";
    AppendJsonString(out, ruleId);
    out += R"(,"ruleIndex":)";
    AppendNumber(out, RuleIndex(r.finding.rule));
    out += R"(,"level":)";
    AppendJsonString(out, level);
    out += R"(,"message":{"text":)";
    AppendMessage(out, routine, r.finding.message);
    out += R"(},"partialFingerprints":{")";
    out += kRoutineFingerprint;
    out += R"(":)";
    AppendJsonString(out, fingerprint);
    out += R"(},"locations":[{"physicalLocation":{"artifactLocation":)";
    out += artifact;
    out += R"(,"region":{"startLine":)";
    AppendNumber(out, r.line);
    out += R"(}},"logicalLocations":[{"name":)";
    AppendJsonString(out, routine);
    out += R"(,"fullyQualifiedName":)";
    std::string& qualified = qualified_;
    qualified.clear();
    qualified.append(module).append(1, '.').append(routine);
    AppendJsonString(out, qualified);
    out += R"(,"kind":"function"}]}])";
    if (baseline_ != nullptr) {
        static constexpr const char* kStates[] = {"new", "unchanged", "updated"};
        out += R"(,"baselineState":")";
        // A log of a group by an older version has no project in its
        // fingerprints.
        const std::string older =
            r.project.empty() ? std::string()
                              : RoutineFingerprintUtf8({}, module, routine, ruleId);
        out += kStates[static_cast<int>(baseline_->Match(fingerprint, level, message, older))];
        out += '"';
    }
    if (r.fix) {
        out += R"(,"fixes":[{"description":{"text":"Insert the standard error handler"},)"
               R"("artifactChanges":[{"artifactLocation":)";
        out += artifact;
        out += R"(,"replacements":[)";
        AppendSarifReplacements(out, *r.fix);
        out += "]}]}]";
    }
    out += '}';
    Keep(out);
}

void SarifLog::Write(std::ostream& out) {
    Finish();
    auto compact = [](const JsonNode& json) { return JsonText(json, JsonLayout::Compact); };
    JsonNode driver{{"name", "qvaddin"},
                {"fullName", "qvaddin " QVADDIN_VERSION " (error handling of VB6 code)"},
                {"version", QVADDIN_VERSION},
                {"semanticVersion", QVADDIN_VERSION},
                {"rules", Rules(run_.projectAddress)}};
    if (!run_.projectAddress.empty()) driver["informationUri"] = run_.projectAddress;
    JsonNode notifications = JsonNode::array();
    for (const std::string& failure : failures_) {
        notifications.push_back(JsonNode{{"level", "error"}, {"message", Message(failure)}});
    }
    for (const std::string& warning : warnings_) {
        notifications.push_back(JsonNode{{"level", "warning"}, {"message", Message(warning)}});
    }
    JsonNode invocation{{"executionSuccessful", failures_.empty()}};
    if (!notifications.empty()) invocation["toolExecutionNotifications"] = notifications;
    std::string rootUri = FileUri(rootPath_);
    if (!rootUri.ends_with('/')) rootUri += '/';

    // The results go out one by one, as they are kept; the rest of the run
    // is small.
    out << R"({"$schema":")" << kSchema << R"(","version":"2.1.0","runs":[{"tool":)"
        << compact(JsonNode{{"driver", driver}}) << R"(,"automationDetails":)"
        << compact(JsonNode{{"id", run_.automationId}}) << R"(,"originalUriBaseIds":)"
        << compact(JsonNode{{kRootId, JsonNode{{"uri", rootUri}}}}) << R"(,"invocations":)"
        << compact(JsonNode::array({invocation}));
    if (!artifacts_.empty()) out << R"(,"artifacts":)" << compact(artifacts_);
    out << R"(,"results":[)";
    if (spill_ && std::fflush(spill_.get()) == 0) {
        std::rewind(spill_.get());
        char buffer[1 << 16];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, spill_.get())) > 0;) {
            out.write(buffer, static_cast<std::streamsize>(n));
        }
    }
    bool first = !anyResult_;
    for (size_t i = 0; i < results_.size(); ++i) {
        if (i > 0) out << ',';
        out << results_[i];
    }
    if (baseline_ != nullptr) {
        for (const JsonNode& absent : baseline_->Absent()) {
            if (!first) out << ',';
            out << compact(absent);
            first = false;
        }
    }
    out << "]}]}\n";
}

}  // namespace qv::cli
