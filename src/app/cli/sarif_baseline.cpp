#include "app/cli/sarif_baseline.h"

#include <cerrno>
#include <cstring>

#include "app/cli/command.h"
#include "app/cli/fingerprint_text.h"
#include "app/cli/vb_text.h"
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

// Whether a member's string (the fallback when it is missing or not a
// string) is the text, read where it stands.
bool StringIs(const JsonNode& object, const char* key, std::string_view fallback,
              std::string_view text) {
    if (!object.is_object()) return fallback == text;
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string()) return fallback == text;
    return it->get_ref<const std::string&>() == text;
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

SarifBaseline SarifBaseline::Read(const std::string& path) {
    std::string bytes;
    file::Kind kind = file::Kind::Missing;
    if (!file::ReadRegularFile(path, bytes, kind)) {
        Refuse(path, kind == file::Kind::Missing   ? std::strerror(ENOENT)
                     : kind == file::Kind::Regular ? std::strerror(errno)
                     : kind == file::Kind::Folder  ? "file to open is a directory"
                                                   : file::NotRegularReason(kind));
    }
    JsonNode document;
    try {
        document = JsonNode::parse(bytes);
    } catch (const JsonNode::parse_error& error) {
        Refuse(path, "not JSON (" + ParseProblem(error) + " at byte " +
                         std::to_string(error.byte) + ")");
    }
    if (!document.is_object()) Refuse(path, "not a SARIF log");
    return FromLog(document, path);
}

SarifBaseline SarifBaseline::FromLog(const JsonNode& log, const std::string& path) {
    if (StringAt(log, "version") != "2.1.0" || !MemberAt(log, "runs").is_array()) {
        Refuse(path, "not a SARIF 2.1.0 log");
    }
    SarifBaseline baseline;
    for (const JsonNode& run : MemberAt(log, "runs")) {
        const JsonNode& results = MemberAt(run, "results");
        if (!results.is_array()) Refuse(path, "a run without results");
        for (const JsonNode& result : results) {
            // Gone already then: nothing to match now.
            if (StringAt(result, "baselineState") == "absent") continue;
            const std::string fingerprint = FingerprintOf(result);
            if (fingerprint.empty()) {
                Refuse(path, std::string("a result without the fingerprint ") +
                                 kRoutineFingerprint +
                                 " (make the baseline with 'qvaddin check --format sarif')");
            }
            baseline.byFingerprint_.emplace(fingerprint, Earlier{result, false});
        }
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
            const bool unchanged =
                StringIs(earlier.result, "level", "warning", level) &&
                StringIs(MemberAt(earlier.result, "message"), "text", "", message);
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

std::vector<JsonNode> SarifBaseline::Absent() const {
    std::vector<JsonNode> absent;
    for (const auto& [fingerprint, earlier] : byFingerprint_) {
        if (earlier.matched) continue;
        JsonNode result = earlier.result;
        result.erase("fixes");
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
        absent.push_back(std::move(result));
    }
    return absent;
}

}  // namespace qv::cli
