#include "views/RefreshCycleWindow.h"

#include "link/RSComm.h"
#include "views/CycleWakeUp.h"
#include "views/NumericEntryField.h"
#include "views/ShellContext.h"

#include <QCloseEvent>
#include <QHideEvent>
#include <QPointer>
#include <qcoro/qcorotimer.h>

#include <chrono>
#include <exception>

namespace quelby {
namespace {

using namespace std::chrono_literals;

// How long a cycle waits before it looks again: while paused, and after an online pass with
// nothing to do.
constexpr auto kIdleWait = 100ms;
// After an offline pass: the data set changes only by the user's hand. The shell rings
// CycleWakeUp when it changed it and on each tick of its background timer, so the window
// wakes with the rest of the program; this is only the longest wait without a ring.
constexpr auto kOfflineIdleWait = 1000ms;

// Cycles run on the UI thread only.
int g_liveCycles = 0; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)
// A cycle has run the online status update for the link failure CommError now stands for;
// cleared as soon as a cycle finds the link healthy again.
bool g_failureShown = false; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

// Counts a cycle for as long as its coroutine frame exists.
class LiveCycle {
public:
    LiveCycle() { ++g_liveCycles; }
    ~LiveCycle() { --g_liveCycles; }
    LiveCycle(const LiveCycle&) = delete;
    LiveCycle& operator=(const LiveCycle&) = delete;
};

} // namespace

RefreshCycleWindow::RefreshCycleWindow(ShellContext& shell, QWidget* parent)
    : QWidget(parent), m_shell(shell) {}

RefreshCycleWindow::~RefreshCycleWindow() {
    m_run = false;
}

int RefreshCycleWindow::liveCycles() {
    return g_liveCycles;
}

void RefreshCycleWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    startCycle();
}

void RefreshCycleWindow::endEdits() {
    QPointer<RefreshCycleWindow> self(this);
    const QList<NumericEntryField*> fields = findChildren<NumericEntryField*>();
    for (const QPointer<NumericEntryField> field : fields) {
        if (!self) return;
        if (field) field->EndEdit();
    }
}

void RefreshCycleWindow::closeEvent(QCloseEvent* event) {
    QPointer<RefreshCycleWindow> self(this);
    endEdits();
    if (!self) return;
    QWidget::closeEvent(event);
}

void RefreshCycleWindow::hideEvent(QHideEvent* event) {
    QPointer<RefreshCycleWindow> self(this);
    endEdits();
    if (!self) return;
    QWidget::hideEvent(event);
    // Minimising the main window hides it and its children on the window system's behalf
    // (a spontaneous hide): the window is still open and its display goes on.
    if (!event->spontaneous()) stopCycle();
}

void RefreshCycleWindow::startCycle() {
    if (m_run) return;
    m_run = true;
    if (!m_shell.link().Busy()) {
        QPointer<RefreshCycleWindow> self(this);
        prepareForMode();
        if (!self) return;
    }
    if (m_cycleActive) return;
    m_cycleActive = true;
    runCycle(); // runs on its own; it ends itself when the window closes
}

void RefreshCycleWindow::prepareForMode() {
    // An edit begun in the other mode ends before the window changes under it.
    QPointer<RefreshCycleWindow> self(this);
    const bool online = m_shell.link().OnlineMode;
    if ((online && !m_onlinePrepared) || (!online && !m_offlinePrepared)) endEdits();
    if (!self) return;
    if (m_shell.link().OnlineMode) {
        m_offlinePrepared = false;
        if (!m_onlinePrepared) {
            m_onlinePrepared = true;
            onlinePreparation();
        }
    } else {
        m_onlinePrepared = false;
        if (!m_offlinePrepared) {
            m_offlinePrepared = true;
            offlinePreparation();
        }
    }
}

bool RefreshCycleWindow::handleLinkFailure() {
    RSComm& link = m_shell.link();
    if (!link.CommError) {
        g_failureShown = false;
        return true;
    }
    m_onlinePrepared = false;
    // Once per failure: offline with the port closed, a failure this window or another has
    // shown needs nothing more (CommError stays set until the next Go Online clears it). A
    // link that turned itself offline and closed its port has not been shown yet.
    if (!link.OnlineMode && !link.PortOpen() && g_failureShown) return true;
    g_failureShown = true;
    QPointer<RefreshCycleWindow> self(this);
    endEdits();
    if (!self) return false;
    // Also when the link already turned itself offline (a probe or a mode handshake given
    // up): only the update closes a port the failure left open and shows OFFLINE.
    link.OnlineMode = false;
    m_shell.updateOnlineStatus();
    return !self.isNull();
}

QCoro::Task<bool> RefreshCycleWindow::yieldToEvents() {
    QPointer<RefreshCycleWindow> self(this);
    ShellContext& shell = m_shell; // outlives every window
    co_await QCoro::sleepFor(0ms);
    while (self && self->m_run &&
           ((self->m_pausedWithShell && shell.cyclesPaused()) || shell.link().Busy()))
        co_await QCoro::sleepFor(kIdleWait);
    co_return self && self->m_run;
}

QCoro::Task<> RefreshCycleWindow::runCycle() {
    LiveCycle counted;
    QPointer<RefreshCycleWindow> self(this);
    try {
        while (true) {
            if (!co_await yieldToEvents()) break;
            if (!handleLinkFailure()) break;
            prepareForMode();
            if (!self || !m_run) break;
            const bool online = m_shell.link().OnlineMode;
            const auto passStart = std::chrono::steady_clock::now();
            const bool worked = co_await refreshPass(online);
            if (!self) break;
            emit passEnded(online);
            if (!self || !m_run) break;
            co_await waitAfterPass(online, worked, passStart);
            if (!self) break;
        }
    } catch (const std::exception& error) {
        qCritical("Refresh cycle ended: %s", error.what());
    }
    if (self) self->m_cycleActive = false;
}

QCoro::Task<> RefreshCycleWindow::waitAfterPass(bool online, bool worked,
                                                std::chrono::steady_clock::time_point passStart) {
    if (!worked) {
        co_await CycleWakeUp::wait(online ? kIdleWait : kOfflineIdleWait);
        co_return;
    }
    if (!online || m_minimumPassInterval.count() <= 0) co_return;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        passStart + m_minimumPassInterval - std::chrono::steady_clock::now());
    if (left.count() > 0) co_await QCoro::sleepFor(left);
}

} // namespace quelby
