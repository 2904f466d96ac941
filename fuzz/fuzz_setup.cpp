#include "fuzz_setup.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>

#include "platform/services.h"
#include "platform/text.h"
#include "settings/settings_operations.h"
#include "shell/process_start.h"

namespace qv::fuzz {

namespace {

// Message boxes are answered without a word; the rest is headless.
class SilentServices : public ForwardingServices {
  public:
    SilentServices() : ForwardingServices(GetServices()) {}
    int MessageBox(std::string_view, int, std::string_view, bool) override { return mb::kAnswerOk; }
};

}  // namespace

// Read once, after PrepareEngines has stored a fresh installation's defaults.
const settings::SettingsRecord& FreshSettings() {
    static const settings::SettingsRecord record = settings::LoadSettings();
    return record;
}

void PrepareEngines() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    // scripts/fuzz.sh names a folder that it removes; a run by hand gets a
    // temporary one, removed when the process ends normally.
    if (const char* given = std::getenv("QV_FUZZ_CONFIG_HOME")) {
        setenv("XDG_CONFIG_HOME", given, 1);
    } else {
        char pattern[] = "/tmp/qv-fuzz-config-XXXXXX";
        if (mkdtemp(pattern) != nullptr) {
            setenv("XDG_CONFIG_HOME", pattern, 1);
            static const std::string folder = pattern;
            std::atexit([] { std::filesystem::remove_all(folder); });
        }
    }
    shell::CommandLineStart();
    settings::DefaultSettings();
    FreshSettings();
    static SilentServices services;
    SetServices(&services);
}

std::string_view Bytes(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

std::vector<std::string> LinesOf(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    lines.emplace_back(text.substr(start));
    return lines;
}

text::CodePage CodePageOf(unsigned selector) {
    static const char* const kPages[] = {"1252", "932", "936", "949", "950", "65001", "1251", "1253"};
    return *text::CodePage::Named(kPages[selector % std::size(kPages)]);
}

OneModule::OneModule(std::string_view code, int type, text::CodePage page)
    : vbe(std::make_unique<host::memory::MemoryVbe>()) {
    vbe->SetTextCodePage(page);
    host::memory::MemoryProject& project = vbe->AddProject("Fuzz");
    component = &project.AddComponent("modFuzz", type);
    component->Code()->LoadText(code);
}

std::string OneModule::Text() {
    return Code().Lines(1, Code().CountOfLines());
}

void Expect(bool holds, std::string_view what) {
    if (holds) return;
    std::fprintf(stderr, "invariant broken: %.*s\n", static_cast<int>(what.size()), what.data());
    std::abort();
}

void ExpectSame(std::string_view expected, std::string_view actual, std::string_view what) {
    if (expected == actual) return;
    // Written whole: code may hold NUL bytes.
    std::fputs("expected:\n", stderr);
    std::fwrite(expected.data(), 1, expected.size(), stderr);
    std::fputs("\n---- actual:\n", stderr);
    std::fwrite(actual.data(), 1, actual.size(), stderr);
    std::fputs("\n----\n", stderr);
    Expect(false, what);
}

}  // namespace qv::fuzz

// libFuzzer calls it once before the first input, for every target.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qv::fuzz::PrepareEngines();
    return 0;
}
