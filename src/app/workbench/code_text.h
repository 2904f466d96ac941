#pragma once
// Code is kept as the file's bytes in the project's code page; the editor
// shows Unicode. Windows-1252 maps every byte, so a line that is shown and
// not edited goes back as the same bytes.

#include <QString>
#include <string>
#include <string_view>

namespace qv::workbench {

QString DecodeCode(std::string_view bytes);
std::string EncodeCode(const QString& text);

}  // namespace qv::workbench
