#include "app/cli/sarif_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QUrl>
#include <map>

#include "app/cli/vb_text.h"
#include "host/files/text_lines.h"
#include "host/files/line_diff.h"

#ifndef QVADDIN_INFORMATION_URI
#define QVADDIN_INFORMATION_URI ""
#endif

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

QJsonArray Rules() {
    QJsonArray rules;
    for (const analysis::StatusRule& rule : analysis::StatusRules()) {
        const QString word = QString::fromStdString(analysis::StatusString(rule.status));
        const QString meaning = Text(rule.meaning);
        rules.append(QJsonObject{
            {"id", Text(rule.id)},
            {"name", Text(rule.name)},
            {"shortDescription", Message("Error handling " + word)},
            {"fullDescription", Message(word + ": " + meaning + ".")},
            {"help", Message("The routine's error handling is judged " + word + ": " + meaning +
                             ". 'qvaddin add --routine NAME' inserts the standard handler into a "
                             "routine that has none; 'qvaddin replace' renews one that differs.")},
            {"defaultConfiguration", QJsonObject{{"level", Level(rule.defaultSeverity)}}}});
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

QJsonObject SarifLog::Json() const {
    const QDir root(QFile::decodeName(QByteArray::fromStdString(sourceRoot_)));
    // The code page of each file with a fix, which its inserted texts are in.
    std::map<std::string, Encoding> encodings;
    for (const SarifResult& r : results_) {
        if (r.fix) encodings.emplace(r.path, Encoding{r.fix->codePage});
    }
    // Artifacts once each, in the order their results come.
    std::map<std::string, int> artifactIndex;
    QJsonArray artifacts;
    auto location = [&](const SarifResult& r) {
        const QString absolute =
            QFileInfo(QFile::decodeName(QByteArray::fromStdString(r.path))).absoluteFilePath();
        const QString relative = root.relativeFilePath(absolute);
        QJsonObject artifact;
        if (relative.startsWith("../") || relative == ".." || QDir::isAbsolutePath(relative)) {
            artifact.insert("uri", QUrl::fromLocalFile(absolute).toString(QUrl::FullyEncoded));
        } else {
            QUrl url;
            url.setPath(relative);
            artifact.insert("uri", url.toString(QUrl::FullyEncoded));
            artifact.insert("uriBaseId", kRootId);
        }
        auto [it, added] = artifactIndex.emplace(r.path, static_cast<int>(artifacts.size()));
        if (added) {
            QJsonObject entry{{"location", artifact}};
            if (const auto e = encodings.find(r.path); e != encodings.end()) {
                entry.insert("encoding", e->second.Name());
            }
            artifacts.append(entry);
        }
        artifact.insert("index", it->second);
        return artifact;
    };

    QJsonArray results;
    for (const SarifResult& r : results_) {
        const QJsonObject artifact = location(r);
        const QString routine = VbText(r.routine, r.codePage);
        QJsonObject result{
            {"ruleId", Text(r.finding.rule->id)},
            {"ruleIndex", RuleIndex(r.finding.rule)},
            {"level", Level(r.finding.severity)},
            {"message", Message("Routine " + routine + ": " + Text(r.finding.message))},
            {"locations",
             QJsonArray{QJsonObject{
                 {"physicalLocation",
                  QJsonObject{{"artifactLocation", artifact},
                              {"region", QJsonObject{{"startLine", static_cast<qint64>(r.line)}}}}},
                 {"logicalLocations",
                  QJsonArray{QJsonObject{{"name", routine},
                                         {"fullyQualifiedName", VbText(r.module, r.codePage) + "." + routine},
                                         {"kind", "function"}}}}}}}};
        if (r.fix) {
            QJsonArray replacements;
            for (QJsonObject& replacement : SarifReplacements(*r.fix)) replacements.append(replacement);
            QJsonObject change{{"artifactLocation", artifact}, {"replacements", replacements}};
            result.insert("fixes",
                          QJsonArray{QJsonObject{
                              {"description", Message("Insert the standard error handler")},
                              {"artifactChanges", QJsonArray{change}}}});
        }
        results.append(result);
    }

    QJsonObject driver{{"name", "qvaddin"},
                       {"version", QVADDIN_VERSION},
                       {"semanticVersion", QVADDIN_VERSION},
                       {"rules", Rules()}};
    if (std::string_view(QVADDIN_INFORMATION_URI).size() > 0) {
        driver.insert("informationUri", QVADDIN_INFORMATION_URI);
    }
    QJsonArray notifications;
    for (const std::string& failure : failures_) {
        notifications.append(
            QJsonObject{{"level", "error"}, {"message", Message(QString::fromStdString(failure))}});
    }
    QJsonObject invocation{{"executionSuccessful", failures_.empty()}};
    if (!failures_.empty()) invocation.insert("toolExecutionNotifications", notifications);
    QString rootUri = QUrl::fromLocalFile(root.absolutePath()).toString(QUrl::FullyEncoded);
    if (!rootUri.endsWith('/')) rootUri += '/';
    const QJsonObject run{
        {"tool", QJsonObject{{"driver", driver}}},
        {"originalUriBaseIds", QJsonObject{{kRootId, QJsonObject{{"uri", rootUri}}}}},
        {"artifacts", artifacts},
        {"invocations", QJsonArray{invocation}},
        {"results", results}};
    return QJsonObject{{"$schema", kSchema}, {"version", "2.1.0"}, {"runs", QJsonArray{run}}};
}

}  // namespace qv::cli
