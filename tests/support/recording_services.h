#pragma once
// Services for tests: messages, clipboard, log and progress are recorded;
// read-only files are named by the test.

#include <set>
#include <string>
#include <vector>

#include "platform/services.h"

namespace qv::test {

class RecordingServices : public HeadlessServices {
public:
    struct Message {
        std::string prompt;
        int buttons;
        std::string title;
        bool atCursor;
    };

    RecordingServices();
    ~RecordingServices() override;

    int MessageBox(std::string_view prompt, int buttons, std::string_view title,
                   bool atCursor) override;
    void DoStatus(int value1, int value2, int max1, int max2) override;
    void LogError(std::string_view report) override { log.emplace_back(report); }
    bool FileIsReadOnly(std::string_view path) override;
    std::string UserName() override { return userName; }

    std::vector<Message> messages;
    std::vector<std::string> log;
    std::vector<std::vector<int>> statusCalls;
    std::set<std::string> readOnlyFiles;
    std::set<std::string> missingFiles;
    std::string userName = "tester";
    int answer = mb::kAnswerOk;
};

}  // namespace qv::test
