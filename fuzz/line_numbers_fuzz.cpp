// The line-number engine on any lines, with any tab width and step: the
// array keeps its size, and numbers added to tidied lines come off again.

#include "fuzz_setup.h"
#include "linenumbers/add_line_numbers.h"
#include "linenumbers/remove_line_numbers.h"
#include "settings/settings_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    qv::settings::SettingsRecord s = qv::fuzz::FreshSettings();
    const short tabWidth = static_cast<short>(1 + (data[0] & 7));
    s.ten = (data[0] >> 3) & 1;
    s.comment = (data[0] >> 4) & 3;
    const std::vector<std::string> lines = qv::fuzz::LinesOf(qv::fuzz::Bytes(data + 1, size - 1));
    std::vector<std::string> numbered = lines;
    qv::linenumbers::AddLineNumbers(numbered, s, tabWidth);
    qv::fuzz::Expect(numbered.size() == lines.size(), "numbering keeps the lines");
    qv::linenumbers::RemoveLineNumbers(numbered);
    qv::fuzz::Expect(numbered.size() == lines.size(), "unnumbering keeps the lines");
    std::vector<std::string> raw = lines;
    qv::linenumbers::RemoveLineNumbers(raw);
    return 0;
}
