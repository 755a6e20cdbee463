#include "app/shell/frmProcessing.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

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

    m_bar->setTextVisible(false);
    m_percent = new QLabel(frame);
    m_percent->setObjectName("lblPercent");
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_percent->setMinimumWidth(m_percent->fontMetrics().horizontalAdvance(QStringLiteral("100 %")));

    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(m_label);
    auto* barRow = new QHBoxLayout;
    barRow->addWidget(m_bar, 1);
    barRow->addWidget(m_percent);
    inner->addLayout(barRow);
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
    const int percent = progress.maximum > 0 ? int(std::lround(100.0 * progress.value / progress.maximum)) : 0;
    m_percent->setText(QStringLiteral("%1 %").arg(percent));
    m_label->setText(QString::fromStdString(progress.label));
}

void frmProcessing::runTransfer() {
    m_outcome = m_transfer.Run();
}

} // namespace quelby
