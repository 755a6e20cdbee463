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
// the field checks a changed text against the up-down's limits and commits a passing value
// (into CurrentData and, online, to the board) or reports it and keeps the focus. The Esc-once
// flag belongs to the window and is shared by all its fields.
//
// Nothing is written that the user did not ask for: only a text the user changed (it differs
// from the text shown when the edit began) or an arrow click is checked and committed;
// leaving an unchanged field, Enter, Esc Esc and a command pressed from it write nothing. The
// field accepts whole numbers only, and what it accepts is what it writes and then shows: the
// plain decimal form of the number ("+4" and "04" become "4").
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

    // True while the focus is in the field and the user has changed its text since the edit
    // began (or since its last check): a text that differs from the one shown then.
    bool hasUncheckedEdit() const;
    // For a window that acts on the arrows itself (UpDownAction::None): the step it takes
    // counts as the user's change, so the check it runs then writes.
    void takeStepAsChange() { m_changed = true; }
    // Ends the edit whatever the focus does (a page or window switch, minimising, closing,
    // going offline): a changed text is checked and committed or refused once, an unchanged
    // one dropped; the editing flag is cleared so the window's refresh shows the field again.
    // A field that keeps the focus hands it to the parking button.
    void EndEdit();
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
    // The check before the focus leaves. True when the text passed (it is then committed) and
    // when the user did not change it (nothing is committed, the edit ends); false after the
    // range message, with the remembered value back and the focus kept.
    bool Validate();
    // The up-down's arrows changed the value.
    void UpDownChange();

    // Commits the field's whole number. Online it is written to the field's board address
    // and, when the board confirmed it, stored in the field's data point of CurrentData; a
    // write not confirmed leaves CurrentData as it was and says so ("Write Not Confirmed").
    // Offline it is stored in CurrentData only. A field with neither data point nor board
    // address commits nothing (its window reacts to passed()).
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
    // The user changed the text since the edit began (or since its last check).
    bool m_changed = false;
    // The edit began (on entering the field) and its text then.
    bool m_editBegun = false;
    QString m_entryText;
};

} // namespace quelby
