#pragma once

#include "app/data/TargetBoardSetup.h"
#include "views/RefreshCycleWindow.h"

#include <array>
#include <filesystem>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabBar;

namespace quelby {

class Clock;
class NumericEntryField;
class UserPrompt;

// Target Board Interface: the board's fault and communication error codes with their
// descriptions and the corrective action, the program identity in the board and on disk,
// the network addresses and the board clock. It opens modally over the shell for one program
// file and works only online: once per online period a pass reads the faults and the
// identity, and every cycle after it polls the eight set-up fields; offline it says it
// cannot communicate and offers Go Online.
class frmTargetBoard : public RefreshCycleWindow {
    Q_OBJECT
public:
    frmTargetBoard(ShellContext& shell, UserPrompt& prompt, Clock& clock,
                   std::filesystem::path homeFolder, QWidget* parent = nullptr);

    // Prepares all four tabs for the program file `halbixFile`, then shows the window modally
    // and returns once it has closed. False, after the "InitializeForm" message and without
    // showing anything, when a file of the program set could not be read.
    bool InitializeForm(const std::filesystem::path& halbixFile);
    // The opening steps alone (no board access): board type, on-disk ident, fields by board
    // type. False after the "InitializeForm" message.
    bool prepare(const std::filesystem::path& halbixFile);

    int boardType() const { return m_boardType; }
    bool onlinePassDone() const { return m_onlinePassDone; }
    const std::array<std::string, 6>& codes() const { return m_codes; }
    NumericEntryField* setupField(int index) const;
    // Shows tab `index` (0..3) as a click on it does.
    void showTab(int index);

    void cmdGoOnline_Click();
    void cmdResetFaults_Click();
    void cmdOk_Click();
    void cmdSetToCurrTime_Click();
    void cmdSetToCurrDate_Click();

signals:
    // The window closed: its cycle ends and InitializeForm returns.
    void closed();

protected:
    void onlinePreparation() override;
    void offlinePreparation() override;
    QCoro::Task<bool> refreshPass(bool online) override;

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    QWidget* buildFaultsTab();
    QWidget* buildIdentTab();
    QWidget* buildNetworkTab();
    QWidget* buildClockTab();
    void setUpFieldsForBoardType();
    void fillOnDiskLabels();

    // The online pass: false when the window went or was told to close meanwhile.
    QCoro::Task<bool> onlinePass();
    // Reads the program identity in the board; false when the window went meanwhile.
    // `complete` is set when all ten values came back confirmed.
    QCoro::Task<bool> readBoardIdent(bool& complete);
    QCoro::Task<bool> addressPoll();
    // Puts the descriptions of the codes of `entries` found in `file` into their fields;
    // false after the "TargetBoard FirstPass" message when the file could not be read.
    bool showDescriptions(const std::filesystem::path& file, std::array<int, 2> entries);
    void enableFieldsOnline();
    void disableFieldsOffline();
    void showClock();
    // Set to Current Time or Date: one reading of the PC clock for the three writes, then the
    // three values read back; "not held" is reported when the board keeps another value.
    void writeClock(const std::array<ClockWrite, 3>& writes, bool time);

    void setDisplay(int entry, const QString& text);
    void setFieldEnabled(int index, bool enabled);
    void setFieldShown(int index, bool shown);
    void setClockControlsEnabled(bool enabled);
    bool fieldCaptionShown(int index) const;

    UserPrompt& m_prompt;
    Clock& m_clock;
    std::filesystem::path m_home;

    int m_boardType = 0;
    OnDiskIdent m_onDisk;
    std::array<std::string, 6> m_codes{};
    bool m_onlinePassDone = false;
    // Counts requests for a fresh online pass (Reset Faults); a pass that saw one arrive
    // while it ran is not done.
    int m_passRequests = 0;
    int m_rememberedSecond = -1;
    bool m_escOnce = false;
    bool m_closedSignalled = false;

    QTabBar* m_tabTargetBoard = nullptr;
    std::array<QGroupBox*, 4> m_fraTargetBoard{};
    std::array<QLabel*, 6> m_lblTargetBoard{};
    std::array<QWidget*, 6> m_txtTargetBoard{}; // no field 2: the slot is in label 2
    QPushButton* m_cmdResetFaults = nullptr;
    QPushButton* m_cmdGoOnline = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdDefault = nullptr;
    std::array<QLabel*, 3> m_lblRevIdentInPLC{};
    std::array<QLabel*, 5> m_lblRevIdentOnDisk{};
    std::array<QLabel*, 8> m_lblSetupDesc{};
    std::array<NumericEntryField*, 8> m_txtSetup{};
    QLabel* m_lblNetworkAddComment = nullptr;
    QLabel* m_lblTargetBoardTime = nullptr;
    QLabel* m_lblTargetBoardDate = nullptr;
    QLabel* m_lblCurrTime = nullptr;
    QLabel* m_lblCurrDate = nullptr;
    QPushButton* m_cmdSetToCurrTime = nullptr;
    QPushButton* m_cmdSetToCurrDate = nullptr;
};

} // namespace quelby
