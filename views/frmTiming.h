#pragma once

#include "views/RefreshCycleWindow.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class QGroupBox;
class QLabel;
class QPushButton;
class QStatusBar;
class QTabBar;

namespace quelby {

class NumericEntryField;
class UserPrompt;
struct MessageRequest;

// Machine Timing: the PLS timing channels (ON/OFF setpoints of channels 0..8, captioned in
// octal), a single channel's recall and clear, the resolver offset, the PLS configuration
// page, the test blow-offs and a status bar of resolver speed, position, offset and scale.
// Online the table is recalled from the board when the window prepares, every accepted
// setpoint programs its channel at once and the status bar follows the resolver; offline the
// table edits CurrentData while offline editing is on.
class frmTiming : public RefreshCycleWindow {
    Q_OBJECT
public:
    frmTiming(ShellContext& shell, UserPrompt& prompt, QWidget* parent = nullptr);

    static constexpr int kFieldCount = 25; // setpoint fields 0..8 (ON) and 16..24 (OFF)

    // txtChannel(index); nullptr for 9..15.
    NumericEntryField* channelField(int index) const;
    // txtTmg(0) resolver offset, txtTmg(1) PLS channel number.
    NumericEntryField* tmgField(int index) const;
    // Text of status bar panel 1..4.
    QString panelText(int panel) const;
    // True once the online preparation has recalled the table.
    bool onlineReady() const { return onlinePrepared() && m_onlineReady; }

    void cmdRecallChannel_Click();
    void cmdClearChannel_Click();
    void cmdSetOffset_Click();
    void cmdResetPLSConfig_Click();
    void cmdBadCanBlowoff_Click();
    void cmdQCBlowoff_Click();
    void tbsTiming_Click(int tab);

protected:
    void onlinePreparation() override;
    void offlinePreparation() override;
    QCoro::Task<bool> refreshPass(bool online) override;

private:
    void buildControls();
    QWidget* buildChannelPage();
    QWidget* buildConfigurationPage();
    NumericEntryField* addSetpointField(int index, QWidget* parent);

    // Preparations and the cycle.
    void clearMachineFlags();
    QCoro::Task<bool> finishOnlinePreparation();
    QCoro::Task<bool> onlineRefresh();
    void refreshStep(int step);
    QCoro::Task<bool> recallAllChannels();
    void setOffsetControlsEnabled(bool enabled);
    void setConfigurationLabels(const QString& text);

    // Board commands; each ends silently on a link failure.
    void recallIntoRow(int channel, bool store);
    void setRow(int channel, const QString& text);
    void showBoardConfiguration();
    void showDataConfiguration();

    // The setpoint check's steps beyond the range, and the programming of a passing value.
    std::optional<MessageRequest> checkSetpoint(int index);
    void programSetpoint(int index);
    // The PLS channel field rewritten as its whole number; that number.
    int plsChannelNumber();

    UserPrompt& m_prompt;
    bool m_escOnce = false;

    // Window state of the cycle.
    bool m_preparationPending = false;
    bool m_onlineReady = false; // the online preparation ran to its end
    bool m_lastOfflineEditing = false;
    bool m_stopped = false;
    bool m_previousStopped = false;
    bool m_justStopped = false;
    bool m_justStarted = false;

    QTabBar* m_tbsTiming = nullptr;
    std::array<QWidget*, 2> m_fraPage{};
    QGroupBox* m_fraTimingChannels = nullptr;
    QGroupBox* m_fraPlsChannel = nullptr;
    QGroupBox* m_fraResolverOffset = nullptr;
    QGroupBox* m_fraTestBlowoff = nullptr;
    QGroupBox* m_fraPlsConfig = nullptr;
    QGroupBox* m_fraSpeedComp = nullptr;
    std::array<QLabel*, 9> m_lblChannel{};
    std::array<QLabel*, 2> m_lblHeading{};
    std::array<NumericEntryField*, kFieldCount> m_txtChannel{};
    std::array<NumericEntryField*, 2> m_txtTmg{};
    QLabel* m_lblSensorCaption = nullptr;
    QLabel* m_lblSensorOn = nullptr;
    QPushButton* m_cmdRecallChannel = nullptr;
    QPushButton* m_cmdClearChannel = nullptr;
    QPushButton* m_cmdSetOffset = nullptr;
    QPushButton* m_cmdBadCanBlowoff = nullptr;
    QPushButton* m_cmdQCBlowoff = nullptr;
    std::array<QLabel*, 10> m_lblPLSCfgCaption{};
    std::array<QLabel*, 10> m_lblPLSCfg{};
    QPushButton* m_cmdResetPLSConfig = nullptr;
    QStatusBar* m_sbrMachineTiming = nullptr;
    std::array<QLabel*, 4> m_panel{};
    QPushButton* m_cmdDefault = nullptr;
};

} // namespace quelby
