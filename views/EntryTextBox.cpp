#include "views/EntryTextBox.h"

#include "views/NumericEntryField.h"
#include "views/PendingEditGuard.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>

namespace quelby {
namespace {

bool IsWindowSwitch(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

// Whether the focus went to another top-level window (a message box, a popup, another
// program) rather than to another control of this one: the field is not left then. Another
// child window of the main window is a control of the same top-level window.
bool FocusLeftWindow(const QWidget* box, Qt::FocusReason reason) {
    if (!IsWindowSwitch(reason)) return false;
    const QWidget* now = QApplication::focusWidget();
    return !now || now->window() != box->window();
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
    if (!m_entered || FocusLeftWindow(this, event->reason())) return;
    m_entered = false;
    // Hidden with its page, tab or window: the edit ends all the same, and the focus cannot
    // come back to a hidden field.
    if (!isVisible()) {
        m_field.EndEdit();
        return;
    }
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
