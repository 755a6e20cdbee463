#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

namespace quelby {

class frmMDIMain;

// quelby --soak-schedule: works the program the way a long shift would, for soak runs. Through
// the menus it goes online, shows the next window every few seconds and goes offline and back
// online now and then; it answers every message box (Retry where offered, else the default
// button) and counts them, and every ten seconds prints a line to standard error:
//   soak: seconds=S messages=M link_failures=F comm_errors=E switches=W reconnects=R lost_bytes=L
// Nothing is done while a modal window is open or the link is busy, as a user could not.
class SoakDriver : public QObject {
    Q_OBJECT

public:
    struct Schedule {
        int stepMs = 4000;       // a window switch (or going offline or online) per step
        int reconnectEvery = 12; // every so many steps offline, online the step after
        int answerMs = 200;      // how often it looks for a message box
        int reportMs = 10000;
    };
    // `lostBytes` tells how many bytes the simulated line has lost so far.
    SoakDriver(frmMDIMain& window, std::function<long()> lostBytes, Schedule schedule,
               QObject* parent = nullptr);

    // Goes online and starts the schedule.
    void start();
    // One step of the schedule (the schedule's timer calls it): the next window, or offline,
    // or back online; nothing while a modal window is open or the link is busy.
    void step();

    long messages() const { return m_messages; }
    long linkFailures() const { return m_linkFailures; }
    long switches() const { return m_switches; }
    long reconnects() const { return m_reconnects; }

private:
    void answerModal();
    void watchLink();
    void report();

    frmMDIMain& m_window;
    std::function<long()> m_lostBytes;
    Schedule m_plan;
    QTimer m_schedule;
    QTimer m_answer;
    QTimer m_report;
    QElapsedTimer m_since;
    int m_steps = 0;
    int m_nextWindow = 0;
    bool m_offline = false;
    bool m_commErrorSeen = false;
    long m_messages = 0;
    long m_linkFailures = 0;
    long m_commErrors = 0;
    long m_switches = 0;
    long m_reconnects = 0;
};

} // namespace quelby
