#pragma once
// What every fuzz target needs: settings as a fresh installation has them
// (kept in a temporary folder, never the user's), the tidy keyword lists,
// services that show nothing, and small helpers that turn the fuzzer's
// bytes into lines and modules.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/memory/memory_vbe.h"
#include "platform/code_page.h"
#include "settings/settings_record.h"

namespace qv::fuzz {

// Once per process; every target's LLVMFuzzerInitialize (defined here).
void PrepareEngines();

// The settings of a fresh installation, loaded by PrepareEngines; a target
// that varies them works on a copy.
const settings::SettingsRecord& FreshSettings();

std::string_view Bytes(const uint8_t* data, size_t size);

// A code page picked by a number: Windows-1252 for 0 (the targets' first
// bytes of old keep their meaning), then the double-byte ones, UTF-8 and
// two more single-byte ones.
text::CodePage CodePageOf(unsigned selector);

// The text split at CR LF, LF or CR.
std::vector<std::string> LinesOf(std::string_view text);

// A project holding one component of the type whose code is the text,
// loaded as from a file (not tidied).
struct OneModule {
    explicit OneModule(std::string_view code, int type = host::vbext_ct_StdModule,
                       text::CodePage page = {});
    host::memory::MemoryCodeModule& Code() { return *component->Code(); }
    std::string Text();

    std::unique_ptr<host::memory::MemoryVbe> vbe;
    host::memory::MemoryComponent* component = nullptr;
};

// Stops the run with a message when an invariant does not hold (libFuzzer
// reports the abort with the input that caused it).
void Expect(bool holds, std::string_view what);
// The same for two texts that must be equal; both are shown when they differ.
void ExpectSame(std::string_view expected, std::string_view actual, std::string_view what);

}  // namespace qv::fuzz
