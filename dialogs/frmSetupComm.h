#pragma once

#include "dialogs/frmFindBoard.h"
#include "link/PortMap.h"

#include <QDialog>

#include <array>
#include <filesystem>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quelby {

class RSComm;
class SerialPort;
class UpDownControl;
class UserPrompt;

// Edit > Comm Port, "Comm Port Settings": the port number and speed of the link. Save closes
// the link, writes the settings file and the development tools' HALBIX.SFG files, and reopens
// the link when the program was online; the dialog stays open when that finds no board.
// Beside the number it shows the device the number stands for on this computer.
class frmSetupComm : public QDialog {
    Q_OBJECT

public:
    // `commObj` is the port the link is reopened on; `home` holds Support/ and CORE1..CORE3.
    frmSetupComm(RSComm& link, SerialPort& commObj, UserPrompt& prompt, std::filesystem::path home,
                 QWidget* parent = nullptr);

    // The port field check: false, with the range message and the focus put back into the
    // field, when it holds no number between the up-down's limits.
    bool checkPortField();
    // cmdSave. A file that cannot be written ends the save silently; the dialog stays open.
    // A board picked with Find Board on a device without a number has its port map line
    // written first.
    void save();
    // Shows "Find Board..." with this search behind it. The button works while the link's
    // port is closed: the device in use would be busy to the search.
    void setBoardSearch(frmFindBoard::Search search);
    // cmdFindBoard: the search, then the board picked fills in the number and speed.
    void findBoard();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void loadCurrentSettings();
    // The field's number when it is numeric and within the up-down's limits.
    std::optional<double> portFieldValue() const;
    void portTextChanged();
    void checkAfterLeaving();

    RSComm& m_link;
    SerialPort& m_commObj;
    UserPrompt& m_prompt;
    std::filesystem::path m_home;
    PortMap m_portMap;
    bool m_savedOnlineMode = false; // SavedOnlineMode
    bool m_centred = false;

    QLineEdit* m_txtCommPort = nullptr;
    UpDownControl* m_updCommPort = nullptr;
    QLabel* m_lblPortDevice = nullptr;
    std::array<QRadioButton*, 2> m_optPortSpeed{};
    frmFindBoard::Search m_search;
    std::optional<PortChoice> m_found; // the board picked with Find Board, until saved
    QPushButton* m_cmdFindBoard = nullptr;
    QPushButton* m_cmdSave = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};

} // namespace quelby
