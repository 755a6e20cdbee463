#include "app/shell/MainStatusBar.h"

#include "link/Clock.h"

#include <QDate>
#include <QLocale>
#include <QMouseEvent>
#include <QTime>

namespace quelby {

namespace {
// The time panel shows minutes; checking twice a second keeps it within a second of the
// minute's turn at next to no cost.
constexpr int kDateTimeRefreshMs = 500;
} // namespace

MainStatusBar::MainStatusBar(Clock& clock, QWidget* parent) : QStatusBar(parent), m_clock(clock) {
    setObjectName("sbrMain");
    setSizeGripEnabled(true);
    m_status = addPanel("STATUS", "System Message:", "Status Display",
                        "System Status Display Messages", true);
    m_mode = addPanel("MODE", "OFFLINE", "Online Mode", "Communications Mode", false);
    m_date = addPanel("DATE", {}, "Current Date", "Current Date", false);
    m_time = addPanel("TIME", {}, "Current Time", "Current Time", false);
    m_notice = new QLabel(this);
    m_notice->setObjectName("NOTICE");
    m_hint = new QLabel(this);
    m_hint->setObjectName("HINT");
    m_recording = new QLabel(this);
    m_recording->setObjectName("RECORDING");
    m_recording->setStyleSheet("color: #b00000; font-weight: bold");
    m_publishing = new QLabel(this);
    m_publishing->setObjectName("PUBLISHING");
    for (QLabel* label : {m_hint, m_notice, m_recording, m_publishing}) {
        label->setContentsMargins(4, 0, 4, 0);
        // A long notice beside the hint must not widen the main window past a laptop's
        // screen: the labels give way (the whole text stays in the tip).
        label->setMinimumWidth(1);
        label->hide();
        insertPermanentWidget(1, label); // after STATUS, before MODE
    }
    m_mode->installEventFilter(this);
    m_mode->setCursor(Qt::PointingHandCursor);
    m_mode->setMinimumWidth(m_mode->fontMetrics().horizontalAdvance("OFFLINE") + 16);
    refreshDateTime();

    m_dateTimeTimer.setInterval(kDateTimeRefreshMs);
    connect(&m_dateTimeTimer, &QTimer::timeout, this, &MainStatusBar::refreshDateTime);
    m_dateTimeTimer.start();
}

QLabel* MainStatusBar::addPanel(const char* key, const QString& text, const QString& name,
                                const QString& tip, bool stretch) {
    auto* label = new QLabel(text, this);
    label->setObjectName(key);
    label->setAccessibleName(name);
    label->setToolTip(tip);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setContentsMargins(4, 0, 4, 0);
    if (stretch)
        addWidget(label, 1);
    else
        addPermanentWidget(label);
    return label;
}

QLabel* MainStatusBar::panel(int index) const {
    switch (index) {
    case 1:
        return m_status;
    case 2:
        return m_mode;
    case 3:
        return m_date;
    case 4:
        return m_time;
    default:
        return nullptr;
    }
}

QString MainStatusBar::panelText(int index) const {
    const QLabel* label = panel(index);
    return label ? label->text() : QString();
}

void MainStatusBar::setPanelText(int index, const QString& text) {
    if (QLabel* label = panel(index); label && label->text() != text) label->setText(text);
}

void MainStatusBar::setNotice(const QString& text) {
    m_notice->setText(text);
    m_notice->setToolTip(text);
    m_notice->setVisible(!text.isEmpty());
}

void MainStatusBar::setHint(const QString& text) {
    m_hint->setText(text);
    m_hint->setToolTip(text);
    m_hint->setVisible(!text.isEmpty());
}

void MainStatusBar::setRecording(const QString& text, const QString& tip) {
    m_recording->setText(text);
    m_recording->setToolTip(tip);
    m_recording->setVisible(!text.isEmpty());
}

void MainStatusBar::setPublishing(const QString& text, const QString& tip, bool reached) {
    // Called on every tick: Qt would lay the bar out again for each unchanged setter.
    if (m_publishing->text() != text) m_publishing->setText(text);
    if (m_publishing->toolTip() != tip) m_publishing->setToolTip(tip);
    const QString style = reached ? QString() : QStringLiteral("color: #b00000; font-weight: bold");
    if (m_publishing->styleSheet() != style) m_publishing->setStyleSheet(style);
    m_publishing->setVisible(!text.isEmpty());
}

void MainStatusBar::setOwnTimer(bool run) {
    if (run)
        m_dateTimeTimer.start();
    else
        m_dateTimeTimer.stop();
}

void MainStatusBar::refreshDateTime() {
    const LocalDateTime now = m_clock.now();
    const QLocale locale;
    setPanelText(3, locale.toString(QDate(now.year, now.month, now.day), QLocale::ShortFormat));
    setPanelText(4, locale.toString(QTime(now.hour, now.minute, now.second), QLocale::ShortFormat));
}

bool MainStatusBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_mode && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        emit modePanelClicked();
        return true;
    }
    return QStatusBar::eventFilter(watched, event);
}

} // namespace quelby
