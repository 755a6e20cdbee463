#pragma once

#include "link/Clock.h"

namespace quelby {

// The computer's own clock: steady time for time-outs, local time for dates.
class SystemClock : public Clock {
public:
    double monotonicSeconds() override;
    LocalDateTime now() override;
    void sleepFor(double seconds) override;
};

} // namespace quelby
