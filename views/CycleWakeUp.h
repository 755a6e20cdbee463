#pragma once

#include <qcoro/qcorotask.h>

#include <chrono>

namespace quelby {

// The idle wait of the refresh cycles, and what ends it early: the shell rings when the data
// set or the online state changed, and on each tick of its background timer, so an idle window
// shows a change without waiting out its wait and wakes with the rest of the program.
class CycleWakeUp {
public:
    // Ends once the next ring has reached the event loop, or after `longest`.
    static QCoro::Task<> wait(std::chrono::milliseconds longest);
    // Ends every wait under way at the event loop's next turn (never inside this call).
    static void ring();
};

} // namespace quelby
