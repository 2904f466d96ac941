// Several processes saving to one settings file at the same moment: every
// value of every writer survives and the file stays a valid INI file.

#include <QProcess>
#include <memory>
#include <vector>

#include "config_home_fixture.h"
#include "settings/reg_settings.h"

namespace qv::settings {
namespace {

using ConcurrentWritersTest = test::ConfigHomeTest;

TEST_F(ConcurrentWritersTest, EveryValueOfEveryWriterSurvives) {
    constexpr int kWriters = 3;
    constexpr int kValuesEach = 40;
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int w = 0; w < kWriters; ++w) {
        auto process = std::make_unique<QProcess>();
        process->start(QV_SETTINGS_WRITER, {"Brell Vantoke", "qvaddin2",
                                            QString("w%1_").arg(w), QString::number(kValuesEach)});
        writers.push_back(std::move(process));
    }
    for (auto& process : writers) {
        ASSERT_TRUE(process->waitForFinished(60000));
        EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process->exitCode(), 0);
    }

    const CRegSettings& store = SystemStore();
    EXPECT_EQ(store.FileState(), StoreFileState::Usable);
    int missing = 0;
    for (int w = 0; w < kWriters; ++w) {
        for (int i = 0; i < kValuesEach; ++i) {
            const std::string key = "w" + std::to_string(w) + "_" + std::to_string(i);
            if (store.GetSetting("Writers", key, "") != "value of " + key + "\r\nsecond line") {
                ++missing;
            }
        }
    }
    EXPECT_EQ(missing, 0);
}

}  // namespace
}  // namespace qv::settings
