// The connection, its buttons and the hot keys: where the buttons stand in
// both arrangements, that a disconnection takes every one of them off
// again, which clicks and hot keys reach which IDE, and when the hot keys
// are registered.

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "host/memory/memory_vbe.h"
#include "settings/config_home_fixture.h"
#include "settings/settings_record.h"
#include "shell/add_in_ui.h"
#include "shell/connection.h"
#include "shell/hot_keys.h"
#include "support/recording_services.h"
#include "support/vb_fixture.h"

namespace qv::shell {
namespace {

using qv::test::Vb;

class RecordingHotKeys : public HotKeyPlatform {
public:
    void Register(int id, int modifiers, int keyCode) override {
        registered[id] = {modifiers, keyCode};
        ++registrations;
    }
    void Unregister(int id) override { registered.erase(id); }
    std::string ForegroundInstanceKey() override { return foreground; }

    std::map<int, std::pair<int, int>> registered;
    int registrations = 0;
    std::string foreground;
};

class AddIn : public host::AddInInstance {
public:
    std::string ProgId() const override { return "qvAddIn2vb5.Connect"; }
};

// Captions of a bar's controls, in order; a pop-up as "caption[...]".
std::vector<std::string> Captions(host::CommandBarControls& controls) {
    std::vector<std::string> result;
    for (long i = 1; i <= controls.Count(); ++i) {
        host::CommandBarControl& c = controls.Item(i);
        std::string text = c.Caption();
        if (c.Controls() != nullptr) text += "[" + std::to_string(c.Controls()->Count()) + "]";
        result.push_back(text);
    }
    return result;
}

class ConnectionTest : public test::ConfigHomeTest {
protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        SetHotKeyPlatform(&hotKeys);
    }
    void TearDown() override {
        SetHotKeyPlatform(nullptr);
        ConfigHomeTest::TearDown();
    }
    void UseMenuSetting(std::string_view value) {
        ASSERT_TRUE(settings::SystemStore().SaveSetting("ErrorHandling", "menu", value));
    }
    std::vector<std::string> Bar(host::VBE& vbe, std::string_view name) {
        return Captions(vbe.CommandBars().Item(name).Controls());
    }

    RecordingHotKeys hotKeys;
    test::RecordingServices services;
    AddIn addIn;
};

TEST_F(ConnectionTest, IndividualButtonsStandRightAfterTheirAnchors) {
    UseMenuSetting("1");
    test::VbFixture fx;
    Connect connection;
    connection.OnConnection(fx.Vbe(), host::ext_cm_AfterStartup, addIn);
    EXPECT_EQ(Bar(fx.Vbe(), "Code Window"),
              (std::vector<std::string>{"Cu&t", "&Toggle", "Add &Error Handling  (Ctrl+Shift+E)",
                                        "Add &Line Numbers  (Ctrl+Shift+L)",
                                        "&Tidy Procedure  (Ctrl+Shift+T)",
                                        "Close &Windows  (Ctrl+Shift+W)",
                                        "&Comment  (Ctrl+Shift+C)", "&Definition"}));
    // "Standard": only the verbs whose windows exist (no main window here).
    EXPECT_EQ(Bar(fx.Vbe(), "Standard"),
              (std::vector<std::string>{"Add Standard EXE Project", "Save Project",
                                        "Object Browser", "Close &Windows", "Toolbox"}));
    EXPECT_EQ(Bar(fx.Vbe(), "Project Window Project"),
              (std::vector<std::string>{"View &Code", "&Properties", "Close &Windows",
                                        "Add &Error Handling to Project",
                                        "Add &Line Numbers to Project",
                                        "&Tidy Procedures in Project"}));
    EXPECT_EQ(Bar(fx.Vbe(), "Project Window Form Folder").size(), 6u);
    EXPECT_EQ(Bar(fx.Vbe(), "Project Window Module/Class Folder").size(), 6u);
}

TEST_F(ConnectionTest, GroupedButtonsGoIntoOnePopupPerBar) {
    UseMenuSetting("0");
    test::VbFixture fx;
    Connect connection;
    connection.OnConnection(fx.Vbe(), host::ext_cm_AfterStartup, addIn);
    EXPECT_EQ(Bar(fx.Vbe(), "Code Window"),
              (std::vector<std::string>{"Cu&t", "&Toggle", "&DA Zarav[5]", "&Definition"}));
    // The menu bar has no anchor: its pop-up goes at the end.
    EXPECT_EQ(Captions(fx.Vbe().CommandBars().Item(1).Controls()).back(), "&DA Zarav[1]");
    EXPECT_EQ(Bar(fx.Vbe(), "Standard").size(), 4u);
}

TEST_F(ConnectionTest, DisconnectingRemovesEveryButtonAndReconnectingAddsThemOnce) {
    for (const char* menu : {"1", "0"}) {
        UseMenuSetting(menu);
        test::VbFixture fx;
        std::map<std::string, std::vector<std::string>> before;
        for (long i = 1; i <= fx.Vbe().CommandBars().Count(); ++i) {
            auto& bar = fx.Vbe().CommandBars().Item(i);
            before[bar.Name()] = Captions(bar.Controls());
        }
        std::map<std::string, std::vector<std::string>> connected;
        for (int round = 0; round < 2; ++round) {
            Connect connection;
            connection.OnConnection(fx.Vbe(), host::ext_cm_AfterStartup, addIn);
            for (long i = 1; i <= fx.Vbe().CommandBars().Count(); ++i) {
                auto& bar = fx.Vbe().CommandBars().Item(i);
                if (round == 0) connected[bar.Name()] = Captions(bar.Controls());
                EXPECT_EQ(Captions(bar.Controls()), connected[bar.Name()]) << menu << bar.Name();
            }
            connection.OnDisconnection(0);
            for (long i = 1; i <= fx.Vbe().CommandBars().Count(); ++i) {
                auto& bar = fx.Vbe().CommandBars().Item(i);
                EXPECT_EQ(Captions(bar.Controls()), before[bar.Name()]) << menu << bar.Name();
            }
        }
    }
}

TEST_F(ConnectionTest, ButtonsPutAwayByTheSettingTheyWereAddedWith) {
    UseMenuSetting("1");
    test::VbFixture fx;
    const size_t plain = Bar(fx.Vbe(), "Code Window").size();
    Connect connection;
    connection.OnConnection(fx.Vbe(), host::ext_cm_AfterStartup, addIn);
    UseMenuSetting("0");
    connection.OnDisconnection(0);
    EXPECT_EQ(Bar(fx.Vbe(), "Code Window").size(), plain);
}

TEST_F(ConnectionTest, ClickRunsTheButtonsVerbOnTheActivePane) {
    test::VbFixture fx;
    auto& module = fx.Add("modA", host::vbext_ct_StdModule,
                          Vb({"Option Explicit", "", "Sub Go()", "    x = 1", "End Sub"}));
    fx.Vbe().SetActiveCodePane(&module.Code()->CodePane());
    module.Code()->CodePane().SetSelection(4, 1, 4, 1);
    Connect connection;
    connection.OnConnection(fx.Vbe(), host::ext_cm_AfterStartup, addIn);
    fx.Vbe().CommandBars().Item("Code Window").Controls().Item(3).Execute();
    EXPECT_NE(fx.Text("modA").find("On Error GoTo"), std::string::npos);
    connection.OnDisconnection(0);
}

TEST_F(ConnectionTest, ReadOnlyModuleRefusedByModuleButton) {
    test::VbFixture fx;
    auto& module = fx.Add("modA", host::vbext_ct_StdModule, Vb({"Sub Go()", "x = 1", "End Sub"}));
    module.AddFile("/ro/modA.bas");
    services.readOnlyFiles.insert("/ro/modA.bas");
    fx.Vbe().SetSelectedComponent(&module);
    Connect connection;
    connection.OnConnection(fx.Vbe(), host::ext_cm_AfterStartup, addIn);
    const std::string before = fx.Text("modA");
    auto& bar = fx.Vbe().CommandBars().Item("Project Window Module/Class Folder").Controls();
    bar.Item("Add &Line Numbers to Module").Execute();
    EXPECT_EQ(fx.Text("modA"), before);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].prompt, "A read-only module cannot be updated.");
    connection.OnDisconnection(0);
}

TEST_F(ConnectionTest, CodeCommandWithoutCodeWindowDoesNothing) {
    test::VbFixture fx;
    Connect connection;
    connection.OnConnection(fx.Vbe(), host::ext_cm_AfterStartup, addIn);
    // The command has no routine to work on: no error report, no message.
    fx.Vbe().CommandBars().Item("Code Window").Controls().Item(3).Execute();
    EXPECT_TRUE(services.log.empty());
    EXPECT_TRUE(services.messages.empty());
    connection.OnDisconnection(0);
}

TEST_F(ConnectionTest, HotKeysRegisteredByFirstConnectionKeptUntilLast) {
    test::VbFixture first, second;
    auto one = std::make_unique<Connect>();
    one->OnConnection(first.Vbe(), host::ext_cm_AfterStartup, addIn);
    EXPECT_EQ(hotKeys.registrations, 6);
    EXPECT_EQ(hotKeys.registered.at(1), std::make_pair(6, 69));  // Ctrl+Shift, "E"
    Connect two;
    two.OnConnection(second.Vbe(), host::ext_cm_AfterStartup, addIn);
    EXPECT_EQ(hotKeys.registrations, 6);
    EXPECT_EQ(InstanceCount(), 2);
    one->OnDisconnection(0);
    one.reset();
    EXPECT_EQ(hotKeys.registered.size(), 6u);
    EXPECT_EQ(FindInstance(InstanceKey(second.Vbe())), &two);
    two.OnDisconnection(0);
    EXPECT_TRUE(hotKeys.registered.empty());
    EXPECT_EQ(InstanceCount(), 0);
}

TEST_F(ConnectionTest, StartupConnectionCountsOnceStartupIsComplete) {
    test::VbFixture fx;
    Connect connection;
    connection.OnConnection(fx.Vbe(), host::ext_cm_Startup, addIn);
    EXPECT_EQ(FindInstance(InstanceKey(fx.Vbe())), nullptr);
    connection.OnStartupComplete();
    EXPECT_EQ(FindInstance(InstanceKey(fx.Vbe())), &connection);
    connection.OnDisconnection(0);
}

TEST_F(ConnectionTest, ExternalConnectionAddsNothing) {
    test::VbFixture fx;
    const size_t plain = Bar(fx.Vbe(), "Code Window").size();
    Connect connection;
    connection.OnConnection(fx.Vbe(), host::ext_cm_External, addIn);
    EXPECT_EQ(Bar(fx.Vbe(), "Code Window").size(), plain);
    EXPECT_EQ(InstanceCount(), 0);
    EXPECT_EQ(hotKeys.registrations, 0);
    connection.OnDisconnection(0);
}

class HotKeyRouting : public ConnectionTest {
protected:
    void SetUp() override {
        ConnectionTest::SetUp();
        for (test::VbFixture* fx : {&front, &back}) {
            auto& m = fx->Add("modA", host::vbext_ct_StdModule,
                              Vb({"Sub Go()", "    x = 1", "End Sub"}));
            fx->Vbe().SetActiveCodePane(&m.Code()->CodePane());
            m.Code()->CodePane().SetSelection(2, 1, 2, 1);
        }
        frontConnection.OnConnection(front.Vbe(), host::ext_cm_AfterStartup, addIn);
        backConnection.OnConnection(back.Vbe(), host::ext_cm_AfterStartup, addIn);
    }
    void TearDown() override {
        frontConnection.OnDisconnection(0);
        backConnection.OnDisconnection(0);
        ConnectionTest::TearDown();
    }
    static bool HasHandler(test::VbFixture& fx) {
        return fx.Text("modA").find("On Error GoTo") != std::string::npos;
    }

    test::VbFixture front, back;
    Connect frontConnection, backConnection;
};

TEST_F(HotKeyRouting, ActsOnTheIdeInFrontOnly) {
    hotKeys.foreground = InstanceKey(front.Vbe());
    DoKey(1);
    EXPECT_TRUE(HasHandler(front));
    EXPECT_FALSE(HasHandler(back));
}

TEST_F(HotKeyRouting, DoesNothingOutsideDesignModeOrForOtherPrograms) {
    front.Vbe().Main().SetCaption("Project1 - Microsoft Visual Basic [run]");
    hotKeys.foreground = InstanceKey(front.Vbe());
    DoKey(1);
    hotKeys.foreground = "";
    DoKey(1);
    EXPECT_FALSE(HasHandler(front));
    EXPECT_FALSE(HasHandler(back));
}

TEST_F(HotKeyRouting, CloseWindowsNeedsNoCodePane) {
    front.Vbe().SetActiveCodePane(nullptr);
    // The default forms setting flags the properties window.
    hotKeys.foreground = InstanceKey(front.Vbe());
    long visible = 0;
    for (long i = 1; i <= front.Vbe().Windows().Count(); ++i) {
        visible += front.Vbe().Windows().Item(i).Visible() ? 1 : 0;
    }
    DoKey(5);
    long after = 0;
    for (long i = 1; i <= front.Vbe().Windows().Count(); ++i) {
        after += front.Vbe().Windows().Item(i).Visible() ? 1 : 0;
    }
    EXPECT_LT(after, visible);
}

}  // namespace
}  // namespace qv::shell
