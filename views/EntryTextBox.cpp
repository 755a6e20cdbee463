#include "views/EntryTextBox.h"

#include "views/NumericEntryField.h"
#include "views/PendingEditGuard.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>

namespace quelby {
namespace {

bool IsWindowSwitch(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

} // namespace

EntryTextBox::EntryTextBox(NumericEntryField& field, QWidget* parent)
    : QLineEdit(parent), m_field(field) {}

void EntryTextBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Coming back from a message box or another program is no new entry.
    if (m_entered && IsWindowSwitch(event->reason())) return;
    m_entered = true;
    m_field.GotFocus();
}

void EntryTextBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (IsWindowSwitch(event->reason()) || !m_entered) return;
    m_entered = false;
    // A hidden window (closing, or switched away from) checks nothing.
    if (!isVisible()) return;
    QPointer<EntryTextBox> self(this);
    const bool passed = m_field.Validate();
    // A click on a control took the focus; the check has put it back. The click itself is
    // still on its way to the control and must not act.
    if (!passed && self && event->reason() == Qt::MouseFocusReason)
        PendingEditGuard::refuseCurrentPress(window());
}

void EntryTextBox::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) m_field.Click();
}

void EntryTextBox::keyPressEvent(QKeyEvent* event) {
    int keyAscii = 0;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        keyAscii = 13;
    else if (event->key() == Qt::Key_Escape)
        keyAscii = 27;
    else if (!event->text().isEmpty())
        keyAscii = event->text().front().unicode();
    if (keyAscii != 0) {
        m_field.KeyPress(keyAscii);
        if (keyAscii == 0) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace quelby
