#pragma once
// Engine text is bytes in the project's code page; widgets want Unicode.
// Bytes that are valid UTF-8 stay as they are, others are read as
// Windows-1252 (which maps every byte, so nothing is lost on the way to the
// screen).

#include <QString>
#include <string_view>

namespace qv::ui {

QString VbQString(std::string_view bytes);

}  // namespace qv::ui
