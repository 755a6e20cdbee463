#include "views/CycleWakeUp.h"

#include <QTimer>
#include <qcoro/qcorotimer.h>

#include <algorithm>
#include <vector>

namespace quelby {
namespace {

// The timers of the waits under way; the UI thread's only.
std::vector<QTimer*>& Waiting() {
    static std::vector<QTimer*> timers;
    return timers;
}

// Keeps a wait's timer listed for exactly as long as the wait exists.
class Listed {
public:
    explicit Listed(QTimer& timer) : m_timer(&timer) { Waiting().push_back(m_timer); }
    ~Listed() { std::erase(Waiting(), m_timer); }
    Listed(const Listed&) = delete;
    Listed& operator=(const Listed&) = delete;

private:
    QTimer* m_timer;
};

} // namespace

QCoro::Task<> CycleWakeUp::wait(std::chrono::milliseconds longest) {
    // A timer the ring restarts at zero: its time-out comes from the event loop, after the
    // ringing code has returned, and a timer that is gone has no time-out left to come.
    QTimer timer;
    timer.setSingleShot(true);
    timer.start(longest);
    const Listed listed(timer);
    co_await timer;
}

void CycleWakeUp::ring() {
    for (QTimer* timer : Waiting()) timer->start(0);
}

} // namespace quelby
