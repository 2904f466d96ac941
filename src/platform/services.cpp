#include "platform/services.h"

#include <array>
#include <iostream>

namespace qv {

namespace {

class NoStatusWindow : public StatusWindow {
public:
    void SetTitle(std::string_view) override {}
    void SetLabel(std::string_view) override {}
    void SetBarMax(int, int) override {}
    void SetBarValue(int, int) override {}
    void SetBarVisible(int, bool) override {}
    void Show() override {}
    void Unload() override {}
};

Services*& Installed() {
    static Services* installed = nullptr;
    return installed;
}

}  // namespace

int HeadlessServices::MessageBox(std::string_view prompt, int buttons, std::string_view title,
                                 bool) {
    std::cerr << title << ": " << prompt << '\n';
    return (buttons & 0xF) == mb::kYesNo ? mb::kAnswerNo : mb::kAnswerOk;
}

StatusWindow& HeadlessServices::GetStatusWindow() {
    static NoStatusWindow none;
    return none;
}

void HeadlessServices::LogError(std::string_view report) { std::cerr << report << '\n'; }

Services& GetServices() {
    static HeadlessServices headless;
    return Installed() != nullptr ? *Installed() : headless;
}

void SetServices(Services* services) { Installed() = services; }

}  // namespace qv
