#pragma once

#include <QLabel>
#include <QStatusBar>
#include <QTimer>

namespace quelby {

class Clock;

// sbrMain: four panels, keyed "STATUS", "MODE", "DATE" and "TIME" (also their object names).
// The date and time panels keep themselves current from the clock; a click on MODE is
// reported, clicks on the other panels do nothing.
class MainStatusBar : public QStatusBar {
    Q_OBJECT

public:
    MainStatusBar(Clock& clock, QWidget* parent = nullptr);

    // Panels by 1-based index, as the status bar has always numbered them; nullptr outside 1..4.
    QLabel* panel(int index) const;
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);

    // Re-reads the clock into the DATE and TIME panels.
    void refreshDateTime();
    // The panels keep themselves current on their own timer (the default) or, with false, on
    // the owner's calls to refreshDateTime (one timer for the whole program wakes it less).
    void setOwnTimer(bool run);

    // Beside the four panels: the last thing the program did for the user ("NOTICE", such as
    // a finished transfer) and a standing hint about the window in front ("HINT"). Each is
    // hidden while empty.
    QLabel* notice() const { return m_notice; }
    QLabel* hint() const { return m_hint; }
    void setNotice(const QString& text);
    void setHint(const QString& text);
    // "RECORDING": shown while File > Record Live Values writes a file; an empty text hides it.
    QLabel* recording() const { return m_recording; }
    void setRecording(const QString& text, const QString& tip);
    // "PUBLISHING": whether the live values reach the MQTT broker, red while they do not; an
    // empty text hides it.
    QLabel* publishing() const { return m_publishing; }
    void setPublishing(const QString& text, const QString& tip, bool reached);

signals:
    void modePanelClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* addPanel(const char* key, const QString& text, const QString& name, const QString& tip,
                     bool stretch);

    Clock& m_clock;
    QLabel* m_status = nullptr;
    QLabel* m_mode = nullptr;
    QLabel* m_date = nullptr;
    QLabel* m_time = nullptr;
    QLabel* m_notice = nullptr;
    QLabel* m_hint = nullptr;
    QLabel* m_recording = nullptr;
    QLabel* m_publishing = nullptr;
    QTimer m_dateTimeTimer;
};

} // namespace quelby
