#pragma once

#include <QDialog>

namespace quelby {

// A small modal window that runs one transfer once it is shown, centred, and closes itself when
// the transfer returns. Until then the close box and Escape cannot close it (the transfer still
// uses the window); they call closeRequested() instead.
class TransferWindow : public QDialog {
    Q_OBJECT

public:
    explicit TransferWindow(QWidget* parent = nullptr);

protected:
    // Loading, once, as the window is first shown.
    virtual void prepare() {}
    // Activation: the whole transfer. Runs once the window is up and drawn.
    virtual void runTransfer() = 0;
    // The close box or Escape while the transfer runs.
    virtual void closeRequested() {}

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void activate();

    bool m_started = false;
    bool m_finished = false;
};

} // namespace quelby
