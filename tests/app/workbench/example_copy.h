#pragma once
// The bundled example project copied into a folder, each file writable by
// its owner only (as a user's checkout is), for the workbench tests.

#include <QFile>
#include <QString>

inline void CopyExample(const QString& folder) {
    for (const char* name : {"Example.vbp", "modMain.bas", "CAccount.cls", "frmMain.frm"}) {
        QFile::copy(QString(QV_EXAMPLES) + "/" + name, folder + "/" + name);
        QFile(folder + "/" + name).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
}
