#pragma once

#include "app/data/ServiceLog.h"

#include <QDialog>

#include <filesystem>
#include <vector>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTableView;

namespace quelby {

class FileDialogs;
class ServiceLogModel;
class UserPrompt;

// "Service Log": the changes made to the board, newest first, narrowed by dates and a text,
// and the events shown exported as CSV. Reads the log of the settings folder `home` when
// opened and on Refresh; never writes it.
class frmServiceLog : public QDialog {
    Q_OBJECT

public:
    frmServiceLog(std::filesystem::path home, FileDialogs& dialogs, UserPrompt& prompt,
                  QWidget* parent = nullptr);
    ~frmServiceLog() override;

    // Reads the log again and shows it through the filter in place.
    void refresh();
    // Asks for a file and writes the events shown to it as CSV; a failure is a message.
    void exportCsv();

private:
    ServiceLogFilter filter() const;
    void showRows();

    std::filesystem::path m_home;
    FileDialogs& m_dialogs;
    UserPrompt& m_prompt;
    ServiceLogContents m_contents;
    ServiceLogModel* m_model = nullptr;
    QCheckBox* m_chkFrom = nullptr;
    QCheckBox* m_chkTo = nullptr;
    QDateEdit* m_dtpFrom = nullptr;
    QDateEdit* m_dtpTo = nullptr;
    QLineEdit* m_txtFilter = nullptr;
    QTableView* m_grdEvents = nullptr;
    QLabel* m_lblStatus = nullptr;
};

} // namespace quelby
