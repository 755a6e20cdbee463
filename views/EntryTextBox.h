#pragma once

#include <QLineEdit>

namespace quelby {

class NumericEntryField;

// The text box of a numeric entry field. It turns Qt's events into the field's handlers:
// focus gained (GotFocus), mouse click (Click), typed characters (KeyPress), focus lost
// (Validate). Losing the focus to another window (a message box, a popup, another program)
// does not leave the field, and getting it back does not enter it again.
class EntryTextBox : public QLineEdit {
    Q_OBJECT
public:
    EntryTextBox(NumericEntryField& field, QWidget* parent);

    NumericEntryField& field() const { return m_field; }
    // True from the focus-in that entered the field until the focus-out that leaves it.
    bool entered() const { return m_entered; }
    // The edit was ended while the focus stayed (the window was minimised or switched): the
    // next focus-in enters the field again.
    void forgetEntry() { m_entered = false; }

    // Moves the focus to the next control in tab order, as the Tab key does.
    void focusNext() { focusNextPrevChild(true); }

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    NumericEntryField& m_field;
    // True between a focus-in that entered the field and the focus-out that leaves it: a
    // widget that got the focus only for an instant (while a failed check took it back)
    // never saw a focus-in and runs no check.
    bool m_entered = false;
};

} // namespace quelby
