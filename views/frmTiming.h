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

class TimingDiagram;

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
    // True while a typed setpoint waits for the other setpoint of its row to be a number.
    bool setpointPending(int index) const;

    void cmdRecallChannel_Click();
    void cmdClearChannel_Click();
    void cmdSetOffset_Click();
    void cmdResetPLSConfig_Click();
    void cmdBadCanBlowoff_Click();
    void cmdQCBlowoff_Click();
    void tbsTiming_Click(int tab);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
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
    // Recalls the row of a setpoint being checked and shows the other field's setpoint; false
    // when the recall failed (the row then shows "---", or the link failed).
    bool recallOtherSetpoint(int index);
    void showBoardConfiguration();
    void showDataConfiguration();

    // What a setpoint field shows: the number the board holds (or CurrentData offline), a
    // typed number waiting for its row, or a mark. Sets the text too unless `keepTyping` and the
    // user is typing in the field.
    void showSetpoint(int index, const QString& text, bool keepTyping = false);
    void setPending(int index, bool pending);
    std::optional<int> shownNumber(int index) const;
    // An arrow click: the stepped number is checked and programmed like a typed one.
    void setpointStepped(int index);
    // A setpoint text box left or given Esc with nothing typed: it shows what it showed.
    bool setpointBoxEvent(int index, QEvent* event);

    // The setpoint check's steps beyond the range, and the programming of a passing value.
    std::optional<MessageRequest> checkSetpoint(int index);
    void programSetpoint(int index);
    // The whole number the PLS channel field shows; -1 when it shows none.
    int plsChannelNumber();

    UserPrompt& m_prompt;
    bool m_escOnce = false;

    // The setpoint fields as the window knows them (see showSetpoint), and the one edit the
    // check accepted: programSetpoint acts on it when the field reports the value passed.
    std::array<QString, kFieldCount> m_shown{};
    TimingDiagram* m_picTimingDiagram = nullptr; // follows m_shown
    std::array<bool, kFieldCount> m_pending{};
    struct SetpointEdit {
        int index = -1;
        int on = 0;
        int off = 0;
        bool pending = false; // the other field has no number: the value waits
    };
    SetpointEdit m_edit;
    int m_stepping = -1; // the field whose arrow was clicked, while its check runs

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
