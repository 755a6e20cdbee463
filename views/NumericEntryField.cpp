#include "views/NumericEntryField.h"

#include "app/data/DataSet.h"
#include "app/data/EditedFields.h"
#include "app/data/TransferValues.h"
#include "link/RSComm.h"
#include "views/BoardWrite.h"
#include "views/EntryMessages.h"
#include "views/EntryTextBox.h"
#include "views/NumericText.h"
#include "views/PendingEditGuard.h"
#include "views/ShellContext.h"
#include "views/UpDownControl.h"

#include <QHBoxLayout>

#include <algorithm>

namespace quelby {

NumericEntryField::NumericEntryField(const NumericEntryOptions& options, ShellContext& shell,
                                     UserPrompt& prompt, bool& escOnce, QWidget* parent)
    : QWidget(parent), m_options(options), m_shell(shell), m_prompt(prompt), m_escOnce(escOnce),
      m_text(new EntryTextBox(*this, this)), m_upDown(new UpDownControl(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_text);
    layout->addWidget(m_upDown);
    // A field as wide as a few digits, with its arrows as tall as the text box beside them
    // and large enough to hit.
    m_text->setFixedWidth(m_text->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    const int height = std::max(m_text->sizeHint().height(), UpDownControl::kMinimumHeight);
    m_text->setFixedHeight(height);
    m_upDown->setFixedSize(UpDownControl::kWidth, height);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    m_text->setObjectName(options.textName);
    m_upDown->setObjectName(options.upDownName);
    m_upDown->setRange(options.minimum, options.maximum);
    m_upDown->setValue(options.initialValue);
    m_upDown->setIncrement(1);
    m_upDown->setBuddy(m_text);
    m_upDown->setSkippedValues(options.upDownSkips);
    m_text->setText(QString::number(m_upDown->value()));
    setFocusProxy(m_text);

    connect(m_upDown, &UpDownControl::valueChanged, this, &NumericEntryField::UpDownChange);
    connect(m_text, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_changed = text != m_entryText; });
    PendingEditGuard::install();
}

QString NumericEntryField::text() const {
    return m_text->text();
}

void NumericEntryField::setText(const QString& text) {
    m_changed = false;
    m_text->setText(text);
}

void NumericEntryField::restoreRemembered() {
    m_changed = false;
    m_text->setText(QString::number(m_remembered));
}

bool NumericEntryField::hasUncheckedEdit() const {
    return m_changed && m_text->entered();
}

void NumericEntryField::EndEdit() {
    if (m_changed && !m_checking) {
        QPointer<NumericEntryField> self(this);
        Validate();
        if (!self) return;
    }
    m_changed = false;
    m_editing = false;
    // The focus stays in the window's memory even while the window is inactive: it moves to
    // the parking button, so coming back to the window does not resume an ended edit.
    if (m_text->window()->focusWidget() == m_text) {
        m_text->forgetEntry();
        if (m_parking && m_parking->isVisibleTo(m_parking->window()))
            m_parking->setFocus(Qt::OtherFocusReason);
        else
            m_text->clearFocus();
    }
}

bool NumericEntryField::CheckUncheckedEdit() {
    if (!hasUncheckedEdit() || m_checking) return true;
    QPointer<NumericEntryField> self(this);
    if (!Validate()) return false;
    // The focus never left: the user goes on in the field from the value just committed.
    if (self && m_text->entered()) GotFocus();
    return true;
}

void NumericEntryField::GotFocus() {
    m_editBegun = false;
    Click();
}

void NumericEntryField::Click() {
    if (m_options.hasEditingFlag) m_editing = true;
    m_escOnce = false;
    const std::string shown = m_text->text().toStdString();
    m_remembered = m_options.rememberAsWord ? WordFromBoardText(shown) : ValueFromBoardText(shown);
    if (m_options.rewriteOnEnter) m_text->setText(QString::number(m_remembered));
    // A click inside a field being edited remembers its value anew, but the edit, and what
    // the user changed in it, goes on.
    if (!m_editBegun) {
        m_editBegun = true;
        m_changed = false;
        m_entryText = m_text->text();
    }
    m_text->selectAll();
}

void NumericEntryField::KeyPress(int& keyAscii) {
    if (keyAscii == 13) {
        keyAscii = 0;
        m_escOnce = false;
        if (m_enterTarget)
            m_enterTarget->setFocus(Qt::TabFocusReason);
        else
            m_text->focusNext();
    } else if (keyAscii == 27) {
        keyAscii = 0;
        restoreRemembered();
        if (m_escOnce) {
            m_escOnce = false;
            m_editing = false;
            if (m_parking) m_parking->setFocus(Qt::OtherFocusReason);
        } else {
            m_escOnce = true;
            m_text->selectAll();
        }
    } else {
        m_escOnce = false;
    }
}

bool NumericEntryField::Validate() {
    if (m_checking) return false;
    if (!m_options.uncheckedText.isEmpty() && m_text->text() == m_options.uncheckedText) {
        m_changed = false;
        m_editing = false;
        return true;
    }
    // No change, no write: leaving, Enter or a command from a field the user did not change.
    if (!m_changed) {
        m_editing = false;
        return true;
    }
    if (m_options.beforeCheck) {
        const QString rewritten = m_options.beforeCheck(m_text->text());
        if (rewritten != m_text->text()) m_text->setText(rewritten);
    }
    const int low = m_options.checkFromZero ? 0 : m_upDown->minimum();
    const int high = m_upDown->maximum();
    const auto value = WholeNumberValue(m_text->text().toStdString());
    if (!value || *value > high || *value < low) return refuse(RangeMessage(m_options.title, low, high));
    // What passed is what is written and shown: the number's plain decimal form.
    const QString plain = QString::number(*value);
    if (m_text->text() != plain) m_text->setText(plain);
    if (m_options.furtherCheck) {
        QPointer<NumericEntryField> self(this);
        const auto refusal = m_options.furtherCheck(*this);
        if (!self) return false;
        if (refusal) return refuse(*refusal);
    }
    m_changed = false;
    Commit();
    m_editing = false;
    emit passed(m_text->text());
    return true;
}

bool NumericEntryField::refuse(const MessageRequest& message) {
    // The focus comes back before the message opens: when the message box closes, the
    // focus returns to this field, not to the control the user was leaving for. The box
    // may let events run, the window's closing among them.
    m_checking = true;
    restoreRemembered();
    if (m_text->isEnabled() && m_text->isVisible()) m_text->setFocus(Qt::OtherFocusReason);
    m_text->selectAll();
    QPointer<NumericEntryField> self(this);
    m_prompt.ask(message);
    if (!self) return false;
    m_checking = false;
    m_text->selectAll();
    return false;
}

void NumericEntryField::UpDownChange() {
    // An arrow click is a change the user asked for.
    m_changed = true;
    if (m_options.upDownEndsEdit) m_editing = false;
    if (m_options.upDownClearsEscOnce) m_escOnce = false;
    if (m_options.upDownParksFocus && m_parking) m_parking->setFocus(Qt::OtherFocusReason);
    switch (m_options.upDownAction) {
    case NumericEntryOptions::UpDownAction::Commit:
        m_changed = false;
        Commit();
        break;
    case NumericEntryOptions::UpDownAction::Check:
        Validate();
        break;
    case NumericEntryOptions::UpDownAction::None:
        m_changed = false;
        break;
    }
    emit upDownChanged(m_text->text());
}

void NumericEntryField::Commit() {
    const std::optional<int> point = m_options.dataPoint;
    auto& current = m_shell.dataSet().CurrentData;
    const bool stored = point && *point >= 0 && *point < static_cast<int>(current.Value.size());
    if (!stored && m_options.boardAddress.empty()) return;
    const std::string text = m_text->text().toStdString();
    const std::int32_t value = ValueFromBoardText(text);

    RSComm& link = m_shell.link();
    if (link.OnlineMode) {
        const std::string address = !m_options.boardAddress.empty()
                                        ? m_options.boardAddress
                                        : current.Address[static_cast<std::size_t>(*point)];
        QPointer<NumericEntryField> self(this);
        const bool confirmed = WriteToBoard(m_shell, m_prompt, address, text);
        if (!self || !confirmed) return;
    } else if (!stored) {
        return; // a field that writes only to the board has nothing to do offline
    }
    if (stored) current.Value[static_cast<std::size_t>(*point)] = value;
}

} // namespace quelby
