#include "ScreenshotTour.h"

#include "HelpWindow.h"
#include "frmAbout.h"
#include "frmMDIMain.h"

#include <QTextStream>
#include <QTimer>

namespace quelby {

namespace {
// Long enough for a few status ticks and refresh passes on a line-speed simulated board.
constexpr int kSettleMs = 1500;
} // namespace

ScreenshotTour::ScreenshotTour(frmMDIMain& window, const QString& folder)
    : QObject(&window), m_window(window), m_folder(folder) {
    m_steps = {
        {kSettleMs, [this] { save(&m_window, "main-offline.png"); }},
        {0, [this] { m_window.goOnline(); }},
        {kSettleMs, [this] { save(&m_window, "main-online.png"); }},
        {0,
         [this] {
             m_window.goOffline();
             m_window.showAbout();
         }},
        {300, [this] { save(m_window.aboutBox(), "about.png"); }},
        {0,
         [this] {
             if (m_window.aboutBox()) m_window.aboutBox()->close();
             m_window.showHelpTopics();
         }},
        {500, [this] { save(m_window.helpWindow(), "help.png"); }},
        {0, [this] { m_window.close(); }},
    };
}

void ScreenshotTour::start() {
    m_folder.mkpath(".");
    m_next = 0;
    runNext();
}

void ScreenshotTour::runNext() {
    if (m_next >= m_steps.size()) return;
    const Step& step = m_steps[m_next++];
    QTimer::singleShot(step.delayMs, this, [this, action = step.action] {
        action();
        runNext();
    });
}

void ScreenshotTour::save(QWidget* widget, const QString& name) {
    QTextStream err(stderr);
    if (!widget) {
        err << "screenshot " << name << ": window not open\n";
        return;
    }
    const QString file = m_folder.filePath(name);
    if (widget->grab().save(file))
        err << "saved " << file << '\n';
    else
        err << "could not save " << file << '\n';
}

} // namespace quelby
