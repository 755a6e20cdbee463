#pragma once

#include "app/data/DataSet.h"
#include "app/data/LiveTrend.h"
#include "link/BoardAddress.h"
#include "tests/link/LinkRig.h"
#include "views/CycleWakeUp.h"
#include "views/ShellContext.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

namespace quelby::test {

// What a child window sees of the main window, over the simulated board on a manual clock.
// updateOnlineStatus closes the port when the program went offline, as the shell does.
class TestShell : public ShellContext {
public:
    TestShell() {
        // The shell's background tick wakes idle windows; here it ticks as often as an
        // online window looks again.
        QObject::connect(&tick, &QTimer::timeout, [] { CycleWakeUp::ring(); });
        tick.start(100);
    }

    QTimer tick;
    LinkRig rig;
    DataSet data;
    std::string message = "System OK";
    bool editing = false;
    bool paused = false;
    int onlineStatusUpdates = 0;
    // Runs whenever a window reads the system message, i.e. once per refresh pass.
    std::function<void()> onPass;

    RSComm& link() override { return rig.link; }
    DataSet& dataSet() override { return data; }
    std::string systemMessage() const override {
        if (onPass) onPass();
        return message;
    }
    bool offlineEditing() const override { return editing; }
    void updateOnlineStatus() override {
        ++onlineStatusUpdates;
        if (rig.link.OnlineMode) return;
        if (auto work = std::exchange(beforeGoingOffline, {})) work();
        rig.link.CloseRSComm();
    }
    bool cyclesPaused() const override { return paused; }
    LiveTrend& liveTrend() override { return trend; }
    void setBeforeGoingOffline(std::function<void()> work) override {
        beforeGoingOffline = std::move(work);
    }
    // Puts each value into its address on the simulated board.
    void setBoard(std::initializer_list<std::pair<const char*, std::uint32_t>> values) {
        for (auto [address, value] : values)
            rig.board.setValue(address, value);
    }
    // View > Offline.
    void goOffline() {
        rig.link.OnlineMode = false;
        updateOnlineStatus();
    }

    std::function<void()> beforeGoingOffline;
    LiveTrend trend;
};

// Lets the event loop run until the condition holds or `rounds` rounds have passed; the
// result tells which. A round waits a little for timers when no event is pending, so idle
// cycles get their turn.
template <typename Condition>
bool RunEventsUntil(Condition condition, int rounds = 10000) {
    for (int i = 0; i < rounds; ++i) {
        if (condition()) return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (condition()) return true;
        QTest::qWait(1);
    }
    return condition();
}

inline void RunEvents(int rounds = 5) {
    for (int i = 0; i < rounds; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// The byte a board address such as "F825" lives in.
inline std::uint16_t ByteOf(const char* address) {
    return static_cast<std::uint16_t>(ParseAddress(address)->byteAddress);
}

// Shows a window and makes it the active one, so focus changes happen as on a desktop.
inline void ShowActive(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    RunEventsUntil([&] { return window.isActiveWindow(); }, 200);
}

} // namespace quelby::test
