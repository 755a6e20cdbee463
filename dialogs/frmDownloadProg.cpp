#include "dialogs/frmDownloadProg.h"

#include "link/RSComm.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace quelby {
namespace {
constexpr int kTimerIntervalMs = 250;
} // namespace

frmDownloadProg::frmDownloadProg(RSComm& link, QWidget* parent)
    : TransferWindow(parent), m_link(link) {
    setObjectName("frmDownloadProg");
    setWindowFlag(Qt::WindowCloseButtonHint, false);

    auto* frame = new QGroupBox(this);
    frame->setObjectName("fraWaitDisplay");
    m_label = new QLabel("Sending Program at Address: 0000H", frame);
    m_label->setObjectName("lblWaitDisplay");
    m_label->setAlignment(Qt::AlignCenter);
    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(m_label);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    setFixedSize(360, 90);

    m_timer.setObjectName("Timer1");
    m_timer.setInterval(kTimerIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &frmDownloadProg::showTransferState);
}

void frmDownloadProg::SetTransferMode(short Mode) {
    m_mode = Mode;
}

QString frmDownloadProg::labelText() const {
    return m_label->text();
}

void frmDownloadProg::prepare() {
    m_label->setText(m_mode == Read ? "Reading Program at Address: "
                                    : "Sending Program at Address: ");
    m_timer.stop();
}

void frmDownloadProg::runTransfer() {
    m_timer.start();
    m_link.SetEventHook([] { QCoreApplication::processEvents(); });
    if (m_mode == Read)
        m_link.UploadProgram();
    else
        m_link.DumpProgram();
    m_link.SetEventHook({});
    m_timer.stop();
    m_mode = Send;
    QCoreApplication::processEvents();
}

void frmDownloadProg::showTransferState() {
    if (m_mode == Send && m_link.InProgramMode()) {
        m_label->setText(m_link.WritingIdent()
                             ? QString("Writing Program Ident ... ")
                             : "Writing to Program Address: " +
                                   QString::fromStdString(m_link.CurrentProgramAdd()));
    } else if (m_mode == Read && m_link.InUploadMode) {
        m_label->setText(m_link.ReadingIdent()
                             ? QString("Reading Program Ident ... ")
                             : "Reading From Program Address: " +
                                   QString::fromStdString(m_link.CurrentProgramAdd()));
    }
}

} // namespace quelby
