#include "platform/services.h"

#include <array>
#include <iostream>

namespace qv {

namespace {

Services*& Installed() {
    static Services* installed = nullptr;
    return installed;
}

Services*& ThreadInstalled() {
    thread_local Services* installed = nullptr;
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
    if (ThreadInstalled() != nullptr) return *ThreadInstalled();
    return Installed() != nullptr ? *Installed() : headless;
}

ThreadServicesScope::ThreadServicesScope(Services& during) : previous_(ThreadInstalled()) {
    ThreadInstalled() = &during;
}

ThreadServicesScope::~ThreadServicesScope() { ThreadInstalled() = previous_; }

void SetServices(Services* services) { Installed() = services; }

}  // namespace qv
