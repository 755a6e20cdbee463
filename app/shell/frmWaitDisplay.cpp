#include "app/shell/frmWaitDisplay.h"

#include "dialogs/CentreWindow.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

namespace quelby {

frmWaitDisplay::frmWaitDisplay(WaitReason reason, QWidget* parent) : QDialog(parent) {
    setObjectName("frmWaitDisplay");
    setWindowTitle("Please Standby");
    setModal(false);
    m_label = new QLabel(reason == WaitReason::PrintReport
                             ? "Generating Report, Please Standby ..."
                             : "Please Standby ...",
                         this);
    m_label->setObjectName("lblWait");
    m_label->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    setFixedSize(sizeHint().expandedTo(QSize(320, 90)));
}

QString frmWaitDisplay::labelText() const {
    return m_label->text();
}

void frmWaitDisplay::showCentred() {
    CentreWindow(*this);
    show();
    // Once, so the window is drawn before the job; the user's input waits for the job's end.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmWaitDisplay::finish() {
    hide();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace quelby
