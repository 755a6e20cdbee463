#pragma once

#include "link/Clock.h"

namespace quelby::sim {

// A clock that moves only when told to or when something sleeps on it, so a test runs
// through time-outs and pauses without waiting.
class ManualClock : public Clock {
public:
    double monotonicSeconds() override { return m_seconds; }
    LocalDateTime now() override { return m_date; }
    void sleepFor(double seconds) override {
        if (seconds > 0) m_seconds += seconds;
    }

    void advance(double seconds) { sleepFor(seconds); }
    void setDate(const LocalDateTime& date) { m_date = date; }

private:
    double m_seconds = 1000.0;
    LocalDateTime m_date{2026, 1, 5, 8, 0, 0, 2};
};

} // namespace quelby::sim
