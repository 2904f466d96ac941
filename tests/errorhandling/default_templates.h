#pragma once
// A settings record with the built-in templates, so that tests of the
// builders and of the status check start from what a fresh installation
// stores.

#include "settings/settings_record.h"

namespace qv::test {

class DefaultTemplates {
public:
    DefaultTemplates() {
        settings::SettingsRecord& s = record_;
        s.add0.clear();
        s.add1.clear();
        s.add2.clear();
        s.add2a = "mctxObject.SetComplete";
        s.add3 = "Debug.Assert False\r\nErrorlog \"%m.%r\"\r\nResume Exit_Routine";
        s.add4 =
            "Debug.Assert False\r\n"
            "Err.Raise Err.Number, \"%m.%r(\" & Erl & \"):\" & Err.Source, Err.Description";
        s.add5 = s.add3;
        s.add6 =
            "Debug.Assert False\r\nmctxObject.SetAbort\r\n"
            "Err.Raise Err.Number, \"%m.%r(\" & Erl & \"):\" & Err.Source, Err.Description";
        s.omit = "ErrorRestore\r\nErrorSave\r\nObjectControl_CanBePooled\r\nObjectControl_Deactivate";
        s.label1 = "Exit_Routine";
        s.label2 = "Error_Routine";
    }
    settings::SettingsRecord& Record() { return record_; }

private:
    settings::SettingsRecord record_;
};

}  // namespace qv::test
