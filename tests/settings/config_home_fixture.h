#pragma once
// Every settings test runs against its own temporary configuration folder
// (XDG_CONFIG_HOME), with the system's store named as at process start and
// the compiled string table; the state before is put back afterwards. Header-only, so that other test programs can use it.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "settings/bad_setting.h"
#include "settings/reg_settings.h"
#include "settings/settings_operations.h"
#include "settings/settings_record.h"
#include "settings/store_names.h"
#include "settings/string_table.h"

namespace qv::test {

class ConfigHomeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The temporary configuration folder.
    std::string Home() const;
    // The system's store file ($XDG_CONFIG_HOME/Brell Vantoke/qvaddin2.conf).
    std::string SystemFile() const;
    // The older location's file (the run time's settings area, qvaddin2).
    std::string OlderFile() const;

    static void WriteFile(const std::string& path, std::string_view bytes);
    // The file's bytes; nothing when it does not exist.
    static std::optional<std::string> ReadFile(const std::string& path);

private:
    QTemporaryDir dir_;
    std::optional<std::string> savedXdg_;
    std::string savedCompany_;
    std::string savedAppName_;
};

inline void ConfigHomeTest::SetUp() {
    ASSERT_TRUE(dir_.isValid());
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME")) savedXdg_ = xdg;
    setenv("XDG_CONFIG_HOME", Home().c_str(), 1);
    settings::CRegSettings& store = settings::SystemStore();
    savedCompany_ = store.Company();
    savedAppName_ = store.AppName();
    store.SetCompany(settings::kSystemCompany);
    store.SetAppName(settings::kSystemAppName);
    settings::SetStringTableForTesting({});
}

inline void ConfigHomeTest::TearDown() {
    if (savedXdg_) {
        setenv("XDG_CONFIG_HOME", savedXdg_->c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
    settings::SystemStore().SetCompany(savedCompany_);
    settings::SystemStore().SetAppName(savedAppName_);
    settings::SetStringTableForTesting({});
}

inline std::string ConfigHomeTest::Home() const { return dir_.path().toStdString(); }

inline std::string ConfigHomeTest::SystemFile() const {
    return Home() + "/Brell Vantoke/qvaddin2.conf";
}

inline std::string ConfigHomeTest::OlderFile() const {
    return Home() + "/VB and VBA Program Settings/qvaddin2.conf";
}

inline void ConfigHomeTest::WriteFile(const std::string& path, std::string_view bytes) {
    const QString file = QString::fromStdString(path);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

inline std::optional<std::string> ConfigHomeTest::ReadFile(const std::string& path) {
    QFile in(QString::fromStdString(path));
    if (!in.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = in.readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace qv::test
