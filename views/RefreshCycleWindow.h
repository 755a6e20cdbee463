#pragma once

#include <QWidget>
#include <qcoro/qcorotask.h>

#include <chrono>

namespace quelby {

class ShellContext;

// A child window with a refresh cycle: sequential code that loops while the window is shown,
// yields to the event loop before every board request, re-reads the board (online) or
// CurrentData (offline) and ends when the window is closed.
//
// The cycle starts when the window is shown and its run flag is cleared when the window is
// closed or hidden by the program; a minimised main window keeps it running. Each change
// between online and offline runs the matching preparation once. Whenever the cycle sees a
// link failure it turns the whole program offline through the shell's online status update,
// which also closes a port the failure left open. While the shell
// pauses cycles (a modal transfer) or the link is busy (a link message is open) the cycle
// waits on a short timer. A pass with nothing to do is followed by an idle wait (short
// online; offline until the shell rings CycleWakeUp on its next tick or change), so an idle
// window uses next to no CPU and an offline program wakes seldom.
//
// An edit always ends: hiding the window (closing it, switching it away, minimising the main
// window), closing it and each change between online and offline end the edit of every entry
// field of the window (a changed text is checked and committed once, an unchanged one
// dropped), so no field stays "being edited" without the focus.
//
// A window may be destroyed at any suspension point: every resume checks a guard before it
// touches the window, and a cycle whose window has gone simply ends.
class RefreshCycleWindow : public QWidget {
    Q_OBJECT
public:
    explicit RefreshCycleWindow(ShellContext& shell, QWidget* parent = nullptr);
    ~RefreshCycleWindow() override;

    // Cycles whose coroutine has not yet ended, over all windows.
    static int liveCycles();

    bool runFlag() const { return m_run; }
    bool onlinePrepared() const { return m_onlinePrepared; }
    bool offlinePrepared() const { return m_offlinePrepared; }

    // Sets the run flag, runs the preparation of the present mode and starts the cycle unless
    // it is still running. Called when the window is shown.
    void startCycle();
    // Clears the run flag: the cycle ends at its next resume.
    void stopCycle() { m_run = false; }
    // Ends the edit of every entry field of the window (see above).
    void endEdits();

signals:
    // A refresh pass has ended (the window is still there).
    void passEnded(bool online);

protected:
    ShellContext& shell() const { return m_shell; }

    virtual void onlinePreparation() = 0;
    virtual void offlinePreparation() = 0;
    // One pass of the refresh. True when it did board work (the next pass follows at once),
    // false when there was nothing to do (the cycle idles before the next pass). A pass must
    // test its own guard after every co_await and after every link request.
    virtual QCoro::Task<bool> refreshPass(bool online) = 0;

    // The yield before a board request: lets pending events run, then waits while the shell
    // pauses cycles or the link is busy. False when the cycle must end: the window has gone
    // or its run flag is cleared.
    QCoro::Task<bool> yieldToEvents();

    // Online, a pass that did board work starts no sooner than `interval` after the one before:
    // figures a person reads need not change faster, and the line and the CPU are spared. Zero
    // (the default) runs the passes back to back.
    void setMinimumPassInterval(std::chrono::milliseconds interval) {
        m_minimumPassInterval = interval;
    }

    // Whether the cycle waits while the shell pauses cycles (the default). A window that opens
    // modally over the shell pauses the shell's child window and keeps its own cycle going.
    void setPausedWithShell(bool paused) { m_pausedWithShell = paused; }

    // Runs the preparation of the present mode unless it already ran for this mode.
    void prepareForMode();
    // The next pass runs the offline preparation again (offline editing was switched).
    void clearOfflinePrepared() { m_offlinePrepared = false; }

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QCoro::Task<> runCycle();
    // After a pass: the idle wait, or what is left of the minimum pass interval.
    QCoro::Task<> waitAfterPass(bool online, bool worked,
                                std::chrono::steady_clock::time_point passStart);
    // Step "a link failure turns the program offline"; false when the window went away
    // meanwhile (the shell's update may open a message).
    bool handleLinkFailure();

    ShellContext& m_shell;
    bool m_run = false;
    bool m_cycleActive = false;
    bool m_onlinePrepared = false;
    bool m_offlinePrepared = false;
    bool m_pausedWithShell = true;
    std::chrono::milliseconds m_minimumPassInterval{0};
};

} // namespace quelby
