#pragma once

#include "views/NumericEntryOptions.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>

namespace quelby {

class EntryTextBox;
class ShellContext;
class UpDownControl;
class UserPrompt;

// A numeric entry field: a text box and its up-down pair, used for every number the user
// types. Entering the field remembers its value and selects the text; Enter moves on as Tab
// does; Esc restores the remembered value and a second Esc in a row leaves the field; leaving
// the field checks the text against the up-down's limits and commits a passing value (into
// CurrentData and, online, to the board) or reports it and keeps the focus. The Esc-once flag
// belongs to the window and is shared by all its fields.
//
// The text box shows any text ("-", "****", "12abc"); nothing filters keys.
class NumericEntryField : public QWidget {
    Q_OBJECT
public:
    NumericEntryField(const NumericEntryOptions& options, ShellContext& shell, UserPrompt& prompt,
                      bool& escOnce, QWidget* parent = nullptr);

    EntryTextBox* textBox() const { return m_text; }
    UpDownControl* upDown() const { return m_upDown; }
    const NumericEntryOptions& options() const { return m_options; }

    QString text() const;
    void setText(const QString& text);

    // The button that takes the focus out of the field (the window's cmdDefault).
    void setParkingButton(QWidget* button) { m_parking = button; }
    // Where Enter sends the focus instead of the next control in tab order.
    void setEnterTarget(QWidget* target) { m_enterTarget = target; }

    bool editing() const { return m_editing; }
    void setEditing(bool editing) { m_editing = editing; }
    std::int32_t rememberedValue() const { return m_remembered; }
    // A window that acted on a passing value makes it the one Esc brings back and the next
    // check compares with.
    void setRememberedValue(std::int32_t value) { m_remembered = value; }

    // True from the user's first change of the text after entering the field (or after its
    // last check) until the check runs, the text is set again or the field is left.
    bool hasUncheckedEdit() const;
    // For a command that acts while the focus stays in the field: runs the check of an edit
    // not checked yet. True when there was nothing to check or the check passed (the field
    // is then entered again, as when the focus comes back); false after the range message,
    // and the command must not act.
    bool CheckUncheckedEdit();

    // ---- The six events' handlers ----
    // Focus gained: runs Click.
    void GotFocus();
    // Entering the field: editing flag on, Esc-once off, remember the value, select all.
    void Click();
    // Enter and Esc; any other character clears the Esc-once flag. Sets keyAscii to 0 for a
    // key it swallows.
    void KeyPress(int& keyAscii);
    // The check before the focus leaves. True when the text passed (it is then committed);
    // false after the range message, with the remembered value back and the focus kept.
    bool Validate();
    // The up-down's arrows changed the value.
    void UpDownChange();

    // Stores the leading number of the text (halves to even) in the field's data point of
    // CurrentData and, online with a healthy link, writes the text as typed to the board.
    // Does nothing for a field without a data point.
    void Commit();

signals:
    // A text passed the check (after the commit).
    void passed(const QString& text);
    // The up-down change has been handled.
    void upDownChanged(const QString& text);

private:
    void restoreRemembered();
    // A value the check refused: remembered value back, focus kept, the message shown. False.
    bool refuse(const MessageRequest& message);

    NumericEntryOptions m_options;
    ShellContext& m_shell;
    UserPrompt& m_prompt;
    bool& m_escOnce;
    EntryTextBox* m_text = nullptr;
    UpDownControl* m_upDown = nullptr;
    QPointer<QWidget> m_parking;
    QPointer<QWidget> m_enterTarget;
    std::int32_t m_remembered = 0;
    bool m_editing = false;
    bool m_checking = false;
    bool m_unchecked = false;
};

} // namespace quelby
