#include "dialogs/TransferWindow.h"

#include "dialogs/CentreWindow.h"

#include <QCloseEvent>
#include <QTimer>

namespace quelby {

TransferWindow::TransferWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle("QUELBY");
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void TransferWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_started) return;
    m_started = true;
    prepare();
    CentreWindow(*this);
    QTimer::singleShot(0, this, &TransferWindow::activate);
}

void TransferWindow::activate() {
    runTransfer();
    m_finished = true;
    accept();
}

void TransferWindow::closeEvent(QCloseEvent* event) {
    if (m_finished) {
        QDialog::closeEvent(event);
        return;
    }
    closeRequested();
    event->ignore();
}

void TransferWindow::reject() {
    if (m_finished)
        QDialog::reject();
    else
        closeRequested();
}

} // namespace quelby
