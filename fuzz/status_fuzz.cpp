// The status check on any module text, in a standard module, a class and a
// form, in any code page (the first byte picks both): every routine is
// judged, never a failure.

#include "errorhandling/module_counts.h"
#include "fuzz_setup.h"
#include "settings/settings_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const int kTypes[] = {qv::host::vbext_ct_StdModule, qv::host::vbext_ct_ClassModule,
                                 qv::host::vbext_ct_VBForm};
    qv::fuzz::OneModule module(qv::fuzz::Bytes(data + 1, size - 1), kTypes[data[0] % 3],
                               qv::fuzz::CodePageOf(data[0] / 3u));
    const qv::analysis::ModuleCounts counts =
        qv::analysis::CountModule(module.Code(), true, qv::fuzz::FreshSettings());
    qv::fuzz::Expect(counts.good + counts.some + counts.error + counts.none ==
                         static_cast<int>(counts.routines.size()),
                     "every routine is counted once");
    return 0;
}
