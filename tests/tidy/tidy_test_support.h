#pragma once
// What the tidy tests share: the settings at their company defaults, a
// private settings folder (the IDE's tab width is read from it), recorded
// services with a fixed date, and a module-wide tidy as the commands run it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/routine_parsing.h"
#include "settings/config_home_fixture.h"
#include "settings/settings_record.h"
#include "support/recording_services.h"
#include "support/vb_fixture.h"
#include "tidy/tidy_routine.h"

namespace qv::tidy::test {

using Lines = std::vector<std::string>;

class DatedServices : public qv::test::RecordingServices {
public:
    std::string FormatGeneralDate(std::time_t, bool withTime) override {
        return withTime ? "02/01/2024 10:30:00" : "02/01/2024";
    }
};

class TidyTest : public qv::test::ConfigHomeTest {
protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        auto& s = settings_;
        s.select = 1;
        s.comment = 1;
        s.header = 1;
        s.ten = 0;
        s.insert = "' %d %u:";
        s.label1 = "Exit_Routine";
        s.label2 = "Error_Routine";
    }
    // The module-wide tidy: the declarations, then every routine with its header.
    void TidyModule(std::string_view name) {
        analysis::RoutineList routines;
        analysis::GetRoutineNames(fx.Vbe(), fx.Project().Name(), name, routines, false);
        host::CodeModule& module = fx.Module(name);
        for (const analysis::RoutineEntry& r : routines) {
            if (r.name == analysis::kDeclarationsName) {
                Tidy_Declarations(module, Settings());
            } else {
                Tidy_Routine(module.Members().Item(r.name), r.kind, true, Settings());
            }
        }
    }

    // The run's settings the tests hand to the engines.
    settings::SettingsRecord& Settings() { return settings_; }

    settings::SettingsRecord settings_;
    DatedServices services;
    qv::test::VbFixture fx;
};

}  // namespace qv::tidy::test
