// The IDE objects around the code: collections, properties, controls, windows
// and command bars with their Click events.

#include <gtest/gtest.h>

#include "platform/vb_error.h"
#include "support/vb_fixture.h"

namespace qv::host {
namespace {

TEST(Objects, CollectionsByIndexAndName) {
    test::VbFixture fx;
    auto& c = fx.Add("Class1", vbext_ct_ClassModule, "");
    c.Props().Set("Instancing", "5");
    auto& doc = fx.Project().AddComponent("Notes", vbext_ct_RelatedDocument);
    EXPECT_EQ(doc.CodeModule(), nullptr) << "a related document holds no code";
    VBComponents& components = fx.Project().VBComponents();
    EXPECT_EQ(components.Count(), 2);
    EXPECT_EQ(&components.Item("class1"), &c);
    EXPECT_EQ(&components.Item(2), &doc);
    EXPECT_THROW(components.Item("Missing"), VbError);
    EXPECT_EQ(c.Properties().Item("instancing").Value(), "5");
    EXPECT_THROW(c.Properties().Item("MTSTransactionMode"), VbError);
    EXPECT_EQ(&fx.Vbe().VBProjects().Item("PROJECT1"), &fx.Project());
}

TEST(Objects, ControlArraysAnswerByName) {
    test::VbFixture fx;
    auto& form = fx.Add("Form1", vbext_ct_VBForm, "");
    form.EnsureDesigner().Controls().Add("cmdAction");
    form.EnsureDesigner().Controls().Add("cmdAction");
    VBControls& controls = form.Designer()->VBControls();
    EXPECT_EQ(controls.Count(), 2);
    EXPECT_EQ(controls.Item("CMDACTION").Properties().Item("name").Value(), "cmdAction");
    EXPECT_THROW(controls.Item("cmdOther"), VbError);
}

TEST(Objects, CodeWindowsJoinTheWindowCollection) {
    test::VbFixture fx;
    auto& m = *fx.Add("Module1", vbext_ct_StdModule, "").Code();
    const long before = fx.Vbe().Windows().Count();
    m.CodePane().Show();
    EXPECT_EQ(fx.Vbe().ActiveCodePane(), &m.CodePane());
    EXPECT_TRUE(m.CodePane().Window().Visible());
    EXPECT_EQ(m.CodePane().Window().Type(), vbext_wt_CodeWindow);
    EXPECT_EQ(fx.Vbe().Windows().Count(), before);
    m.CodePane().Window().Close();
    EXPECT_FALSE(m.CodePane().Window().Visible());
    EXPECT_NE(fx.Vbe().MainWindow().Caption().find("[design]"), std::string::npos);
}

TEST(Objects, ReleasedCodeTakesItsWindowAlong) {
    test::VbFixture fx;
    auto& component = fx.Add("Module1", vbext_ct_StdModule, "Sub A()\r\nEnd Sub");
    const long before = fx.Vbe().Windows().Count();
    component.Code()->CodePane().Show();
    component.ReleaseCode();
    EXPECT_EQ(component.CodeModule(), nullptr) << "the component holds no code now";
    EXPECT_EQ(fx.Vbe().ActiveCodePane(), nullptr) << "no pane of the code is left active";
    EXPECT_EQ(fx.Vbe().Windows().Count(), before - 1);
    EXPECT_EQ(component.Name(), "Module1");
    component.ReleaseCode();  // once gone, nothing more to let go
}

TEST(Objects, CommandBarEventsLiveWhileHeld) {
    test::VbFixture fx;
    CommandBars& bars = fx.Vbe().CommandBars();
    EXPECT_EQ(bars.Item(2).Name(), "Standard");
    CommandBarControls& controls = bars.Item("Code Window").Controls();
    long anchor = 0;
    for (long i = 1; i <= controls.Count(); ++i) {
        if (controls.Item(i).Id() == 32805) anchor = i;
    }
    ASSERT_GT(anchor, 0);
    CommandBarControl& button = controls.Add(msoControlButton, 1, "code add", anchor + 1, true);
    button.SetCaption("Add &Error Handling");
    EXPECT_EQ(&controls.Item(anchor + 1), &button);
    int clicks = 0;
    auto events = fx.Vbe().Events().CommandBarEvents(controls.Item("Add &Error Handling"));
    events->OnClick([&](CommandBarControl& c, bool& handled, bool&) {
        EXPECT_EQ(c.Parameter(), "code add");
        handled = true;
        ++clicks;
    });
    button.Execute();
    EXPECT_EQ(clicks, 1);
    events.reset();
    button.Execute();
    EXPECT_EQ(clicks, 1) << "a released event source no longer reacts";
    const long count = controls.Count();
    button.Delete();
    EXPECT_EQ(controls.Count(), count - 1);
}

TEST(Objects, ProjectEventsReachObservers) {
    struct Recorder : ProjectsObserver {
        std::vector<std::string> seen;
        void ItemAdded(VBProject& p) override { seen.push_back("added " + p.Name()); }
        void ItemRemoved(VBProject& p) override { seen.push_back("removed " + p.Name()); }
        void ItemRenamed(VBProject& p, std::string_view old) override {
            seen.push_back("renamed " + std::string(old) + " " + p.Name());
        }
    } recorder;
    test::VbFixture fx;
    fx.Vbe().VBProjects().Subscribe(&recorder);
    auto& p = fx.Vbe().AddProject("Second");
    p.Rename("Third");
    fx.Vbe().Projects().Remove(p);
    fx.Vbe().VBProjects().Unsubscribe(&recorder);
    EXPECT_EQ(recorder.seen,
              (std::vector<std::string>{"added Second", "renamed Second Third", "removed Third"}));
}

}  // namespace
}  // namespace qv::host
