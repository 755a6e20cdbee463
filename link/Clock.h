#pragma once

namespace quelby {

// Calendar time as the board clock and the status bar show it.
struct LocalDateTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
    int dayOfWeek = 1; // 1 = Sunday .. 7 = Saturday
};

// Time for the link: monotonic seconds for time-outs, the present date, and pauses.
// A test clock advances only when told (or when something sleeps on it), so no test
// waits through a real time-out.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double monotonicSeconds() = 0;
    virtual LocalDateTime now() = 0;
    virtual void sleepFor(double seconds) = 0;
};

} // namespace quelby
