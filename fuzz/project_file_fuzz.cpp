// The project and group file parsers on any bytes: entries or a FileError
// naming the file, never a crash.

#include "fuzz_setup.h"
#include "host/files/file_error.h"
#include "host/files/project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(qv::fuzz::Bytes(data, size));
    try {
        const qv::host::files::ProjectFileText project =
            qv::host::files::ParseProjectFile("P.vbp", bytes);
        for (const auto& entry : project.entries) {
            qv::fuzz::Expect(!entry.path.empty() && entry.line >= 1,
                             "a project entry names a file on a line");
        }
    } catch (const qv::host::files::FileError&) {
    }
    try {
        for (const auto& entry : qv::host::files::ParseGroupFile("G.vbg", bytes)) {
            qv::fuzz::Expect(entry.line >= 1, "a group entry stands on a line");
        }
    } catch (const qv::host::files::FileError&) {
    }
    return 0;
}
