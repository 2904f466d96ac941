// The find window shows the same hits as `qvaddin find` with the same options,
// on the example project and on a generated group of projects.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>

#include "findwindow/find_tree_text.h"
#include "findwindow/find_window.h"
#include "window_support/window_test_support.h"

namespace qv::findwindow {
namespace {

using test::LoadedHost;
using test::RunQvaddin;

struct Search {
    std::string text;
    std::vector<std::string> options;  // as the command line takes them
};

// Clicks on a box or option that does not yet show the state.
void ClickTo(QAbstractButton& box, bool checked) {
    if (box.isChecked() != checked)
        QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(4, box.height() / 2));
}

// The window's boxes clicked as the command-line options say, the text
// typed, Enter.
std::string WindowTree(host::VBE& vbe, const Search& search) {
    FindWindow window;
    window.SetVBInstance(&vbe);
    window.show();
    auto has = [&](const std::string& option) {
        return std::find(search.options.begin(), search.options.end(), option) !=
               search.options.end();
    };
    ClickTo(window.WholeWordBox(), has("--whole-word"));
    ClickTo(window.MatchCaseBox(), has("--match-case"));
    ClickTo(window.PatternBox(), has("--pattern"));
    ClickTo(window.FirstPerLineBox(), has("--first-per-line"));
    ClickTo(has("group") ? window.GroupScope() : window.ProjectScope(), true);
    QTest::keyClicks(window.SearchBox().lineEdit(), QString::fromStdString(search.text));
    QTest::keyClick(window.SearchBox().lineEdit(), Qt::Key_Return);
    return test::TreeText(*window.ResultTree().model());
}

std::string CliTree(const std::string& target, const Search& search) {
    std::vector<std::string> arguments{"find", target};
    arguments.insert(arguments.end(), search.options.begin(), search.options.end());
    arguments.push_back(search.text);
    const test::CliOutput cli = RunQvaddin(arguments);
    EXPECT_EQ(cli.code, 0) << cli.err;
    return cli.out;
}

void ExpectAgreement(const std::string& target, const std::vector<Search>& searches) {
    LoadedHost host({target});
    for (const Search& search : searches) {
        SCOPED_TRACE(search.text);
        const std::string cli = CliTree(target, search);
        EXPECT_FALSE(cli.empty());
        EXPECT_EQ(WindowTree(host.Vbe(), search), cli);
    }
}

TEST(FindCliAgreement, ExampleProjectWithEveryOption) {
    ExpectAgreement(test::ExampleProject(),
                    {{"Balance", {}},
                     {"balance", {"--match-case"}},
                     {"account", {"--whole-word"}},
                     {"account", {"--first-per-line"}},
                     {"Set ?", {"--pattern"}},
                     {"Zyzzyva", {}}});
}

TEST(FindCliAgreement, GeneratedGroupInBothScopes) {
    const test::GeneratedProject generated(20000, 2);
    ExpectAgreement(generated.Target(), {{"Dim", {"--scope", "group"}},
                                         {"Err", {"--scope", "project", "--whole-word"}},
                                         {"End If", {"--scope", "group", "--first-per-line"}},
                                         {"If ?? Then", {"--scope", "group", "--pattern"}}});
}

}  // namespace
}  // namespace qv::findwindow
