#pragma once
// The texts of the pages "&Information" and "Example Error&Log".

#include <QString>

namespace qv::mainwindow {

// The help text (HTML) with the hot keys of the string table in use.
QString HelpText();

// A VB module to copy into a project: saving and restoring the error
// object, an error log routine, a test for the development environment and
// a string replace routine.
QString ExampleErrorLogCode();

// The contact labels: caption and what the shell opens (tag + caption).
struct ContactLabel {
    QString caption;
    QString tag;
};
const QList<ContactLabel>& ContactLabels();

}  // namespace qv::mainwindow
