#pragma once

#include <functional>
#include <string>

namespace quelby {

class LiveTrend;
class RSComm;
struct DataSet;
struct LiveValues;

// What a child window sees of the main window: the link, the data set and the program-wide
// state the shell owns. The shell implements it; windows and their tests use it.
class ShellContext {
public:
    virtual ~ShellContext() = default;

    virtual RSComm& link() = 0;
    virtual DataSet& dataSet() = 0;
    // The text the status poll keeps current ("System OK", a fault description ...).
    virtual std::string systemMessage() const = 0;
    // Edit > Enable Offline Editing.
    virtual bool offlineEditing() const = 0;
    // Applies link().OnlineMode to the port and the status bar; windows call it after they
    // turned the program offline on a link failure.
    virtual void updateOnlineStatus() = 0;
    // True while a modal transfer runs: refresh cycles stay paused until it ends.
    virtual bool cyclesPaused() const = 0;
    // Work the shell runs when the program goes offline, just before it closes the port (a
    // window lets go of a command it holds on the board). One at a time; an empty function
    // removes it. The shell forgets it once run.
    // NOLINTNEXTLINE(performance-unnecessary-value-param): the shell keeps the work it is given.
    virtual void setBeforeGoingOffline(std::function<void()> work) { (void)work; }
    // The Main Display's trend: it outlives the window, so switching windows keeps it, and
    // starts again with each online period.
    virtual LiveTrend& liveTrend() = 0;
    // The Main Display has read its live figures once more (File > Record Live Values).
    virtual void liveValuesRead(const LiveValues& values) { (void)values; }
};

} // namespace quelby
