// The process start: the add-in list file before and after registration,
// and the first start of a new account.

#include "shell/process_start.h"
#include "platform/vb_error.h"
#include "settings/config_home_fixture.h"
#include "settings/profile_file.h"
#include "settings/reg_settings.h"
#include "settings/settings_operations.h"
#include "settings/settings_record.h"

namespace qv::shell {
namespace {

class ProcessStartTest : public test::ConfigHomeTest {
  protected:
    std::string ListFile() const { return Home() + "/qvaddin-workbench/vbaddin.ini"; }
};

TEST_F(ProcessStartTest, RegistrationCreatesTheAddInList) {
    EXPECT_EQ(AddInListPath(), ListFile());
    const Registration done = RegisterAddIn();
    EXPECT_TRUE(done.fileWritten);
    EXPECT_FALSE(done.previousEntryRemoved);
    EXPECT_EQ(ReadFile(ListFile()), "[Add-Ins32]\nqvAddIn2vb5.Connect=1\n");
}

TEST_F(ProcessStartTest, RegistrationReplacesThePreviousGenerationAndKeepsEverythingElse) {
    WriteFile(ListFile(),
              "; add-ins of the IDE\r\n"
              "[Add-Ins32]\r\n"
              "Other.Connect=0\r\n"
              "qvAddIn2.ErrorHandle=1\r\n"
              "Third.Connect = 3\r\n"
              "\r\n"
              "[Later]\r\n"
              "qvAddIn2.ErrorHandle=kept\r\n");
    EXPECT_TRUE(RegistrationPreview().previousEntryRemoved);
    const Registration done = RegisterAddIn();
    EXPECT_TRUE(done.previousEntryRemoved);
    EXPECT_EQ(ReadFile(ListFile()),
              "; add-ins of the IDE\r\n"
              "[Add-Ins32]\r\n"
              "Other.Connect=0\r\n"
              "Third.Connect = 3\r\n"
              "qvAddIn2vb5.Connect=1\r\n"
              "\r\n"
              "[Later]\r\n"
              "qvAddIn2.ErrorHandle=kept\r\n");

    // Once registered, the file is not written again.
    EXPECT_FALSE(RegistrationPreview().fileWritten);
    EXPECT_FALSE(RegisterAddIn().fileWritten);
}

TEST_F(ProcessStartTest, NamesCompareWithoutRegardToCase) {
    WriteFile(ListFile(), "[add-ins32]\nQVADDIN2VB5.CONNECT=0\nqvaddin2vb5.connect=0\nX=1");
    RegisterAddIn();
    EXPECT_EQ(ReadFile(ListFile()), "[add-ins32]\nqvAddIn2vb5.Connect=1\nX=1");
}

TEST_F(ProcessStartTest, MissingSectionIsAddedAtTheEnd) {
    EXPECT_EQ(settings::WriteProfileKey("[Other]\nA=1", "Add-Ins32", "K", "1"),
              "[Other]\nA=1\n[Add-Ins32]\nK=1\n");
    EXPECT_EQ(settings::WriteProfileKey("[Add-Ins32]\nA=1", "Add-Ins32", "K", "1"),
              "[Add-Ins32]\nA=1\nK=1\n");
    EXPECT_EQ(settings::DeleteProfileKey("[Other]\nK=1\n", "Add-Ins32", "K"), "[Other]\nK=1\n");
}

TEST_F(ProcessStartTest, FirstStartRegistersStoresTheDefaultsAndTheVersion) {
    SubMain();
    EXPECT_EQ(settings::SystemStore().FilePath(), SystemStoreLocation());
    EXPECT_TRUE(ReadFile(ListFile()).has_value());
    const settings::CRegSettings& store = settings::SystemStore();
    EXPECT_EQ(store.GetSetting("Version", "", ""), QV_PROJECT_VERSION);
    EXPECT_EQ(store.GetSetting("ErrorHandling", "label1", ""), "Exit_Routine");
    EXPECT_EQ(settings::LoadSettings().label2, "Error_Routine");
}

// Load on Startup turned off in the add-in manager writes "0"; the next start
// of the workbench runs the process start again and must leave it so. Only
// the explicit registration (the command line's "register") turns it on.
TEST_F(ProcessStartTest, StartKeepsLoadOnStartupTurnedOff) {
    WriteFile(ListFile(), "[Add-Ins32]\r\nqvAddIn2.ErrorHandle=1\r\nqvAddIn2vb5.Connect = 0\r\n");
    SubMain();
    EXPECT_EQ(ReadFile(ListFile()), "[Add-Ins32]\r\nqvAddIn2vb5.Connect=0\r\n");
    EXPECT_FALSE(RegisterAddInAtStart().fileWritten);

    // Any other value is not a choice the manager writes: the start sets "1".
    WriteFile(ListFile(), "[Add-Ins32]\nqvAddIn2vb5.Connect=\n");
    SubMain();
    EXPECT_EQ(ReadFile(ListFile()), "[Add-Ins32]\nqvAddIn2vb5.Connect=1\n");

    WriteFile(ListFile(), "[Add-Ins32]\nqvAddIn2vb5.Connect=0\n");
    EXPECT_TRUE(RegisterAddIn().fileWritten);
    EXPECT_EQ(ReadFile(ListFile()), "[Add-Ins32]\nqvAddIn2vb5.Connect=1\n");
}

TEST_F(ProcessStartTest, ProfileKeyIsReadAsItIsWritten) {
    const std::string ini = "[Other]\nK=other\n[ add-ins32 ]\n;K=comment\n k = 0 \nK=later\n";
    EXPECT_EQ(settings::ReadProfileKey(ini, "Add-Ins32", "K"), "0");
    EXPECT_EQ(settings::ReadProfileKey(ini, "Add-Ins32", "Missing"), std::nullopt);
    EXPECT_EQ(settings::ReadProfileKey(ini, "Nowhere", "K"), std::nullopt);
}

TEST_F(ProcessStartTest, CommandLineStartDoesNotRegister) {
    CommandLineStart();
    EXPECT_FALSE(ReadFile(ListFile()).has_value());
    EXPECT_EQ(settings::SystemStore().GetSetting("Version", "", ""), QV_PROJECT_VERSION);
}

TEST_F(ProcessStartTest, UnusableConfigurationFolderFailsNoStep) {
    WriteFile(Home() + "/qvaddin-workbench", "not a folder");
    WriteFile(Home() + "/Brell Vantoke", "not a folder");
    EXPECT_NO_THROW(SubMain());
    EXPECT_THROW(RegisterAddIn(), VbError);
    try {
        RegisterAddIn();
    } catch (const VbError& e) {
        EXPECT_NE(e.Description().find("qvaddin-workbench"), std::string::npos);
    }
}

}  // namespace
}  // namespace qv::shell
