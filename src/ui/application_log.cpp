#include "ui/application_log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace qv::ui {

QString DefaultLogPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/qvaddin.log");
}

bool AppendLogEntry(const QString& path, const QString& report) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return false;
    QString body = report;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QString entry = QStringLiteral("[%1] error\n%2\n\n")
                              .arg(QDateTime::currentDateTime().toString(Qt::ISODate), body);
    const QByteArray bytes = entry.toUtf8();
    return file.write(bytes) == bytes.size() && file.flush();
}

}  // namespace qv::ui
