// The store on Windows is the registry: what it writes there, read with the
// registry's own calls, and what it reads that other programs (the VB IDE,
// an administrator's .reg file) wrote. Every test has a key of its own that
// stands in for HKEY_CURRENT_USER (support/settings_home.h).

#include <gtest/gtest.h>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <optional>
#include <string>

#include "platform/win32_text.h"
#include "settings/config_home_fixture.h"
#include "settings/ide_tab_width.h"

namespace qv::settings {
namespace {

using file::Utf8Text;
using file::WideText;

class RegistryStoreTest : public test::ConfigHomeTest {
  protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        root_ = test::GetEnvironment("QVADDIN_REGISTRY_ROOT").value_or("");
        ASSERT_FALSE(root_.empty());
    }
    // The key under HKEY_CURRENT_USER that the store reads as this path.
    std::string Rooted(const std::string& subKey) const { return root_ + "\\" + subKey; }

    // The value's type and raw text as the registry holds it.
    struct Raw {
        DWORD type = REG_NONE;
        std::string text;
    };
    static std::optional<Raw> RawValue(const std::string& key, const std::string& name) {
        HKEY opened = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, WideText(key).c_str(), 0, KEY_READ, &opened) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        Raw raw;
        wchar_t buffer[512] = {};
        DWORD size = sizeof buffer;
        const LONG status = ::RegQueryValueExW(opened, WideText(name).c_str(), nullptr, &raw.type,
                                               reinterpret_cast<BYTE*>(buffer), &size);
        ::RegCloseKey(opened);
        if (status != ERROR_SUCCESS) return std::nullopt;
        if (raw.type == REG_SZ) {
            // The stored length counts the terminating NUL: one more
            // character than the text.
            EXPECT_EQ(size % sizeof(wchar_t), 0u);
            EXPECT_EQ(buffer[size / sizeof(wchar_t) - 1], L'\0') << "no terminating NUL";
            raw.text = Utf8Text(std::wstring_view(buffer, size / sizeof(wchar_t) - 1));
        }
        return raw;
    }
    static void WriteDword(const std::string& key, const std::string& name, DWORD value) {
        HKEY created = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, WideText(key).c_str(), 0, nullptr, 0,
                                    KEY_ALL_ACCESS, nullptr, &created, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExW(created, WideText(name).c_str(), 0, REG_DWORD,
                         reinterpret_cast<const BYTE*>(&value), sizeof value);
        ::RegCloseKey(created);
    }

    std::string root_;
};

TEST_F(RegistryStoreTest, ValuesAreStringsUnderTheApplicationsKeyInTheTestsOwnRoot) {
    const std::string marker = "only-in-this-test-" + root_.substr(root_.rfind('\\') + 1);
    ASSERT_TRUE(SystemStore().SaveSetting("ErrorHandling", "label1", marker));

    const auto raw = RawValue(Rooted("Software\\Brell Vantoke\\qvaddin2\\ErrorHandling"), "label1");
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw->text, marker);
    // Nothing reached the real user's key.
    const auto real = RawValue("Software\\Brell Vantoke\\qvaddin2\\ErrorHandling", "label1");
    EXPECT_TRUE(!real || real->text != marker);
    EXPECT_EQ(SystemStore().FilePath(),
              "HKEY_CURRENT_USER\\" + Rooted("Software\\Brell Vantoke\\qvaddin2"));
}

TEST_F(RegistryStoreTest, TextsRoundTripWithLineBreaksNonAsciiAndTheDefaultValue) {
    CRegSettings store = SystemStore();
    const std::string lines = "Exit_Routine:\r\n    Exit Sub\r\n";
    ASSERT_TRUE(store.SaveSetting("ErrorHandling", "add2", lines));
    ASSERT_TRUE(store.SaveSetting("ErrorHandling", "insert", "' M\xC3\xB3" "dulo \xE5\x95\x8F"));
    ASSERT_TRUE(store.SaveSetting("ErrorHandling", "add0", ""));
    ASSERT_TRUE(store.SaveSetting("Version", "*", "5.0.5"));

    // A line break is stored as backslash + "n", as in the settings file.
    const std::string key = Rooted("Software\\Brell Vantoke\\qvaddin2\\ErrorHandling");
    EXPECT_EQ(RawValue(key, "add2").value_or(Raw{}).text, "Exit_Routine:\\n    Exit Sub\\n");
    EXPECT_EQ(store.GetSetting("ErrorHandling", "add2", ""), lines);
    EXPECT_EQ(store.GetSetting("ErrorHandling", "insert", ""), "' M\xC3\xB3" "dulo \xE5\x95\x8F");
    // Stored empty is not missing.
    EXPECT_TRUE(store.HasSetting("ErrorHandling", "add0"));
    EXPECT_EQ(store.GetSetting("ErrorHandling", "add0", "default"), "");
    EXPECT_FALSE(store.HasSetting("ErrorHandling", "add1"));
    EXPECT_EQ(store.GetSetting("ErrorHandling", "add1", "default"), "default");
    // "*" and "" both name the key's unnamed value.
    EXPECT_EQ(RawValue(Rooted("Software\\Brell Vantoke\\qvaddin2\\Version"), "")
                  .value_or(Raw{}).text,
              "5.0.5");
    EXPECT_EQ(store.GetSetting("Version", "", ""), "5.0.5");
}

TEST_F(RegistryStoreTest, ANumberWrittenByAnotherProgramReadsAsItsDecimalText) {
    WriteDword(Rooted("Software\\Microsoft\\VBA\\Microsoft Visual Basic"), "TabWidth", 2);
    EXPECT_EQ(IdeTabWidth(), 2);
    WriteDword(Rooted("Software\\Brell Vantoke\\qvaddin2\\ErrorHandling"), "ten", 10);
    EXPECT_EQ(SystemStore().GetSetting("ErrorHandling", "ten", ""), "10");
}

TEST_F(RegistryStoreTest, DeletingASectionTakesItsSubkeysButNeverTheWholeApplication) {
    CRegSettings store = SystemStore();
    ASSERT_TRUE(store.SaveSetting("Old", "a", "1"));
    ASSERT_TRUE(store.SaveSetting("Old\\Inner", "b", "2"));
    ASSERT_TRUE(store.SaveSetting("Kept", "c", "3"));

    EXPECT_FALSE(store.DeleteSetting("", ""));
    EXPECT_FALSE(store.DeleteSetting("Kept", "missing"));
    EXPECT_TRUE(store.DeleteSetting("Old", ""));
    EXPECT_FALSE(store.HasValues("Old"));
    EXPECT_FALSE(store.HasSetting("Old\\Inner", "b"));
    EXPECT_TRUE(store.HasSetting("Kept", "c"));
    EXPECT_TRUE(store.DeleteSetting("Kept", "c"));
    EXPECT_FALSE(store.HasValues("Kept"));
}

}  // namespace
}  // namespace qv::settings
