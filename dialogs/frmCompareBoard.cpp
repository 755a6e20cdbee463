#include "dialogs/frmCompareBoard.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quelby {

frmCompareBoard::frmCompareBoard(Rows rowsFor, QWidget* parent)
    : QDialog(parent), m_rowsFor(std::move(rowsFor)) {
    setObjectName("frmCompareBoard");
    setWindowTitle("Compare with Board");
    m_chkSetup = new QCheckBox("&Set-up Parameters", this);
    m_chkSetup->setObjectName("chkSetup");
    m_chkTiming = new QCheckBox("&Timing Channels", this);
    m_chkTiming->setObjectName("chkTiming");
    m_chkShift = new QCheckBox("Shift &Data", this);
    m_chkShift->setObjectName("chkShift");
    for (QCheckBox* box : {m_chkSetup, m_chkTiming, m_chkShift}) {
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this, &frmCompareBoard::showRows);
    }
    m_lblSummary = new QLabel(this);
    m_lblSummary->setObjectName("lblSummary");
    m_tblDifferences = new QTableWidget(0, 3, this);
    m_tblDifferences->setObjectName("tblDifferences");
    m_tblDifferences->setHorizontalHeaderLabels({"Item", "Data Set", "Board"});
    m_tblDifferences->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tblDifferences->verticalHeader()->hide();
    m_tblDifferences->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    auto* close = new QPushButton("&Close", this);
    close->setObjectName("cmdClose");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &frmCompareBoard::accept);

    auto* sections = new QHBoxLayout;
    sections->addWidget(new QLabel("Compare:", this));
    for (QCheckBox* box : {m_chkSetup, m_chkTiming, m_chkShift}) sections->addWidget(box);
    sections->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sections);
    layout->addWidget(m_lblSummary);
    layout->addWidget(m_tblDifferences, 1);
    layout->addLayout(buttons);
    resize(640, 420);
    showRows();
}

void frmCompareBoard::showRows() {
    const CompareSections sections{m_chkSetup->isChecked(), m_chkTiming->isChecked(),
                                   m_chkShift->isChecked()};
    const std::vector<BoardCompareRow> rows = m_rowsFor(sections);
    m_tblDifferences->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const BoardCompareRow& row = rows[static_cast<std::size_t>(r)];
        int column = 0;
        for (const std::string* text : {&row.what, &row.dataSet, &row.board})
            m_tblDifferences->setItem(r, column++, new QTableWidgetItem(QString::fromStdString(*text)));
    }
    m_lblSummary->setText(rows.empty() ? QString("No differences")
                                       : QString("%1 item(s) differ or were not read").arg(rows.size()));
}

} // namespace quelby
