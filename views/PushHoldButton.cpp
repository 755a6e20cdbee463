#include "views/PushHoldButton.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace quelby {

PushHoldButton::PushHoldButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    setAutoDefault(false);
}

PushHoldButton::~PushHoldButton() {
    endHold();
}

void PushHoldButton::endHold() {
    if (!m_held) return;
    m_held = false;
    setDown(false);
    emit letGo();
}

bool PushHoldButton::event(QEvent* event) {
    // The access key only moves the focus: the keyboard never presses this button.
    if (event->type() == QEvent::Shortcut) {
        setFocus(Qt::ShortcutFocusReason);
        return true;
    }
    return QPushButton::event(event);
}

void PushHoldButton::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (m_held) return; // a second mouse button while the first is held
    m_held = true;
    setDown(true);
    emit heldDown();
}

void PushHoldButton::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    endHold();
}

void PushHoldButton::mouseMoveEvent(QMouseEvent* event) {
    // Held is held, wherever the pointer goes.
    event->accept();
}

void PushHoldButton::keyPressEvent(QKeyEvent* event) {
    event->ignore();
}

void PushHoldButton::keyReleaseEvent(QKeyEvent* event) {
    event->ignore();
}

void PushHoldButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    endHold();
}

void PushHoldButton::hideEvent(QHideEvent* event) {
    QPushButton::hideEvent(event);
    endHold();
}

void PushHoldButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled()) endHold();
}

} // namespace quelby
