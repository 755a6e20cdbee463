#include "app/shell/SoakDriver.h"

#include "app/shell/MainMenus.h"
#include "app/shell/frmMDIMain.h"
#include "link/LinkMessages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTextStream>

namespace quelby {

SoakDriver::SoakDriver(frmMDIMain& window, std::function<long()> lostBytes, Schedule schedule,
                       QObject* parent)
    : QObject(parent), m_window(window), m_lostBytes(std::move(lostBytes)), m_plan(schedule) {
    m_schedule.setInterval(m_plan.stepMs);
    m_answer.setInterval(m_plan.answerMs);
    m_report.setInterval(m_plan.reportMs);
    connect(&m_schedule, &QTimer::timeout, this, &SoakDriver::step);
    connect(&m_answer, &QTimer::timeout, this, [this] {
        answerModal();
        watchLink();
    });
    connect(&m_report, &QTimer::timeout, this, &SoakDriver::report);
}

void SoakDriver::start() {
    m_since.start();
    m_window.menus().viewOnline()->trigger();
    m_schedule.start();
    m_answer.start();
    m_report.start();
}

void SoakDriver::step() {
    if (QApplication::activeModalWidget() || m_window.link().Busy()) return;
    ++m_steps;
    QTextStream log(stderr);
    if (m_offline) {
        log << "soak: online\n";
        m_window.menus().viewOnline()->trigger();
        m_offline = false;
        ++m_reconnects;
        return;
    }
    if (m_plan.reconnectEvery > 0 && m_steps % m_plan.reconnectEvery == 0) {
        log << "soak: offline\n";
        m_window.menus().viewOffline()->trigger();
        m_offline = true;
        return;
    }
    QAction* item = nullptr;
    for (int tries = 0; tries < MainMenus::kWindowCount && !item; ++tries) {
        item = m_window.menus().windowForm(m_nextWindow);
        m_nextWindow = (m_nextWindow + 1) % MainMenus::kWindowCount;
        if (item && !item->isEnabled()) item = nullptr;
    }
    if (!item) return;
    log << "soak: window " << item->text().remove(u'&') << "\n";
    log.flush();
    item->trigger();
    ++m_switches;
}

void SoakDriver::answerModal() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    ++m_messages;
    if (box->windowTitle() == QString::fromStdString(LinkMessages::CannotCommunicate().title))
        ++m_linkFailures;
    // The control that had the focus tells which field a check message came from.
    const QWidget* focus = box->parentWidget() ? box->parentWidget()->focusWidget() : nullptr;
    QTextStream(stderr) << "soak: message \"" << box->windowTitle()
                        << "\": " << box->text().simplified()
                        << " (focus: " << (focus ? focus->objectName() : QString("none")) << ")\n";
    if (QAbstractButton* retry = box->button(QMessageBox::Retry))
        retry->click();
    else if (QAbstractButton* chosen = box->defaultButton())
        chosen->click();
    else if (!box->buttons().isEmpty())
        box->buttons().front()->click();
    else
        box->reject();
}

void SoakDriver::watchLink() {
    const bool failed = m_window.link().CommError;
    if (failed && !m_commErrorSeen) ++m_commErrors;
    m_commErrorSeen = failed;
}

void SoakDriver::report() {
    QTextStream(stderr) << "soak: seconds=" << m_since.elapsed() / 1000
                        << " messages=" << m_messages << " link_failures=" << m_linkFailures
                        << " comm_errors=" << m_commErrors << " switches=" << m_switches
                        << " reconnects=" << m_reconnects
                        << " lost_bytes=" << (m_lostBytes ? m_lostBytes() : 0) << "\n";
}

} // namespace quelby
