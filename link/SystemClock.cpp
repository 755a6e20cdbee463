#include "link/SystemClock.h"

#include "link/SystemServices.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace quelby {

double SystemClock::monotonicSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

LocalDateTime SystemClock::now() {
    std::time_t t = std::time(nullptr);
    const std::tm local = LocalTimeOf(t);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
            local.tm_min,         local.tm_sec,     local.tm_wday + 1};
}

void SystemClock::sleepFor(double seconds) {
    if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

} // namespace quelby
