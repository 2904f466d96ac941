#pragma once
// Code is kept as the file's bytes in its code page; the editor shows
// Unicode, one character for each byte, so that columns stay the host's and
// a line that is shown and not edited goes back as the same bytes. A
// single-byte code page (Windows-1252, 1250-1258, 874) is shown as its
// characters; a double-byte one and UTF-8, whose characters take several
// bytes, are shown byte by byte as Windows-1252.

#include <QString>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace qv::workbench {

QString DecodeCode(std::string_view bytes, text::CodePage page);
std::string EncodeCode(const QString& text, text::CodePage page);

}  // namespace qv::workbench
