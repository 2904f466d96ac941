#pragma once
// The settings record: one run's settings, loaded once (LoadSettings) and
// carried as a value to every engine. The fields of the section
// "ErrorHandling" are named by the registry key under which each is stored
// (settings_fields.h declares them); text fields may hold several lines
// separated by CR LF. modulemb is this tool's own: a bound on what a load
// reads. The last two come from elsewhere: the IDE's tab width from the
// IDE's store, the code page from the run (its option, else the store).

#include <string>

#include "host/host_constants.h"
#include "platform/code_page.h"
#include "settings/ide_tab_width.h"

namespace qv::settings {

struct SettingsRecord {
    short menu = 1;       // 1 = each command its own menu entry; 0 = grouped
    short select = 1;     // non-zero = Case lines one level deeper inside Select Case
    std::string insert;   // comment stamp text (%u user, %d date, %t date and time)
    long comment = 1;     // 0-3: how comment lines are indented
    std::string forms;    // which IDE window types Close Windows closes
    short header = 1;     // non-zero = module-wide commands re-lay procedure headers
    short ten = 0;        // non-zero = line numbers in steps of 10
    std::string add0;     // top of a routine, above the On Error line
    std::string add1;     // top of a routine, below the On Error line
    std::string add2;     // normal exit text
    std::string add2a;    // normal exit text in MTS components
    std::string add3;     // error text of top-level (event) routines
    std::string add4;     // error text of called routines
    std::string add5;     // error text of user controls
    std::string add6;     // error text of MTS components
    std::string omit;     // routines that never get error handling, one per line
    std::string label1;   // exit label
    std::string label2;   // error label
    // The largest module file read, in MB: a bigger one is refused unread.
    long modulemb = host::kDefaultLargestModuleMb;
    // The IDE's editor tab width.
    TabWidth tabWidth;
    // The code page the user's VB files are written in.
    text::CodePage codePage;
};

}  // namespace qv::settings
