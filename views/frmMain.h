#pragma once

#include "app/data/LiveRecording.h"
#include "views/RefreshCycleWindow.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quelby {

class NumericEntryField;
class TrendChart;
class UserPrompt;

// Main Display: the live machine figures (speed, good cans, blow-offs), the system message
// and the test blow-off commands. Online the figures follow the board four times a second and
// their trend over the last ten minutes (kept by the shell) is drawn from the same reads;
// offline the commands are disabled, the two counters show the data set and the trend keeps
// the last online period, greyed.
class frmMain : public RefreshCycleWindow {
    Q_OBJECT
public:
    frmMain(ShellContext& shell, UserPrompt& prompt, QWidget* parent = nullptr);

    // Board addresses of the three displays, in display order: the columns of a recording.
    static constexpr std::array<const char*, 3> kDisplayAddresses = LiveRecording::kAddresses;
    // Data points shown by the two counters while offline.
    static constexpr int kGoodCansDataPoint = 25;
    static constexpr int kBlowoffsDataPoint = 26;
    static constexpr int kBlanketCode = 25;
    static constexpr int kMandrelCode = 26;

    NumericEntryField* spindleField() const { return m_spindle; }
    TrendChart* trendChart() const { return m_trendChart; }

    // Writes the code to B2088, then F825 = 1, then F102 = 1, each step only while the link
    // is healthy: the first failed write ends the command.
    void BlowoffCommand(std::int16_t code);

    void cmdSingleBlowoff_Click();
    void cmdBlanketBlowoff_Click();
    void cmdMandrelBlowoff_Click();
    void cmdBadCanBlowoff_Click();

protected:
    void onlinePreparation() override;
    void offlinePreparation() override;
    QCoro::Task<bool> refreshPass(bool online) override;

private:
    void buildControls();
    void setCommandsEnabled(bool enabled);
    void showSystemMessage();
    void offlineRefresh();
    void spindleUpDownChanged(const QString& text);
    void addToTrend(const LiveValues& values);

    UserPrompt& m_prompt;
    bool m_escOnce = false;
    std::array<QGroupBox*, 3> m_fraDisplay{};
    std::array<QLabel*, 3> m_lblDisplay{};
    QPlainTextEdit* m_txtMessageDisplay = nullptr;
    QGroupBox* m_fraQCBlowoff = nullptr;
    QGroupBox* m_fraSpindleNumber = nullptr;
    NumericEntryField* m_spindle = nullptr;
    QPushButton* m_cmdSingleBlowoff = nullptr;
    QPushButton* m_cmdBlanketBlowoff = nullptr;
    QPushButton* m_cmdMandrelBlowoff = nullptr;
    QGroupBox* m_fraBadCanBlowoff = nullptr;
    QPushButton* m_cmdBadCanBlowoff = nullptr;
    QPushButton* m_cmdDefault = nullptr;
    TrendChart* m_trendChart = nullptr;
    double m_trendDrawnAt = 0; // when the trend was last drawn
};

} // namespace quelby
