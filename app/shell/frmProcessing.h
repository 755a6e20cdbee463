#pragma once

#include "app/data/DataTransfer.h"
#include "dialogs/TransferWindow.h"

#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace quelby {

// The modal progress window of a data transfer: a frame "Processing Request:" with the label,
// the progress bar and Cancel. Once shown it runs the transfer, letting pending events run at
// every step (Cancel and the status poll among them), then hides itself, which ends exec().
class frmProcessing : public TransferWindow {
    Q_OBJECT

public:
    // Loading: centred, the bar at 0 of the request's maximum, the request's label.
    frmProcessing(RSComm& link, UserPrompt& prompt, MachineData& currentData,
                  TransferRequest request, QWidget* parent = nullptr);
    ~frmProcessing() override;

    // How the transfer ended; nullopt until it has run.
    const std::optional<TransferOutcome>& outcome() const { return m_outcome; }

protected:
    void runTransfer() override;
    // While the transfer runs the close box and Escape act as Cancel.
    void closeRequested() override { m_transfer.Cancel(); }

private:
    void showProgress(const TransferProgress& progress);

    DataTransfer m_transfer;
    QLabel* m_label = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_percent = nullptr; // beside the bar, never across its fill edge
    QPushButton* m_cancel = nullptr;
    std::optional<TransferOutcome> m_outcome;
};

} // namespace quelby
