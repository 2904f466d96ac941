#include "app/cli/sarif_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QUrl>
#include <QJsonDocument>
#include <map>
#include <ostream>
#include <utility>

#include "app/cli/vb_text.h"
#include "host/files/text_lines.h"
#include "host/files/line_diff.h"

namespace qv::cli {

namespace {

constexpr const char* kSchema = "https://json.schemastore.org/sarif-2.1.0.json";
constexpr const char* kRootId = "%SRCROOT%";

QString Level(analysis::FindingSeverity severity) {
    switch (severity) {
        case analysis::FindingSeverity::Error: return "error";
        case analysis::FindingSeverity::Warning: return "warning";
        case analysis::FindingSeverity::Information:
        case analysis::FindingSeverity::Hint: return "note";
    }
    return "warning";
}

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QJsonObject Message(const QString& text) { return QJsonObject{{"text", text}}; }

// The text as a JSON string, in UTF-8.
void AppendJsonString(QByteArray& out, const QString& text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text.toUtf8()) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    out += "\\u00";
                    out += kHex[c >> 4];
                    out += kHex[c & 15];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
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

QJsonArray Rules(const std::string& projectAddress) {
    QJsonArray rules;
    for (const analysis::StatusRule& rule : analysis::StatusRules()) {
        const QString word = QString::fromStdString(analysis::StatusString(rule.status));
        const QString meaning = Text(rule.meaning);
        const RuleHelp help = HelpOf(rule.status);
        const QString text = "Error handling " + word + ": " + meaning + ". " +
                             QString(help.fix).remove('`') + " Command: " + help.command;
        const QString markdown = "**Error handling " + word + "**: " + meaning + ".\n\n" +
                                 help.fix + "\n\n```\n" + help.command + "\n```";
        QJsonObject object{
            {"id", Text(rule.id)},
            {"name", Text(rule.name)},
            {"shortDescription", Message("Error handling " + word)},
            {"fullDescription", Message(word + ": " + meaning + ".")},
            {"help", QJsonObject{{"text", text}, {"markdown", markdown}}},
            {"defaultConfiguration", QJsonObject{{"level", Level(rule.defaultSeverity)}}}};
        if (!projectAddress.empty()) {
            object.insert("helpUri",
                          QString::fromStdString(projectAddress) + "#" + Text(rule.id).toLower());
        }
        rules.append(object);
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
    QString Name() const {
        switch (page.Number()) {
            case 65001: return "utf-8";
            case 932: return "shift_jis";
            case 936: return "gbk";
            case 949: return "ks_c_5601-1987";
            case 950: return "big5";
            default: return "windows-" + QString::number(page.Number());
        }
    }
    QString Decode(std::string_view bytes) const { return VbText(bytes, page); }
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

QJsonObject Replacement(const QJsonObject& region, const QString& inserted) {
    return QJsonObject{{"deletedRegion", region},
                       {"insertedContent", QJsonObject{{"text", inserted}}}};
}

}  // namespace

QString SarifLevel(analysis::FindingSeverity severity) { return Level(severity); }

QString SarifMessage(const std::string& routine, text::CodePage page,
                     const analysis::Finding& finding) {
    return "Routine " + VbText(routine, page) + ": " + Text(finding.message);
}

std::vector<QJsonObject> SarifReplacements(const FileChange& change) {
    const std::string_view before = change.before, after = change.after;
    const Encoding encoding{change.codePage};
    const host::files::SplitText oldSplit = host::files::SplitFileLines(before);
    const host::files::SplitText newSplit = host::files::SplitFileLines(after);
    const std::vector<size_t> oldStarts = LineStarts(before, oldSplit);
    const std::vector<size_t> newStarts = LineStarts(after, newSplit);
    const long oldLines = static_cast<long>(oldSplit.lines.size());

    std::vector<QJsonObject> replacements;
    for (host::files::LineHunk hunk : host::files::LineHunks(oldSplit, newSplit)) {
        // Lines cannot be inserted after a last line without a break: the
        // change then takes that line along.
        if (hunk.oldStart == oldLines && oldLines > 0 && !oldSplit.finalBreak) {
            --hunk.oldStart, ++hunk.oldCount, --hunk.newStart, ++hunk.newCount;
        }
        const long end = hunk.oldStart + hunk.oldCount;  // the first line after the hunk
        const size_t from = newStarts[static_cast<size_t>(hunk.newStart)];
        const size_t to = newStarts[static_cast<size_t>(hunk.newStart + hunk.newCount)];
        const long offset = change.firstLine - 1;  // the file lines above the change's
        QJsonObject region{{"startLine", static_cast<qint64>(offset + hunk.oldStart + 1)},
                           {"startColumn", 1}};
        if (end < oldLines || oldSplit.finalBreak || hunk.oldCount == 0) {
            // Up to the start of the line after the hunk (past the end when
            // the file ends with a break).
            region.insert("endLine", static_cast<qint64>(offset + end + 1));
            region.insert("endColumn", 1);
        } else {
            // To the end of the last line, which has no break.
            region.insert("endLine", static_cast<qint64>(offset + end));
        }
        replacements.push_back(
            Replacement(region, encoding.Decode(after.substr(from, to - from))));
    }
    return replacements;
}

SarifLog::SarifLog(SarifRun run)
    : run_(std::move(run)),
      rootPath_(QDir(QFile::decodeName(QByteArray::fromStdString(run_.sourceRoot))).absolutePath()),
      spill_(std::make_unique<QTemporaryFile>()) {
    if (!spill_->open()) spill_.reset();
}

SarifLog::~SarifLog() = default;

void SarifLog::Keep(const QByteArray& result) {
    if (spill_) {
        const QByteArray text = anyResult_ ? "," + result : result;
        if (spill_->write(text) == text.size()) {
            anyResult_ = true;
            return;
        }
        // A full disk: the results so far back into memory, and the rest there.
        spill_->seek(0);
        const QByteArray kept = spill_->readAll();
        spill_.reset();
        if (!kept.isEmpty()) results_.push_back(kept);
    }
    results_.push_back(result);
    anyResult_ = true;
}

std::vector<std::string> SarifLog::TakeWarnings() { return std::exchange(newOutside_, {}); }

// Where a result's file is, relative to the source root, as the text of an
// artifact location without its closing brace (worked out once per file);
// a file outside the root is warned of once.
const QByteArray& SarifLog::FileLocation(const std::string& path) {
    const auto known = locations_.find(path);
    if (known != locations_.end()) return known->second;
    const QString absolute =
        QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).absoluteFilePath();
    const QString relative = QDir(rootPath_).relativeFilePath(absolute);
    QByteArray location = R"({"uri":)";
    if (QDir::isAbsolutePath(relative)) {
        // No way from the root to it (another drive).
        AppendJsonString(location, QUrl::fromLocalFile(absolute).toString(QUrl::FullyEncoded));
    } else {
        QUrl url;
        url.setPath(relative);
        AppendJsonString(location, url.toString(QUrl::FullyEncoded));
        location += R"(,"uriBaseId":")";
        location += kRootId;
        location += '"';
    }
    if (relative.startsWith("../") || QDir::isAbsolutePath(relative)) {
        warnings_.push_back(QFile::encodeName(absolute).toStdString() +
                            " lies outside the source root " +
                            QFile::encodeName(rootPath_).toStdString() +
                            ": its URI climbs out of " + kRootId);
        newOutside_.push_back(warnings_.back());
    }
    return locations_.emplace(path, std::move(location)).first->second;
}

// The artifact location of a result: for a file with a fix, with the index
// of its artifact (which names its encoding).
QByteArray SarifLog::Location(const SarifResult& r) {
    QByteArray artifact = FileLocation(r.path);
    if (r.fix) {
        auto [it, added] = artifactIndex_.emplace(r.path, static_cast<int>(artifacts_.size()));
        if (added) {
            artifacts_.append(QJsonObject{
                {"location", QJsonDocument::fromJson(artifact + "}").object()},
                {"encoding", Encoding{r.fix->codePage}.Name()}});
        }
        artifact += R"(,"index":)" + QByteArray::number(it->second);
    }
    return artifact + "}";
}

// Written as text: a large project has tens of thousands of results, and
// building each as a JSON object costs more than working out its fix.
void SarifLog::Add(const SarifResult& r) {
    const QByteArray artifact = Location(r);
    const QString routine = VbText(r.routine, r.codePage);
    const QString level = Level(r.finding.severity);
    const QString message = SarifMessage(r.routine, r.codePage, r.finding);
    const QString fingerprint = RoutineFingerprint(r.module, r.routine, r.codePage, r.finding.rule->id);
    QByteArray out;
    out.reserve(1024);
    out += R"({"ruleId":)";
    AppendJsonString(out, Text(r.finding.rule->id));
    out += R"(,"ruleIndex":)" + QByteArray::number(RuleIndex(r.finding.rule));
    out += R"(,"level":)";
    AppendJsonString(out, level);
    out += R"(,"message":{"text":)";
    AppendJsonString(out, message);
    out += R"(},"partialFingerprints":{")";
    out += kRoutineFingerprint;
    out += R"(":)";
    AppendJsonString(out, fingerprint);
    out += R"(},"locations":[{"physicalLocation":{"artifactLocation":)" + artifact +
           R"(,"region":{"startLine":)" + QByteArray::number(static_cast<qint64>(r.line)) +
           R"(}},"logicalLocations":[{"name":)";
    AppendJsonString(out, routine);
    out += R"(,"fullyQualifiedName":)";
    AppendJsonString(out, VbText(r.module, r.codePage) + "." + routine);
    out += R"(,"kind":"function"}]}])";
    if (baseline_ != nullptr) {
        static constexpr const char* kStates[] = {"new", "unchanged", "updated"};
        out += R"(,"baselineState":")";
        out += kStates[static_cast<int>(baseline_->Match(fingerprint, level, message))];
        out += '"';
    }
    if (r.fix) {
        out += R"(,"fixes":[{"description":{"text":"Insert the standard error handler"},)"
               R"("artifactChanges":[{"artifactLocation":)" +
               artifact + R"(,"replacements":[)";
        bool first = true;
        for (const QJsonObject& replacement : SarifReplacements(*r.fix)) {
            if (!first) out += ',';
            out += QJsonDocument(replacement).toJson(QJsonDocument::Compact);
            first = false;
        }
        out += "]}]}]";
    }
    out += '}';
    Keep(out);
}

void SarifLog::Write(std::ostream& out) {
    auto compact = [](const auto& json) { return QJsonDocument(json).toJson(QJsonDocument::Compact); };
    QJsonObject driver{{"name", "qvaddin"},
                       {"fullName", "qvaddin " QVADDIN_VERSION " (error handling of VB6 code)"},
                       {"version", QVADDIN_VERSION},
                       {"semanticVersion", QVADDIN_VERSION},
                       {"rules", Rules(run_.projectAddress)}};
    if (!run_.projectAddress.empty()) {
        driver.insert("informationUri", QString::fromStdString(run_.projectAddress));
    }
    QJsonArray notifications;
    for (const std::string& failure : failures_) {
        notifications.append(
            QJsonObject{{"level", "error"}, {"message", Message(QString::fromStdString(failure))}});
    }
    for (const std::string& warning : warnings_) {
        notifications.append(QJsonObject{{"level", "warning"},
                                         {"message", Message(QString::fromStdString(warning))}});
    }
    QJsonObject invocation{{"executionSuccessful", failures_.empty()}};
    if (!notifications.isEmpty()) invocation.insert("toolExecutionNotifications", notifications);
    QString rootUri = QUrl::fromLocalFile(rootPath_).toString(QUrl::FullyEncoded);
    if (!rootUri.endsWith('/')) rootUri += '/';

    // The results go out one by one, as they are kept; the rest of the run
    // is small.
    out << R"({"$schema":")" << kSchema << R"(","version":"2.1.0","runs":[{"tool":)"
        << compact(QJsonObject{{"driver", driver}}).toStdString() << R"(,"automationDetails":)"
        << compact(QJsonObject{{"id", QString::fromStdString(run_.automationId)}}).toStdString()
        << R"(,"originalUriBaseIds":)"
        << compact(QJsonObject{{kRootId, QJsonObject{{"uri", rootUri}}}}).toStdString()
        << R"(,"invocations":)" << compact(QJsonArray{invocation}).toStdString();
    if (!artifacts_.isEmpty()) out << R"(,"artifacts":)" << compact(artifacts_).toStdString();
    out << R"(,"results":[)";
    if (spill_ && spill_->flush() && spill_->seek(0)) {
        while (!spill_->atEnd()) {
            const QByteArray part = spill_->read(1 << 20);
            if (part.isEmpty()) break;
            out.write(part.constData(), part.size());
        }
    }
    bool first = !anyResult_;
    for (size_t i = 0; i < results_.size(); ++i) {
        if (i > 0) out << ',';
        out.write(results_[i].constData(), results_[i].size());
    }
    if (baseline_ != nullptr) {
        for (const QJsonValue absent : baseline_->Absent()) {
            if (!first) out << ',';
            out << compact(absent.toObject()).toStdString();
            first = false;
        }
    }
    out << "]}]}\n";
}

}  // namespace qv::cli
