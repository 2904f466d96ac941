#include "window_support/window_test_support.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include "host/files/project_loader.h"

namespace qv::test {

namespace {

CliOutput Run(const QString& program, const std::vector<std::string>& arguments) {
    QStringList list;
    for (const std::string& argument : arguments) list << QString::fromStdString(argument);
    QProcess process;
    process.start(program, list);
    CliOutput output;
    if (!process.waitForFinished(120000)) {
        ADD_FAILURE() << program.toStdString() << " did not finish";
        return output;
    }
    output.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    output.out = process.readAllStandardOutput().toStdString();
    output.err = process.readAllStandardError().toStdString();
    return output;
}

}  // namespace

CliOutput RunQvaddin(const std::vector<std::string>& arguments) {
    return Run(QStringLiteral(QV_QVADDIN), arguments);
}

std::string ExampleProject() { return std::string(QV_SOURCE_DIR) + "/examples/Example.vbp"; }

LoadedHost::LoadedHost(const std::vector<std::string>& paths)
    : vbe_(std::make_unique<host::memory::MemoryVbe>()),
      workspace_(std::make_unique<host::files::Workspace>(*vbe_)) {
    host::files::LoadTargets(*workspace_, paths);
}

GeneratedProject::GeneratedProject(long lines, int projects) : projects_(projects) {
    const CliOutput made =
        Run(QStringLiteral(QV_GENERATOR), {"--out", folder_.Path().string(), "--lines",
                                           std::to_string(lines), "--projects",
                                           std::to_string(projects), "--lines-per-module", "300"});
    EXPECT_EQ(made.code, 0) << made.err;
}

std::string GeneratedProject::Target() const {
    return folder_.File(projects_ > 1 ? "Bench.vbg" : "Bench.vbp");
}

}  // namespace qv::test
