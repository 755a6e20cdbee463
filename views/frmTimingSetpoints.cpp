// The Machine Timing window's setpoint fields: what each shows, the check of a typed or
// stepped setpoint and the programming of its row.
#include "views/frmTiming.h"

#include "app/data/DataSet.h"
#include "app/data/TimingChannels.h"
#include "app/data/TimingMessages.h"
#include "link/RSComm.h"
#include "views/EntryMessages.h"
#include "views/EntryTextBox.h"
#include "views/NumericEntryField.h"
#include "views/ShellContext.h"
#include "views/UpDownControl.h"
#include "views/TimingDiagram.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

#include <utility>

namespace quelby {
namespace {

constexpr const char* kPendingStyle = "QLineEdit { background: #fff3b0; }";

int OtherField(int index) {
    return timing::FieldIndex(timing::ChannelOfField(index), 1 - timing::ColumnOfField(index));
}

} // namespace

bool frmTiming::setpointPending(int index) const {
    return channelField(index) && m_pending[static_cast<std::size_t>(index)];
}

std::optional<int> frmTiming::shownNumber(int index) const {
    return timing::WholeNumberText(m_shown[static_cast<std::size_t>(index)].toStdString());
}

void frmTiming::showSetpoint(int index, const QString& text, bool keepTyping) {
    NumericEntryField* field = channelField(index);
    m_shown[static_cast<std::size_t>(index)] = text;
    const int channel = timing::ChannelOfField(index);
    m_picTimingDiagram->setRow(channel, shownNumber(timing::FieldIndex(channel, 0)),
                               shownNumber(timing::FieldIndex(channel, 1)));
    setPending(index, false);
    if (keepTyping && field->hasUncheckedEdit()) return;
    field->setText(text);
    // The arrows of a mark step from 0.
    field->upDown()->setValue(timing::WholeNumberText(text.toStdString()).value_or(0));
}

void frmTiming::setPending(int index, bool pending) {
    m_pending[static_cast<std::size_t>(index)] = pending;
    EntryTextBox* box = channelField(index)->textBox();
    box->setStyleSheet(pending ? kPendingStyle : "");
    box->setToolTip(pending ? QString::fromLatin1(timing::ColumnOfField(index) == 0
                                                      ? TimingMessages::kWaitingForOff
                                                      : TimingMessages::kWaitingForOn)
                            : QString());
}

void frmTiming::setpointStepped(int index) {
    NumericEntryField* field = channelField(index);
    QPointer<frmTiming> self(this);
    const bool leaves = field->textBox()->entered();
    m_stepping = index;
    field->takeStepAsChange();
    // Leaving the text box runs the check; a field without the focus is checked here.
    m_cmdDefault->setFocus(Qt::OtherFocusReason);
    if (!self) return;
    if (!leaves) field->Validate();
    if (self) m_stepping = -1;
}

bool frmTiming::eventFilter(QObject* watched, QEvent* event) {
    for (int index = 0; index < kFieldCount; ++index) {
        NumericEntryField* field = channelField(index);
        if (field && watched == field->textBox()) return setpointBoxEvent(index, event);
    }
    return RefreshCycleWindow::eventFilter(watched, event);
}

bool frmTiming::setpointBoxEvent(int index, QEvent* event) {
    NumericEntryField* field = channelField(index);
    EntryTextBox* box = field->textBox();
    const QString& shown = m_shown[static_cast<std::size_t>(index)];
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        // Esc brings back what the field shows, a mark included, not the number of the mark.
        QPointer<EntryTextBox> self(box);
        box->event(event);
        if (self && box->text() != shown) {
            field->setText(shown);
            box->selectAll();
        }
        return true;
    }
    if (event->type() != QEvent::FocusOut || index == m_stepping) return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (!box->entered() || reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
        field->hasUncheckedEdit())
        return false;
    // Nothing typed: the field is left as it shows. A refused entry may have put the number
    // of a mark ("0") into it; the mark comes back.
    if (shownNumber(index)) {
        if (box->text() != shown) field->setText(shown);
        return false;
    }
    // A mark is no entry. The field skips its check for the no-setpoint mark only, so it
    // shows that one while it takes the focus-out, and then its own mark again.
    const QString mark = shown;
    field->setText(timing::kNoSetpoint);
    QPointer<EntryTextBox> self(box);
    box->event(event);
    if (self) field->setText(mark);
    return true;
}

std::optional<MessageRequest> frmTiming::checkSetpoint(int index) {
    m_edit = {};
    NumericEntryField* field = channelField(index);
    const std::optional<int> number = timing::WholeNumberText(field->text().toStdString());
    if (!number) return RangeMessage(TimingMessages::kSetpointTitle, 0, timing::kSetpointMax);
    field->setText(QString::number(*number));
    if (shownNumber(index) == number) return std::nullopt; // unchanged: nothing to write
    const int other = OtherField(index);
    const QString& otherShown = m_shown[static_cast<std::size_t>(other)];
    // A row not known yet is recalled first: the board's other setpoint, never an assumed 0.
    if (!shownNumber(other) && otherShown != timing::kNoSetpoint && shell().link().OnlineMode) {
        QPointer<frmTiming> self(this);
        const bool recalled = recallOtherSetpoint(index);
        if (!self || !recalled) return std::nullopt;
    }
    const std::optional<int> otherNumber = shownNumber(other);
    if (otherNumber == number) return TimingMessages::EqualSetpoints();
    const bool on = timing::ColumnOfField(index) == 0;
    m_edit.index = index;
    m_edit.on = on ? *number : otherNumber.value_or(0);
    m_edit.off = on ? otherNumber.value_or(0) : *number;
    m_edit.pending = !otherNumber;
    return std::nullopt;
}

bool frmTiming::recallOtherSetpoint(int index) {
    RSComm& link = shell().link();
    const int channel = timing::ChannelOfField(index);
    const int other = OtherField(index);
    QPointer<frmTiming> self(this);
    const timing::RowRecall row = timing::RecallRow(link, channel);
    if (!self) return false;
    if (row.failed) {
        if (link.CommError) return false;
        m_prompt.ask(TimingMessages::RecallFailed(channel));
        if (self) setRow(channel, timing::kRecallFailed);
        return false;
    }
    const std::optional<int> value = timing::ColumnOfField(other) == 0 ? row.on : row.off;
    if (value)
        showSetpoint(other, QString::number(*value));
    else if (row.noSetpoints)
        showSetpoint(other, timing::kNoSetpoint);
    return true;
}

void frmTiming::programSetpoint(int index) {
    NumericEntryField* field = channelField(index);
    const auto i = static_cast<std::size_t>(index);
    const SetpointEdit edit = std::exchange(m_edit, {});
    if (edit.index != index) {
        // Nothing to write: the field shows what it showed (a row marked by a failed recall
        // shows the mark).
        if (field->text() != m_shown[i]) field->setText(m_shown[i]);
        return;
    }
    const int channel = timing::ChannelOfField(index);
    const int other = OtherField(index);
    const int number = timing::ColumnOfField(index) == 0 ? edit.on : edit.off;
    if (edit.pending) {
        showSetpoint(index, QString::number(number));
        setPending(index, true);
        field->setRememberedValue(number);
        return;
    }

    RSComm& link = shell().link();
    if (link.OnlineMode) {
        QPointer<frmTiming> self(this);
        const bool programmed = link.SingleSetpoint(channel, edit.on, edit.off, true);
        if (!self || link.CommError) return; // the next pass goes offline and shows CurrentData
        if (!programmed) {
            m_prompt.ask(TimingMessages::ProgramFailed(channel));
            // The channel may be cleared or hold the old pair: the row shows what it holds.
            if (self) recallIntoRow(channel, false);
            return;
        }
    }
    shell().dataSet().CurrentData.Setpoint[static_cast<std::size_t>(channel)] = {
        static_cast<std::int16_t>(edit.on), static_cast<std::int16_t>(edit.off)};
    showSetpoint(index, QString::number(number));
    showSetpoint(other, QString::number(timing::ColumnOfField(index) == 0 ? edit.off : edit.on));
    field->setRememberedValue(number);
}

} // namespace quelby
