// The Machine Timing window's preparations and refresh cycle.
#include "views/frmTiming.h"

#include "app/data/DataSet.h"
#include "app/data/TimingChannels.h"
#include "app/data/TimingMessages.h"
#include "app/data/TransferValues.h"
#include "link/RSComm.h"
#include "views/EntryTextBox.h"
#include "views/NumericEntryField.h"
#include "views/ShellContext.h"
#include "views/UpDownControl.h"
#include "views/TimingDiagram.h"

#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>

#include <initializer_list>

namespace quelby {
namespace {

constexpr int kRefreshSteps = 5;

void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled) {
    for (QWidget* widget : widgets) widget->setEnabled(enabled);
}

void SetFieldEnabled(NumericEntryField* field, bool enabled) {
    field->textBox()->setEnabled(enabled);
    field->upDown()->setEnabled(enabled);
}

} // namespace

void frmTiming::clearMachineFlags() {
    m_stopped = m_previousStopped = m_justStopped = m_justStarted = false;
}

void frmTiming::setOffsetControlsEnabled(bool enabled) {
    m_fraResolverOffset->setEnabled(enabled);
    SetFieldEnabled(m_txtTmg[0], enabled);
    m_cmdSetOffset->setEnabled(enabled);
}

void frmTiming::setConfigurationLabels(const QString& text) {
    for (QLabel* label : m_lblPLSCfg) label->setText(text);
}

void frmTiming::onlinePreparation() {
    clearMachineFlags();
    SetEnabled({m_sbrMachineTiming, m_fraTimingChannels, m_fraPlsChannel, m_fraTestBlowoff,
                m_fraPlsConfig, m_fraSpeedComp, m_lblSensorCaption, m_lblSensorOn},
               true);
    for (QLabel* label : m_lblChannel) label->setEnabled(true);
    for (QLabel* label : m_lblHeading) label->setEnabled(true);
    for (QLabel* label : m_lblPLSCfgCaption) label->setEnabled(true);
    for (QLabel* label : m_lblPLSCfg) label->setEnabled(true);
    SetFieldEnabled(m_txtTmg[1], true);
    // The commands come on once the table has been recalled.
    SetEnabled({m_cmdRecallChannel, m_cmdClearChannel, m_cmdBadCanBlowoff, m_cmdQCBlowoff,
                m_cmdResetPLSConfig},
               false);
    setOffsetControlsEnabled(false);
    for (int index = 0; index < kFieldCount; ++index) {
        NumericEntryField* field = channelField(index);
        if (!field) continue;
        SetFieldEnabled(field, true);
        showSetpoint(index, timing::kNotRecalled);
    }
    m_lblSensorOn->setText(timing::kNotRecalled);
    // The board's configuration and the recall of every channel follow in the cycle, which
    // yields before each request.
    m_preparationPending = true;
    m_onlineReady = false;
    m_cmdDefault->setFocus(Qt::OtherFocusReason);
}

QCoro::Task<bool> frmTiming::finishOnlinePreparation() {
    QPointer<frmTiming> self(this);
    m_preparationPending = false;
    if (!co_await yieldToEvents()) co_return false;
    if (!shell().link().OnlineMode) co_return true;
    showBoardConfiguration();
    if (!self) co_return false;
    if (shell().link().CommError) co_return true; // the next pass goes offline
    if (!co_await yieldToEvents()) co_return false;
    if (!co_await recallAllChannels()) co_return false;
    RSComm& link = shell().link();
    if (!link.OnlineMode || link.CommError) co_return true;
    SetEnabled({m_cmdRecallChannel, m_cmdClearChannel, m_cmdBadCanBlowoff, m_cmdQCBlowoff,
                m_cmdResetPLSConfig},
               true);
    setOffsetControlsEnabled(false);
    m_onlineReady = true;
    co_return true;
}

void frmTiming::offlinePreparation() {
    m_preparationPending = false;
    m_onlineReady = false;
    const bool editing = shell().offlineEditing();
    m_lastOfflineEditing = editing;
    const MachineData& current = shell().dataSet().CurrentData;

    clearMachineFlags();
    m_sbrMachineTiming->setEnabled(false);
    m_panel[0]->setText("RPM: -");
    m_panel[1]->setText("Position: -");
    m_picTimingDiagram->setPosition(std::nullopt);
    m_panel[2]->setText("Offset: " + QString::number(current.ResolverOffset));
    m_panel[3]->setText("Scale: " + QString::number(current.PLSScale));

    SetEnabled({m_fraTimingChannels, m_fraPlsChannel, m_fraResolverOffset, m_fraTestBlowoff,
                m_fraPlsConfig, m_fraSpeedComp},
               false);
    SetEnabled({m_fraTimingChannels, m_fraPlsChannel}, editing);
    for (QLabel* label : m_lblChannel) label->setEnabled(editing);
    for (QLabel* label : m_lblHeading) label->setEnabled(editing);
    for (int row = 0; row < timing::kChannelRows; ++row) {
        const auto r = static_cast<std::size_t>(row);
        for (int column = 0; column < 2; ++column) {
            const int index = timing::FieldIndex(row, column);
            SetFieldEnabled(channelField(index), editing);
            showSetpoint(index, QString::number(current.Setpoint[r][static_cast<std::size_t>(column)]));
        }
    }

    showDataConfiguration();
    for (QLabel* label : m_lblPLSCfg) label->setEnabled(false);
    m_cmdResetPLSConfig->setEnabled(false);

    setOffsetControlsEnabled(false);
    m_cmdRecallChannel->setEnabled(false);
    m_cmdClearChannel->setEnabled(editing);
    SetFieldEnabled(m_txtTmg[1], editing);

    SetEnabled({m_cmdBadCanBlowoff, m_cmdQCBlowoff, m_lblSensorCaption}, false);
    m_lblSensorOn->setText(timing::kNotRecalled);
    m_cmdDefault->setFocus(Qt::OtherFocusReason);
}

QCoro::Task<bool> frmTiming::refreshPass(bool online) {
    if (!online) {
        DataSet& dataSet = shell().dataSet();
        if (dataSet.TimingReload || shell().offlineEditing() != m_lastOfflineEditing) {
            dataSet.TimingReload = false;
            offlinePreparation();
        }
        co_return false;
    }
    if (m_preparationPending) co_return co_await finishOnlinePreparation();
    co_return co_await onlineRefresh();
}

QCoro::Task<bool> frmTiming::recallAllChannels() {
    QPointer<frmTiming> self(this);
    m_cmdDefault->setFocus(Qt::OtherFocusReason);
    for (int channel = 0; channel < timing::kChannelRows; ++channel) {
        if (!co_await yieldToEvents()) co_return false;
        if (!shell().link().OnlineMode) co_return true;
        recallIntoRow(channel, false);
        if (!self) co_return false;
        if (shell().link().CommError) co_return true;
    }
    co_return true;
}

QCoro::Task<bool> frmTiming::onlineRefresh() {
    QPointer<frmTiming> self(this);
    for (int step = 1; step <= kRefreshSteps; ++step) {
        if (!co_await yieldToEvents()) co_return false;
        RSComm& link = shell().link();
        if (!link.OnlineMode) co_return true;
        DataSet& dataSet = shell().dataSet();
        if (dataSet.TimingDownloaded) {
            dataSet.TimingDownloaded = false;
            if (!co_await recallAllChannels()) co_return false;
        }
        if (link.CommError) co_return true;
        refreshStep(step);
        if (!self) co_return false;
    }
    co_return true;
}

void frmTiming::refreshStep(int step) {
    RSComm& link = shell().link();
    QPointer<frmTiming> self(this);
    switch (step) {
    case 1: {
        const std::int16_t speed = WordFromBoardText(link.PLSRpm());
        if (!self) return;
        m_panel[0]->setText("RPM: " + QString::number(speed));
        m_stopped = speed == 0;
        m_justStopped = m_stopped && !m_previousStopped;
        m_justStarted = m_previousStopped && !m_stopped;
        m_previousStopped = m_stopped;
        if (m_justStopped) setOffsetControlsEnabled(true);
        if (m_justStarted) setOffsetControlsEnabled(false);
        break;
    }
    case 2: {
        const std::int16_t speed = WordFromBoardText(link.PLSRpm());
        if (!self) return;
        if (speed > timing::kPositionSpeedLimit) {
            m_panel[1]->setText("Position: 888");
            m_picTimingDiagram->setPosition(std::nullopt);
        } else {
            const std::string position = link.PLSPos();
            if (!self) return;
            m_panel[1]->setText("Position: " + QString::fromStdString(position));
            const std::optional<int> degrees = timing::WholeNumberText(position);
            // A failed reading (-9999) marks nothing.
            m_picTimingDiagram->setPosition(degrees && *degrees >= 0 ? degrees : std::nullopt);
        }
        break;
    }
    case 3: {
        const std::string offset = link.PLSOffset();
        if (!self) return;
        m_panel[2]->setText("Offset: " + QString::fromStdString(offset));
        break;
    }
    case 4: {
        const std::string scale = link.PLSScaleFactor();
        if (!self) return;
        m_panel[3]->setText("Scale: " + QString::fromStdString(scale));
        break;
    }
    default: {
        if (link.CommError) {
            m_lblSensorOn->setText(timing::kNotRecalled);
            break;
        }
        const std::string position = link.RSRead(timing::kSensorOnAddress);
        if (!self) return;
        m_lblSensorOn->setText(QString::fromStdString(position).trimmed());
        break;
    }
    }
}

void frmTiming::showBoardConfiguration() {
    RSComm& link = shell().link();
    if (!link.OnlineMode) return;
    QPointer<frmTiming> self(this);
    const RSComm::PlsConfiguration configuration = link.PLSConfigUpload();
    if (!self) return;
    // A failed read leaves old values in the array: none of them is shown as the board's.
    if (!link.PLSConfigUploaded()) {
        setConfigurationLabels(timing::kNotRecalled);
        return;
    }
    for (std::size_t i = 0; i < m_lblPLSCfg.size(); ++i)
        m_lblPLSCfg[i]->setText(QString::number(configuration[i]));
}

void frmTiming::showDataConfiguration() {
    const auto shown = timing::ConfigurationShown(shell().dataSet().CurrentData);
    for (std::size_t i = 0; i < m_lblPLSCfg.size(); ++i)
        m_lblPLSCfg[i]->setText(QString::number(shown[i]));
}

} // namespace quelby
