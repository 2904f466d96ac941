#include "support/recording_services.h"

#include "platform/vb_error.h"

namespace qv::test {

RecordingServices::RecordingServices() { SetServices(this); }
RecordingServices::~RecordingServices() { SetServices(nullptr); }

int RecordingServices::MessageBox(std::string_view prompt, int buttons, std::string_view title,
                                  bool atCursor) {
    messages.push_back({std::string(prompt), buttons, std::string(title), atCursor});
    return answer;
}

void RecordingServices::DoStatus(int value1, int value2, int max1, int max2) {
    statusCalls.push_back({value1, value2, max1, max2});
}

bool RecordingServices::FileIsReadOnly(std::string_view path) {
    const std::string p(path);
    if (missingFiles.count(p) != 0) Raise(err::kFileNotFound, {}, p);
    return readOnlyFiles.count(p) != 0;
}

}  // namespace qv::test
