#pragma once
// For the window benchmarks: counts how often a window let events run (its
// progress bar moved) and the longest time it stood still in between.

#include <QElapsedTimer>
#include <algorithm>

#include "platform/services.h"

namespace qv::bench {

inline double Ms(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

class BarWatch : public ForwardingServices {
public:
    explicit BarWatch(Services& inner) : ForwardingServices(inner) { since_.start(); }
    void DoEvents() override {
        longestGap_ = std::max(longestGap_, Ms(since_));
        since_.restart();
        ++updates_;
        ForwardingServices::DoEvents();
    }
    void Reset() {
        longestGap_ = 0;
        updates_ = 0;
        since_.restart();
    }
    double longestGap_ = 0;
    long updates_ = 0;

private:
    QElapsedTimer since_;
};

}  // namespace qv::bench
