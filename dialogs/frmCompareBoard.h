#pragma once

#include "app/data/BoardCompare.h"

#include <QDialog>

#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QTableWidget;

namespace quelby {

// "Compare with Board": the data set beside the board as just read, a row an item that
// differs, with the sections to compare (the live shift counters always differ on a running
// line). Reads and writes nothing itself.
class frmCompareBoard : public QDialog {
    Q_OBJECT

public:
    // `rowsFor` gives the rows of the chosen sections.
    using Rows = std::function<std::vector<BoardCompareRow>(const CompareSections&)>;
    explicit frmCompareBoard(Rows rowsFor, QWidget* parent = nullptr);

private:
    void showRows();

    Rows m_rowsFor;
    QCheckBox* m_chkSetup = nullptr;
    QCheckBox* m_chkTiming = nullptr;
    QCheckBox* m_chkShift = nullptr;
    QLabel* m_lblSummary = nullptr;
    QTableWidget* m_tblDifferences = nullptr;
};

} // namespace quelby
