#pragma once

#include <QObject>

namespace quelby {

// Ends the idle wait of every refresh cycle: the shell rings it when the data set or the
// online state changed, so an idle window shows the change without waiting out its wait.
class CycleWakeUp : public QObject {
    Q_OBJECT
public:
    static CycleWakeUp& instance();
    static void ring() { emit instance().rung(); }

signals:
    void rung();
};

} // namespace quelby
