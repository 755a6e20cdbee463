#include "app/shell/frmProcessing.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelby {

frmProcessing::frmProcessing(RSComm& link, UserPrompt& prompt, MachineData& currentData,
                             TransferRequest request, QWidget* parent)
    : TransferWindow(parent),
      m_transfer(link, prompt, currentData, request,
                 {[] { QCoreApplication::processEvents(); },
                  [this](const TransferProgress& progress) { showProgress(progress); }}) {
    setObjectName("frmProcessing");

    auto* frame = new QGroupBox("Processing Request:", this);
    frame->setObjectName("fraProcessing");
    m_label = new QLabel(frame);
    m_label->setObjectName("lblProcessing");
    m_bar = new QProgressBar(frame);
    m_bar->setObjectName("prgProcessing");
    m_cancel = new QPushButton("&Cancel", frame);
    m_cancel->setObjectName("cmdCancel");
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_transfer.Cancel(); });

    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(m_label);
    inner->addWidget(m_bar);
    inner->addWidget(m_cancel, 0, Qt::AlignHCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    setFixedWidth(420);

    m_bar->setMinimum(0);
    showProgress(m_transfer.Progress());
}

frmProcessing::~frmProcessing() = default;

void frmProcessing::showProgress(const TransferProgress& progress) {
    m_bar->setMaximum(progress.maximum);
    m_bar->setValue(progress.value);
    m_label->setText(QString::fromStdString(progress.label));
}

void frmProcessing::runTransfer() {
    m_outcome = m_transfer.Run();
}

} // namespace quelby
