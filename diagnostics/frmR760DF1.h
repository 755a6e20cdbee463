#pragma once

#include "views/RefreshCycleWindow.h"

#include <array>
#include <cstdint>
#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace quelby {

class NumericEntryField;
class UserPrompt;

// Serial Communications: the R760 DF1 board's status and link layer status as texts, and the
// DF1 set-up (PLC type, destination node, destination file number; data points 102..104).
// Online the window reads every status and set-up address on each pass and writes each
// accepted set-up edit to the board; offline the status rows show "-" and the set-up rows
// show the data set, editable while offline editing is on.
class frmR760DF1 : public RefreshCycleWindow {
    Q_OBJECT
public:
    frmR760DF1(ShellContext& shell, UserPrompt& prompt, QWidget* parent = nullptr);

    NumericEntryField* numberField(int index) const;
    QComboBox* plcTypeList() const { return m_cboSetup; }
    bool listEditing() const { return m_listEditing; }
    bool listReady() const { return m_listReady; }
    bool driverCheckPending() const { return m_driverCheckPending; }

    // A user's change of the PLC type: stored in data point 102 and, online with a healthy
    // link, written to B4001.0. Ignored until the window has set the list itself once.
    void cboSetup_Click(int index);

signals:
    // A status read ran through all addresses of the table.
    void statusReadFinished();

protected:
    void onlinePreparation() override;
    void offlinePreparation() override;
    QCoro::Task<bool> refreshPass(bool online) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls();
    void clearEditingFlags();
    void setStatusEnabled(bool enabled);
    void setSetupEnabled(bool enabled);
    // The window's own setting of the list: not a user change, writes nothing.
    void showPlcType(std::int32_t value);
    QCoro::Task<bool> offlineRefresh();
    QCoro::Task<bool> statusRead();
    // The link layer text of entry 7 for a B4303 value that is not 0: reads B4018 and B4019.
    // False when the link failed or the window went meanwhile.
    bool readLinkLayerStatus(std::string& text);
    // Reads F152 and warns when the driver is not enabled; a read the link could not
    // confirm leaves the check pending for the next status read.
    void checkDriver();

    UserPrompt& m_prompt;
    bool m_escOnce = false;
    bool m_listEditing = false; // editing flag 2
    bool m_listReady = false;
    // The DF1 driver flag still waits for a confirmed read this online period.
    bool m_driverCheckPending = false;
    bool m_offlineEditingSeen = false;
    std::array<QGroupBox*, 3> m_fraSetup{};
    std::array<QLabel*, 12> m_lblDescription{};
    std::array<QLabel*, 9> m_lblDisplay{};
    QComboBox* m_cboSetup = nullptr;
    std::array<NumericEntryField*, 2> m_txtSetup{};
    QPushButton* m_cmdDefault = nullptr;
};

} // namespace quelby
