// The module counts of the browser's status pass equal those of
// `qvaddin check`, for every module of the example project and of a
// generated project.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include "mainwindow/browser_fixture.h"
#include "window_support/window_test_support.h"

namespace qv::mainwindow::test {
namespace {

// "name good some error none" of every module the command line judged.
QStringList CliModuleRows(const std::string& target) {
    const qv::test::CliOutput cli = qv::test::RunQvaddin({"check", "--format", "json", target});
    EXPECT_TRUE(cli.code == 0 || cli.code == 1) << cli.err;
    const QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(cli.out)).object();
    QStringList rows;
    for (const QJsonValue& project : root["projects"].toArray()) {
        for (const QJsonValue& c : project.toObject()["components"].toArray()) {
            const QJsonObject m = c.toObject();
            rows << QStringLiteral("%1 %2 %3 %4 %5")
                        .arg(m["name"].toString())
                        .arg(m["good"].toInt())
                        .arg(m["some"].toInt())
                        .arg(m["error"].toInt())
                        .arg(m["none"].toInt());
        }
    }
    rows.sort();
    return rows;
}

QStringList BrowserModuleRows(host::VBE& vbe) {
    const settings::SettingsRecord settings = settings::LoadSettings();
    ProjectBrowser browser(vbe, settings);
    browser.ListProjects();
    browser.show();
    QStringList rows;
    for (int p = 0; p < browser.ProjectBox().count(); ++p) {
        QTest::keyClick(&browser.ProjectBox(), Qt::Key_Down);  // the next project
        EXPECT_EQ(browser.ProjectBox().currentIndex(), p);
        ClickButton(browser.StatusButton());
        for (const QStringList& row : ListRows(browser.ModuleList())) rows << row.join(' ');
    }
    rows.sort();
    return rows;
}

class CliAgreementTest : public BrowserTest {};

TEST_F(CliAgreementTest, ExampleProjectCountsEqualTheCommandLines) {
    const std::string target = qv::test::ExampleProject();
    qv::test::LoadedHost host({target});
    const QStringList cli = CliModuleRows(target);
    ASSERT_EQ(cli.size(), 3);
    EXPECT_EQ(BrowserModuleRows(host.Vbe()), cli);
}

TEST_F(CliAgreementTest, GeneratedProjectCountsEqualTheCommandLines) {
    const qv::test::GeneratedProject generated(20000, 1);
    qv::test::LoadedHost host({generated.Target()});
    const QStringList cli = CliModuleRows(generated.Target());
    ASSERT_GT(cli.size(), 10);
    EXPECT_EQ(BrowserModuleRows(host.Vbe()), cli);
}

}  // namespace
}  // namespace qv::mainwindow::test
