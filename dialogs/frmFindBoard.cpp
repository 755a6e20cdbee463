#include "dialogs/frmFindBoard.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace quelby {

frmFindBoard::frmFindBoard(std::vector<SearchResult> results, QWidget* parent)
    : QDialog(parent), m_results(std::move(results)) {
    setObjectName("frmFindBoard");
    setWindowTitle("Find Board");
    int boards = 0;
    for (const SearchResult& result : m_results) boards += result.outcome == SearchResult::Outcome::Board;
    auto* summary = new QLabel(
        m_results.empty() ? QString("This computer has no serial device to try.")
        : boards == 0     ? QString("No board answered on any serial device.")
                          : QString("Choose the board to use, then save the settings."),
        this);
    summary->setObjectName("lblFindSummary");
    m_lstBoards = new QListWidget(this);
    m_lstBoards->setObjectName("lstBoards");
    for (const SearchResult& result : m_results) {
        const QString line = QString::fromStdString(SearchResultLine(result));
        auto* item = new QListWidgetItem(line, m_lstBoards);
        item->setToolTip(line);
        if (result.outcome != SearchResult::Outcome::Board) item->setFlags(Qt::ItemIsEnabled);
    }
    // Wide enough for the lines, but a long reason must not push the dialog off the screen:
    // the list scrolls then, and each line's tip holds the whole of it.
    const int screenWidth = screen() ? screen()->availableGeometry().width() : 1024;
    m_lstBoards->setMinimumWidth(std::min(m_lstBoards->sizeHintForColumn(0) + 24, screenWidth * 3 / 4));
    m_cmdUse = new QPushButton("&Use", this);
    m_cmdUse->setObjectName("cmdUse");
    m_cmdUse->setEnabled(false);
    m_cmdUse->setDefault(true);
    auto* cancel = new QPushButton("&Cancel", this);
    cancel->setObjectName("cmdCancel");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdUse);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(m_lstBoards);
    layout->addLayout(buttons);

    connect(m_lstBoards, &QListWidget::itemSelectionChanged, this, &frmFindBoard::selectionChanged);
    connect(m_lstBoards, &QListWidget::itemDoubleClicked, this, &frmFindBoard::use);
    connect(m_cmdUse, &QPushButton::clicked, this, &frmFindBoard::use);
    connect(cancel, &QPushButton::clicked, this, &frmFindBoard::reject);
    // The first board is picked already: one board found is one click.
    for (std::size_t i = 0; i < m_results.size(); ++i)
        if (m_results[i].outcome == SearchResult::Outcome::Board) {
            m_lstBoards->setCurrentRow(static_cast<int>(i));
            break;
        }
}

void frmFindBoard::selectionChanged() {
    const int row = m_lstBoards->currentRow();
    m_cmdUse->setEnabled(row >= 0 && m_lstBoards->currentItem()->isSelected() &&
                         m_results[static_cast<std::size_t>(row)].outcome ==
                             SearchResult::Outcome::Board);
}

void frmFindBoard::use() {
    const int row = m_lstBoards->currentRow();
    if (row < 0 || m_results[static_cast<std::size_t>(row)].outcome != SearchResult::Outcome::Board)
        return;
    m_chosen = m_results[static_cast<std::size_t>(row)];
    accept();
}

std::optional<SearchResult> frmFindBoard::FindBoard(const Search& search, QWidget* parent) {
    QProgressDialog progress("Searching the serial devices for a board ...", "&Cancel", 0, 0, parent);
    progress.setObjectName("frmFindBoardProgress");
    progress.setWindowTitle("Find Board");
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.show();
    QApplication::processEvents();
    std::vector<SearchResult> results = search([&](const SearchDevice& device, int baud) {
        progress.setLabelText(QString("Trying %1 at %2 baud ...")
                                  .arg(QString::fromStdString(device.device))
                                  .arg(baud));
        QApplication::processEvents();
        return !progress.wasCanceled();
    });
    const bool cancelled = progress.wasCanceled();
    progress.close();
    if (cancelled) return std::nullopt;
    frmFindBoard list(std::move(results), parent);
    if (list.exec() != QDialog::Accepted) return std::nullopt;
    return list.chosen();
}

} // namespace quelby
