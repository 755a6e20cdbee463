#include "app/shell/ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QTextStream>
#include <QWidget>

namespace quelby {
namespace {
constexpr int kPollMs = 50;

bool Names(const QWidget& window, const QString& name) {
    return window.objectName() == name || window.windowTitle() == name ||
           QString(window.metaObject()->className()) == name;
}
} // namespace

ModalAnswerer::ModalAnswerer(Save save, QObject* parent)
    : QObject(parent), m_save(std::move(save)) {
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &ModalAnswerer::look);
}

void ModalAnswerer::expect(const QString& name, const QString& file, int delayMs,
                           std::function<void(QWidget*)> answer) {
    m_expected.push_back({name, file, delayMs, std::move(answer)});
    m_poll.start();
}

QStringList ModalAnswerer::takeUnanswered() {
    QStringList names;
    for (const Expected& expected : m_expected)
        names << expected.name;
    m_expected.clear();
    return names;
}

void ModalAnswerer::clickButton(QWidget* window, const QString& text) {
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->text().remove(u'&') == text) {
            button->click();
            return;
        }
}

void ModalAnswerer::look() {
    if (m_expected.empty()) {
        m_poll.stop();
        return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (m_waiting || !modal || !modal->isVisible()) return;
    if (!Names(*modal, m_expected.front().name)) {
        // Said once per window, so a tour that waits for the wrong window says why.
        if (modal != m_unexpected)
            QTextStream(stderr) << "waiting for " << m_expected.front().name << "; open: "
                                << modal->metaObject()->className() << " \""
                                << modal->windowTitle() << "\"\n";
        m_unexpected = modal;
        return;
    }
    m_waiting = true;
    const Expected expected = m_expected.front();
    m_expected.pop_front();
    QTimer::singleShot(expected.delayMs, this, [this, expected, window = QPointer<QWidget>(modal)] {
        m_waiting = false;
        if (!window) return;
        if (!expected.file.isEmpty()) m_save(window, expected.file);
        if (expected.answer) expected.answer(window);
    });
}

} // namespace quelby
