#pragma once
// What the tests of inserting and removing handlers share: the built-in
// templates and the tidy settings at their company defaults, a private
// settings folder (the IDE's tab width is read from it), recorded services,
// and small helpers that run the engines on a module of the fixture.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errorhandling/error_status.h"
#include "analysis/routine_parsing.h"
#include "errorhandling/default_templates.h"
#include "errorhandling/insertion.h"
#include "errorhandling/removal.h"
#include "settings/settings_record.h"
#include "support/recording_services.h"
#include "support/settings_home.h"
#include "support/vb_fixture.h"

namespace qv::errorhandling::test {

using Lines = std::vector<std::string>;
using qv::test::Vb;

class HandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings::SettingsRecord& s = Settings();
        s.select = 1;
        s.comment = 1;
        s.header = 1;
        s.ten = 0;
    }
    // The run's settings the tests hand to the engines.
    settings::SettingsRecord& Settings() { return defaults.Record(); }

    host::Member& MemberOf(std::string_view module, std::string_view name) {
        return fx.Module(module).Members().Item(name);
    }
    // Inserts the handler; returns the refusal ("" when it was inserted).
    std::string Insert(std::string_view module, std::string_view name, int kind = 0) {
        std::string message;
        const bool inserted =
            AddRoutineErrorHandling(MemberOf(module, name), kind, Settings(), message);
        EXPECT_EQ(inserted, message.empty()) << message;
        return message;
    }
    void Remove(std::string_view module, std::string_view name, int kind = 0) {
        RemoveOld(MemberOf(module, name), kind, Settings());
    }
    // "TOP / EXIT" as the status words.
    std::string StatusOf(std::string_view module, std::string_view name, int kind = 0) {
        host::CodeModule& code = fx.Module(module);
        std::string fullText;
        const std::string body = analysis::RemoveComments(code, name, kind, fullText);
        const analysis::StatusPair s =
            analysis::GetRoutineStatus(code, name, kind, body, Settings());
        return analysis::StatusString(s.top) + " / " + analysis::StatusString(s.exit);
    }

    qv::test::RecordingServices services;
    qv::test::DefaultTemplates defaults;
    qv::test::VbFixture fx;

private:
    qv::test::SettingsHome settingsHome_;
};

}  // namespace qv::errorhandling::test
