#pragma once

#include "views/RefreshCycleWindow.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

namespace quelby {

// Lets the refresh cycles of windows that have been closed run to their end: each one is
// resumed by a timer, sees its window gone and finishes. Called before a test program (or
// any owner of windows) stops turning the event loop, so no cycle is left suspended. Returns
// false when some cycle is still running after `milliseconds`.
inline bool DrainRefreshCycles(int milliseconds = 5000) {
    QDeadlineTimer deadline(milliseconds);
    while (RefreshCycleWindow::liveCycles() > 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return RefreshCycleWindow::liveCycles() == 0;
}

} // namespace quelby
