#pragma once

#include "dialogs/TransferWindow.h"

#include <QTimer>

class QLabel;

namespace quelby {

class RSComm;

// The small window shown while a program goes to the board (mode 0, DumpProgram) or comes back
// from it (mode 1, UploadProgram). Once shown it runs the transfer, letting events run between
// records; Timer1 shows the address every 250 ms. It closes itself when the transfer returns.
class frmDownloadProg : public TransferWindow {
    Q_OBJECT

public:
    enum TransferMode : short { Send = 0, Read = 1 };

    explicit frmDownloadProg(RSComm& link, QWidget* parent = nullptr);

    // Called before the window is shown; without it the window sends.
    void SetTransferMode(short Mode = Send);
    short transferMode() const { return m_mode; }
    QString labelText() const;

    // Timer1's tick: the address being sent or read, or the ident being written or read;
    // the label keeps its text outside a transfer.
    void showTransferState();

protected:
    // The label for the mode, the timer off.
    void prepare() override;
    // DumpProgram or UploadProgram. The close box and Escape do nothing meanwhile: the board
    // would stay in program mode.
    void runTransfer() override;

private:
    RSComm& m_link;
    QLabel* m_label = nullptr;
    QTimer m_timer; // Timer1
    short m_mode = Send;
};

} // namespace quelby
