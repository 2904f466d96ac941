#pragma once
// Engine text is bytes in the code page of the file it comes from; widgets
// want Unicode. Names and lines are read in their code page (every byte of
// a single-byte code page has a character, so nothing is lost on the way to
// the screen and back); our own messages and labels are UTF-8.

#include <QString>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace qv::ui {

QString VbQString(std::string_view bytes, text::CodePage page);
// The bytes of a name shown by VbQString, to find it again; a character
// the code page has no bytes for leaves the text as UTF-8 (no name has it).
std::string VbBytes(const QString& text, text::CodePage page);
// A message, title or label: UTF-8 (a stray byte of another code page is
// read as Windows-1252).
QString MessageQString(std::string_view text);

}  // namespace qv::ui
