// The indentation engine on any lines, as a routine body and as a
// declarations section, in every comment mode: lines never grow in number,
// and tidying what tidy gave (as the host stores it) changes nothing. Code
// nested deeper than tidy lays out is refused, as a whole.

#include "fuzz_setup.h"
#include "platform/vb_error.h"
#include "host/received_line.h"
#include "settings/settings_record.h"
#include "tidy/tidy_keywords.h"
#include "tidy/tidy_up_code.h"

namespace {

using Lines = std::vector<std::string>;

// Tidied, and stored as the host stores the lines it receives.
Lines Tidied(Lines lines, int routineFlag, const qv::settings::SettingsRecord& settings) {
    const bool routine = routineFlag == 1;
    qv::tidy::TidyUpCode(lines,
                         routine ? qv::tidy::RoutineOpeners() : qv::tidy::DeclarationOpeners(),
                         routine ? qv::tidy::RoutineClosers() : qv::tidy::DeclarationClosers(),
                         routineFlag, settings);
    bool continuation = false;
    for (std::string& line : lines) {
        line = qv::host::TidyReceivedLine(line, 4, continuation);
        continuation = qv::host::IsContinuedLine(line);
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    qv::settings::SettingsRecord s = qv::fuzz::FreshSettings();
    s.select = data[0] & 1;
    s.comment = (data[0] >> 1) & 3;
    const Lines lines = qv::fuzz::LinesOf(qv::fuzz::Bytes(data + 1, size - 1));
    for (int routineFlag : {0, 1}) {
        Lines once;
        try {
            once = Tidied(lines, routineFlag, s);
        } catch (const qv::VbError& e) {
            qv::fuzz::Expect(e.Number() == qv::err::kExpressionTooComplex,
                             "tidy refuses only code nested too deep");
            continue;
        }
        qv::fuzz::Expect(once.size() <= lines.size(), "tidy never adds lines");
        qv::fuzz::Expect(Tidied(once, routineFlag, s) == once, "tidy twice equals tidy once");
    }
    return 0;
}
