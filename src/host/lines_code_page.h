#pragma once
// The code page a module's lines and names are read in during one run: the
// run's, which the run carries in its settings, unless the file is written
// in UTF-8. Such a file is read as UTF-8 whatever the run says (the loader
// gives its component that code page of its own), and that stays a fact of
// the file that no run's value overrides.

#include "host/code_host.h"
#include "platform/code_page.h"

namespace qv::host {

inline text::CodePage LinesCodePage(text::CodePage own, text::CodePage run) {
    return own.IsUtf8() ? own : run;
}

inline text::CodePage LinesCodePage(const CodeModule& module, text::CodePage run) {
    return LinesCodePage(module.TextCodePage(), run);
}

inline text::CodePage LinesCodePage(const VBProject& project, text::CodePage run) {
    return LinesCodePage(project.TextCodePage(), run);
}

}  // namespace qv::host
