#pragma once
// The client's settings: initializationOptions.settings, by the keys of the
// settings store ("label1", "add4", "ten", ...), override the stored values
// for the server's run and are never stored. A value the store would refuse
// (a label that is not VB, a number out of range) is refused here too.

#include <QJsonObject>
#include <QStringList>

#include "settings/settings_record.h"

namespace qv::lsp {

// Applies the overrides to the record; returns what was refused and why.
QStringList OverrideSettings(const QJsonObject& overrides, settings::SettingsRecord& record);

}  // namespace qv::lsp
