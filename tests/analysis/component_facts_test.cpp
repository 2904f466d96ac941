#include <gtest/gtest.h>

#include "analysis/routine_parsing.h"
#include "support/recording_services.h"
#include "support/vb_fixture.h"

namespace qv::analysis {
namespace {

TEST(ComponentFacts, ReadOnlyComesFromTheFiles) {
    test::RecordingServices services;
    test::VbFixture fx;
    auto& c = fx.Add("Module1", host::vbext_ct_StdModule, "");
    EXPECT_FALSE(IsReadOnly(c));
    c.SetFiles({"/p/a.bas", "  ", "/p/b.frx"});
    EXPECT_FALSE(IsReadOnly(c));
    services.readOnlyFiles.insert("/p/b.frx");
    EXPECT_TRUE(IsReadOnly(c));
    services.missingFiles.insert("/p/a.bas");
    EXPECT_FALSE(IsReadOnly(c)) << "an error ends the check with false";
}

TEST(ComponentFacts, InstancingAndTransactionModeDefaults) {
    test::VbFixture fx;
    auto& c = fx.Add("Class1", host::vbext_ct_ClassModule, "");
    EXPECT_EQ(GetInstancing(*c.Code()), 1);
    EXPECT_EQ(GetMTSTransactionMode(*c.Code()), 0);
    c.Props().Set("Instancing", "5");
    c.Props().Set("MTSTransactionMode", "2");
    EXPECT_EQ(GetInstancing(*c.Code()), 5);
    EXPECT_EQ(GetMTSTransactionMode(*c.Code()), 2);
    c.Props().Set("Instancing", "garbage");
    EXPECT_EQ(GetInstancing(*c.Code()), 1);
}

TEST(ComponentFacts, ControlsAndRowKinds) {
    test::VbFixture fx;
    auto& form = fx.Add("Form1", host::vbext_ct_VBForm, "");
    form.EnsureDesigner().Controls().Add("Command1");
    EXPECT_TRUE(HasControl(&form.Designer()->VBControls(), "Command1"));
    EXPECT_FALSE(HasControl(&form.Designer()->VBControls(), "Command2"));
    EXPECT_FALSE(HasControl(nullptr, "Command1"));
    EXPECT_EQ(ProcKind("Get"), 3);
    EXPECT_EQ(ProcKind("Let"), 1);
    EXPECT_EQ(ProcKind("Set"), 2);
    EXPECT_EQ(ProcKind(""), 0);
    EXPECT_EQ(ProcKind("get"), 0);
}

}  // namespace
}  // namespace qv::analysis
