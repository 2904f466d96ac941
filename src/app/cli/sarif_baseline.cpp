#include "app/cli/sarif_baseline.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

#include "app/cli/command.h"
#include "app/cli/vb_text.h"

namespace qv::cli {

namespace {

[[noreturn]] void Refuse(const std::string& path, const std::string& why) {
    throw CliError(kExitBadInput, "cannot use " + path + " as a baseline: " + why);
}

QString FingerprintOf(const QJsonObject& result) {
    return result["partialFingerprints"].toObject()[kRoutineFingerprint].toString();
}

}  // namespace

QString RoutineFingerprint(const std::string& module, const std::string& routine,
                           text::CodePage page, std::string_view ruleId) {
    const QString key = (VbText(module, page) + "." + VbText(routine, page) + "/" +
                         QString::fromUtf8(ruleId.data(), static_cast<qsizetype>(ruleId.size())))
                            .toLower();
    return QString::fromLatin1(
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(32));
}

SarifBaseline SarifBaseline::Read(const std::string& path) {
    QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::ReadOnly)) Refuse(path, file.errorString().toStdString());
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError) {
        Refuse(path, "not JSON (" + error.errorString().toStdString() + " at byte " +
                         std::to_string(error.offset) + ")");
    }
    if (!document.isObject()) Refuse(path, "not a SARIF log");
    return FromLog(document.object(), path);
}

SarifBaseline SarifBaseline::FromLog(const QJsonObject& log, const std::string& path) {
    if (log["version"].toString() != "2.1.0" || !log["runs"].isArray()) {
        Refuse(path, "not a SARIF 2.1.0 log");
    }
    SarifBaseline baseline;
    for (const QJsonValue run : log["runs"].toArray()) {
        if (!run["results"].isArray()) Refuse(path, "a run without results");
        for (const QJsonValue value : run["results"].toArray()) {
            const QJsonObject result = value.toObject();
            // Gone already then: nothing to match now.
            if (result["baselineState"].toString() == "absent") continue;
            const QString fingerprint = FingerprintOf(result);
            if (fingerprint.isEmpty()) {
                Refuse(path, std::string("a result without the fingerprint ") +
                                 kRoutineFingerprint +
                                 " (make the baseline with 'qvaddin check --format sarif')");
            }
            baseline.byFingerprint_.emplace(fingerprint, Earlier{result, false});
        }
    }
    return baseline;
}

BaselineState SarifBaseline::Match(const QString& fingerprint, const QString& level,
                                   const QString& message) {
    const auto [first, last] = byFingerprint_.equal_range(fingerprint);
    // The same finding first, then any of the fingerprint.
    for (bool same : {true, false}) {
        for (auto it = first; it != last; ++it) {
            Earlier& earlier = it->second;
            if (earlier.matched) continue;
            const bool unchanged = earlier.result["level"].toString("warning") == level &&
                                   earlier.result["message"].toObject()["text"].toString() == message;
            if (same && !unchanged) continue;
            earlier.matched = true;
            ++(unchanged ? counts_.unchanged : counts_.updated);
            return unchanged ? BaselineState::Unchanged : BaselineState::Updated;
        }
    }
    ++counts_.added;
    return BaselineState::New;
}

BaselineCounts SarifBaseline::Counts() const {
    BaselineCounts counts = counts_;
    for (const auto& [fingerprint, earlier] : byFingerprint_) counts.absent += !earlier.matched;
    return counts;
}

QJsonArray SarifBaseline::Absent() const {
    QJsonArray absent;
    for (const auto& [fingerprint, earlier] : byFingerprint_) {
        if (earlier.matched) continue;
        QJsonObject result = earlier.result;
        result.remove("fixes");
        QJsonArray locations = result["locations"].toArray();
        for (auto location = locations.begin(); location != locations.end(); ++location) {
            QJsonObject object = location->toObject();
            QJsonObject physical = object["physicalLocation"].toObject();
            QJsonObject artifact = physical["artifactLocation"].toObject();
            artifact.remove("index");
            physical["artifactLocation"] = artifact;
            object["physicalLocation"] = physical;
            *location = object;
        }
        if (!locations.isEmpty()) result["locations"] = locations;
        result["baselineState"] = "absent";
        absent.append(result);
    }
    return absent;
}

}  // namespace qv::cli
