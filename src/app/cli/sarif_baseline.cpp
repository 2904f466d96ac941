#include "app/cli/sarif_baseline.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "app/cli/command.h"
#include "app/cli/fingerprint_text.h"
#include "app/cli/vb_text.h"
#include "host/files/text_spill.h"
#include "platform/native_path.h"
#include "platform/regular_file.h"
#include "platform/text.h"
#include "platform/thread_kept.h"

namespace qv::cli {

namespace {

[[noreturn]] void Refuse(const std::string& path, const std::string& why) {
    throw CliError(kExitBadInput, "cannot use " + path + " as a baseline: " + why);
}

// A member's string; the fallback when it is missing or not a string.
std::string StringAt(const JsonNode& object, const char* key, const char* fallback = "") {
    if (!object.is_object() || !object.contains(key)) return fallback;
    const JsonNode& value = object.at(key);
    return value.is_string() ? value.get<std::string>() : fallback;
}

const JsonNode& MemberAt(const JsonNode& object, const char* key) {
    static const JsonNode kNull;
    if (!object.is_object()) return kNull;
    const auto it = object.find(key);
    return it == object.end() ? kNull : *it;
}

std::string FingerprintOf(const JsonNode& result) {
    return StringAt(MemberAt(result, "partialFingerprints"), kRoutineFingerprint);
}

// What the parser says is wrong, without its own prefix and place; a
// value that is none is "illegal value", as earlier versions said.
std::string ParseProblem(const JsonNode::parse_error& error) {
    std::string what = error.what();
    if (what.find("while parsing value - invalid literal") != std::string::npos) {
        return "illegal value";
    }
    const size_t colon = what.find(": ", what.find("column"));
    if (colon != std::string::npos) what = what.substr(colon + 2);
    const size_t last = what.find("; last read");
    if (last != std::string::npos) what.resize(last);
    return what;
}

}  // namespace

std::string RoutineFingerprint(std::string_view project, const std::string& module,
                               const std::string& routine, text::CodePage page,
                               std::string_view ruleId) {
    return RoutineFingerprintUtf8(project, VbText(module, page), VbText(routine, page), ruleId);
}

std::string RoutineFingerprintUtf8(std::string_view project, std::string_view module,
                                   std::string_view routine, std::string_view ruleId) {
    std::string fingerprint;
    AppendRoutineFingerprintUtf8(fingerprint, project, module, routine, ruleId);
    return fingerprint;
}

void AppendRoutineFingerprintUtf8(std::string& out, std::string_view project,
                                  std::string_view module, std::string_view routine,
                                  std::string_view ruleId) {
    // Built in room of the thread's own, kept from call to call.
    struct KeyRoom {
        std::string key;
    };
    std::string& key = platform::ThreadKept<KeyRoom>().key;
    key.clear();
    if (!project.empty()) key.append(project).append(1, ':');
    key.append(module).append(1, '.').append(routine).append(1, '/').append(ruleId);
    if (text::IsAscii(key)) {  // nearly every key: lowered where it stands
        for (char& c : key) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
        }
    } else {
        key = UnicodeLower(key);
    }
    // The first half of the digest, in hexadecimal.
    static constexpr char kHex[] = "0123456789abcdef";
    const std::array<std::uint8_t, 32> digest = Sha256(key);
    for (size_t i = 0; i < 16; ++i) {
        out += kHex[digest[i] >> 4];
        out += kHex[digest[i] & 15];
    }
}

// Reads a log's results one at a time as the parser makes them: each is
// taken out of the document once whole (its fixes never made), so that the
// document holds everything but its results.
class SarifBaseline::Reader {
  public:
    explicit Reader(SarifBaseline& baseline) : baseline_(baseline) {}

    // The parser's callback: false leaves the value out of the document.
    bool Parsed(int depth, JsonNode::parse_event_t event, JsonNode& parsed) {
        using Event = JsonNode::parse_event_t;
        if (event == Event::key) {
            if (depth == 1) rootKey_ = parsed.get<std::string>();
            if (depth == 3) runKey_ = parsed.get<std::string>();
            // A result's fixes: what only their own log can resolve.
            return depth != 5 || !InResults() || parsed.get_ref<const std::string&>() != "fixes";
        }
        if (event != Event::object_end) return true;
        if (depth == 2 && rootKey_ == "runs") {
            ++runs_;
            runKey_.clear();
        }
        if (depth != 4 || !InResults()) return true;
        Take(parsed);
        return false;
    }

    // Whether a run object (from 0) holds a result without the fingerprint.
    bool Unmarked(size_t run) const { return run < unmarked_.size() && unmarked_[run]; }

  private:
    bool InResults() const { return rootKey_ == "runs" && runKey_ == "results"; }

    // Keeps the result by its fingerprint; one marked absent is gone
    // already then: nothing to match now.
    void Take(JsonNode& result) {
        if (StringAt(result, "baselineState") == "absent") return;
        std::string fingerprint = FingerprintOf(result);
        if (fingerprint.empty()) {
            unmarked_.resize(std::max(unmarked_.size(), runs_ + 1));
            unmarked_[runs_] = true;
            return;
        }
        Earlier earlier;
        earlier.level = StringAt(result, "level", "warning");
        const std::string message = StringAt(MemberAt(result, "message"), "text");
        earlier.messageSize = message.size();
        earlier.messageHash = std::hash<std::string>{}(message);
        if (baseline_.withForms_) {
            // The forms' file is made at the first form: most runs never want one.
            if (!baseline_.forms_) baseline_.forms_ = std::make_unique<host::files::TextSpill>();
            earlier.form = baseline_.forms_->Keep(AbsentForm(std::move(result)));
        }
        baseline_.byFingerprint_.emplace(std::move(fingerprint), std::move(earlier));
    }

    // The result marked absent, without its artifact's index.
    static std::string AbsentForm(JsonNode result) {
        if (result.contains("locations") && result["locations"].is_array() &&
            !result["locations"].empty()) {
            for (JsonNode& location : result["locations"]) {
                if (!location.is_object()) location = JsonNode::object();
                JsonNode& physical = location["physicalLocation"];
                if (!physical.is_object()) physical = JsonNode::object();
                JsonNode& artifact = physical["artifactLocation"];
                if (!artifact.is_object()) artifact = JsonNode::object();
                artifact.erase("index");
            }
        }
        result["baselineState"] = "absent";
        return result.dump();
    }

    SarifBaseline& baseline_;
    std::string rootKey_, runKey_;
    size_t runs_ = 0;
    std::vector<bool> unmarked_;
};

SarifBaseline SarifBaseline::Read(const std::string& path, bool withAbsent) {
    SarifBaseline baseline;
    baseline.withForms_ = withAbsent;
    Reader reader(baseline);
    JsonNode document;
    {
        // Read as it is parsed: the file's bytes are never held whole.
        const file::Kind kind = file::KindAt(path);
        std::ifstream in;
        if (kind == file::Kind::Regular) in.open(file::NativePath(path), std::ios::binary);
        if (!in.is_open()) {
            Refuse(path, kind == file::Kind::Missing   ? std::strerror(ENOENT)
                         : kind == file::Kind::Regular ? std::strerror(errno)
                         : kind == file::Kind::Folder  ? "file to open is a directory"
                                                       : file::NotRegularReason(kind));
        }
        try {
            document = JsonNode::parse(in, [&](int depth, JsonNode::parse_event_t event,
                                               JsonNode& parsed) {
                return reader.Parsed(depth, event, parsed);
            });
        } catch (const JsonNode::parse_error& error) {
            Refuse(path, "not JSON (" + ParseProblem(error) + " at byte " +
                             std::to_string(error.byte) + ")");
        }
    }
    if (!document.is_object()) Refuse(path, "not a SARIF log");
    if (StringAt(document, "version") != "2.1.0" || !MemberAt(document, "runs").is_array()) {
        Refuse(path, "not a SARIF 2.1.0 log");
    }
    size_t run = 0;
    for (const JsonNode& value : MemberAt(document, "runs")) {
        const JsonNode& left = MemberAt(value, "results");
        if (!left.is_array()) Refuse(path, "a run without results");
        // What is left of the results is none: each was an object.
        if (!left.empty() || reader.Unmarked(run)) {
            Refuse(path, std::string("a result without the fingerprint ") + kRoutineFingerprint +
                             " (make the baseline with 'qvaddin check --format sarif')");
        }
        if (value.is_object()) ++run;
    }
    return baseline;
}

std::optional<BaselineState> SarifBaseline::MatchOnce(const std::string& fingerprint,
                                                      const std::string& level,
                                                      const std::string& message) {
    const auto [first, last] = byFingerprint_.equal_range(fingerprint);
    // The same finding first, then any of the fingerprint.
    for (bool same : {true, false}) {
        for (auto it = first; it != last; ++it) {
            Earlier& earlier = it->second;
            if (earlier.matched) continue;
            const bool unchanged = earlier.level == level &&
                                   earlier.messageSize == message.size() &&
                                   earlier.messageHash == std::hash<std::string>{}(message);
            if (same && !unchanged) continue;
            earlier.matched = true;
            ++(unchanged ? counts_.unchanged : counts_.updated);
            return unchanged ? BaselineState::Unchanged : BaselineState::Updated;
        }
    }
    return std::nullopt;
}

BaselineState SarifBaseline::Match(const std::string& fingerprint, const std::string& level,
                                   const std::string& message,
                                   const std::string& olderFingerprint) {
    if (const auto state = MatchOnce(fingerprint, level, message)) return *state;
    if (!olderFingerprint.empty() && olderFingerprint != fingerprint) {
        if (const auto state = MatchOnce(olderFingerprint, level, message)) return *state;
    }
    ++counts_.added;
    return BaselineState::New;
}

BaselineCounts SarifBaseline::Counts() const {
    BaselineCounts counts = counts_;
    for (const auto& [fingerprint, earlier] : byFingerprint_) counts.absent += !earlier.matched;
    return counts;
}

JsonNode SarifBaseline::AbsentForm(const Earlier& earlier) const {
    std::string form;
    try {
        form = forms_->Read(earlier.form);
    } catch (const std::runtime_error&) {
        throw CliError(kExitBadInput, "cannot read back the baseline's results from a temporary file");
    }
    return JsonNode::parse(form);
}

std::vector<JsonNode> SarifBaseline::Absent() const {
    std::vector<JsonNode> absent;
    if (!withForms_) return absent;
    for (const auto& [fingerprint, earlier] : byFingerprint_) {
        if (!earlier.matched) absent.push_back(AbsentForm(earlier));
    }
    return absent;
}

}  // namespace qv::cli
