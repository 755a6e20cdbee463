// The Machine Timing window's commands: setpoint programming, channel recall and clear, the
// resolver offset, the PLS configuration reset and the test blow-offs.
#include "views/frmTiming.h"

#include "app/data/DataSet.h"
#include "app/data/TimingChannels.h"
#include "app/data/TimingMessages.h"
#include "app/data/TransferValues.h"
#include "link/BoardChangeLog.h"
#include "link/RSComm.h"
#include "views/BoardWrite.h"
#include "views/NumericEntryField.h"
#include "views/NumericText.h"
#include "views/ShellContext.h"

#include <QLabel>
#include <QPointer>

#include <cmath>

namespace quelby {
namespace {

// A field's text as its number with no decimals, halves away from zero; a text that is no
// number as a whole gives its leading number (0 when it has none).
int WholeNumber(const QString& text) {
    const auto value = WholeNumericValue(text.toStdString());
    if (value && std::isfinite(*value) && std::fabs(*value) < 2e9)
        return static_cast<int>(std::lround(*value));
    return ValueFromBoardText(text.toStdString());
}

} // namespace

void frmTiming::setRow(int channel, const QString& text) {
    showSetpoint(timing::FieldIndex(channel, 0), text);
    showSetpoint(timing::FieldIndex(channel, 1), text);
}

void frmTiming::recallIntoRow(int channel, bool store) {
    RSComm& link = shell().link();
    QPointer<frmTiming> self(this);
    const timing::RowRecall row = timing::RecallRow(link, channel);
    if (!self) return;
    auto& setpoints = shell().dataSet().CurrentData.Setpoint[static_cast<std::size_t>(channel)];
    const int onField = timing::FieldIndex(channel, 0);
    const int offField = timing::FieldIndex(channel, 1);
    // A field the user is typing in keeps the typing; its check compares with the recalled
    // number.
    if (row.on) {
        showSetpoint(onField, QString::number(*row.on), true);
        if (store) setpoints[kOnSetpoint] = static_cast<std::int16_t>(*row.on);
    }
    if (row.off) {
        showSetpoint(offField, QString::number(*row.off), true);
        if (store) setpoints[kOffSetpoint] = static_cast<std::int16_t>(*row.off);
    }
    if (row.noSetpoints) {
        showSetpoint(onField, timing::kNoSetpoint, true);
        showSetpoint(offField, timing::kNoSetpoint, true);
        if (store) setpoints = {0, 0};
    }
    if (!row.failed) {
        // A typed setpoint waiting for its row that the board did not confirm is dropped.
        for (int field : {onField, offField})
            if (setpointPending(field)) showSetpoint(field, timing::kNoSetpoint, true);
        return;
    }
    if (link.CommError) return;
    m_prompt.ask(TimingMessages::RecallFailed(channel));
    if (!self) return;
    setRow(channel, timing::kRecallFailed);
}

int frmTiming::plsChannelNumber() {
    return timing::WholeNumberText(m_txtTmg[1]->text().toStdString()).value_or(-1);
}

void frmTiming::cmdRecallChannel_Click() {
    const int channel = timing::BoardChannel(plsChannelNumber());
    if (channel < 0 || channel >= timing::kChannelRows) return;
    recallIntoRow(channel, false);
}

void frmTiming::cmdClearChannel_Click() {
    QPointer<frmTiming> self(this);
    while (true) {
        const int number = plsChannelNumber();
        const int channel = timing::BoardChannel(number);
        if (channel < 0 || channel >= timing::kChannelRows) return;
        const MessageAnswer answer = m_prompt.ask(TimingMessages::ClearQuestion(number));
        if (!self || answer != MessageAnswer::Yes) return;
        RSComm& link = shell().link();
        if (link.OnlineMode) {
            const bool cleared = link.ClearPLSChan(channel);
            if (!self || link.CommError) return;
            if (cleared) {
                recallIntoRow(channel, true);
                return;
            }
            const MessageAnswer again = m_prompt.ask(TimingMessages::ClearFailed());
            if (!self) return;
            if (again == MessageAnswer::Retry) continue;
            setRow(channel, timing::kRecallFailed);
            return;
        }
        if (shell().offlineEditing()) {
            setRow(channel, timing::kNoSetpoint);
            shell().dataSet().CurrentData.Setpoint[static_cast<std::size_t>(channel)] = {0, 0};
        }
        return;
    }
}

void frmTiming::cmdSetOffset_Click() {
    NumericEntryField* field = m_txtTmg[0];
    const auto position = static_cast<std::int16_t>(WholeNumber(field->text()));
    field->setText(QString::number(position));
    RSComm& link = shell().link();
    if (!link.OnlineMode) return;
    QPointer<frmTiming> self(this);
    if (m_prompt.ask(TimingMessages::OffsetQuestion()) != MessageAnswer::Yes) {
        if (self) field->setText("0");
        return;
    }
    if (!self) return;
    const bool set = link.SetPLSOffset(position);
    if (!self || link.CommError) return;
    if (set) {
        shell().dataSet().CurrentData.ResolverOffset = position;
        return;
    }
    m_prompt.ask(TimingMessages::OffsetFailed());
    if (self) field->setText("0");
}

void frmTiming::cmdResetPLSConfig_Click() {
    QPointer<frmTiming> self(this);
    while (true) {
        const MachineData& current = shell().dataSet().CurrentData;
        const auto values = timing::ConfigurationToSend(current);
        RSComm& link = shell().link();
        if (!link.OnlineMode) return;
        const bool sent = link.PLSConfigDownload(values, current.PLSScale);
        if (!self || link.CommError) return;
        if (sent) {
            showBoardConfiguration();
            return;
        }
        const MessageAnswer again = m_prompt.ask(TimingMessages::ResetFailed());
        if (!self) return;
        if (again == MessageAnswer::Retry) continue;
        setConfigurationLabels(timing::kRecallFailed);
        return;
    }
}

void frmTiming::cmdBadCanBlowoff_Click() {
    BoardChangeScope changes(shell().link(), {}, "Bad Can Blow-off Command");
    if (!shell().link().CommError) WriteToBoard(shell(), m_prompt, "F830", "1");
}

// The spindle code, then the blow-off: a step the board did not confirm stops the sequence,
// so a blow-off never fires on a spindle the board may not hold.
void frmTiming::cmdQCBlowoff_Click() {
    QPointer<frmTiming> self(this);
    BoardChangeScope changes(shell().link(), {}, "Q.C. Blow-off Command");
    for (const char* address : {"B2088", "F825", "F102"}) {
        if (!self || shell().link().CommError) return;
        if (!WriteToBoard(shell(), m_prompt, address, "1")) return;
    }
}

} // namespace quelby
