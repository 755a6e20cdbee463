#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>

class QWidget;

namespace quelby {

// Answers the modal windows a scripted run opens, in order: each expected window is found
// among the active modal widgets by its object name, class name or window title, saved after
// a short wait, then answered by `answer` (a button clicked, a file chosen). Windows that close
// by themselves need no answer.
class ModalAnswerer : public QObject {
    Q_OBJECT

public:
    using Save = std::function<void(QWidget*, const QString&)>;
    explicit ModalAnswerer(Save save, QObject* parent = nullptr);

    // Expects the next modal window that `name` names; saves it as `file` (unless empty) once
    // it has been shown for `delayMs`, then calls `answer` with it.
    void expect(const QString& name, const QString& file, int delayMs = 300,
                std::function<void(QWidget*)> answer = {});
    // The names of the windows still expected, which are then forgotten.
    QStringList takeUnanswered();

    // Clicks the window's button whose text, without its '&', is `text`.
    static void clickButton(QWidget* window, const QString& text);

private:
    struct Expected {
        QString name;
        QString file;
        int delayMs;
        std::function<void(QWidget*)> answer;
    };
    void look();

    Save m_save;
    QTimer m_poll;
    std::deque<Expected> m_expected;
    bool m_waiting = false;
    const QWidget* m_unexpected = nullptr; // only compared, never used
};

} // namespace quelby
