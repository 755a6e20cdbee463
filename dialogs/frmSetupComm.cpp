#include "dialogs/frmSetupComm.h"

#include "dialogs/CentreWindow.h"
#include "app/data/CommSettingsSave.h"
#include "link/LinkSettings.h"
#include "link/RSComm.h"
#include "dialogs/SetupCommMessages.h"
#include "views/UpDownControl.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace quelby {

frmSetupComm::frmSetupComm(RSComm& link, SerialPort& commObj, UserPrompt& prompt,
                           std::filesystem::path home, QWidget* parent)
    : QDialog(parent), m_link(link), m_commObj(commObj), m_prompt(prompt), m_home(std::move(home)),
      m_portMap(PortMap::load(PortMap::FileIn(m_home))) {
    setObjectName("frmSetupComm");
    setWindowTitle("Comm Port Settings");

    auto* fraCommPort = new QGroupBox("Comm Port", this);
    fraCommPort->setObjectName("fraCommPort");
    m_txtCommPort = new QLineEdit("1", fraCommPort);
    m_txtCommPort->setObjectName("txtCommPort");
    m_txtCommPort->installEventFilter(this);
    // The up-down arrows step the number in the field and write it back into the field.
    m_updCommPort = new UpDownControl(fraCommPort);
    m_updCommPort->setObjectName("updCommPort");
    m_updCommPort->setRange(PortMap::FirstPort, PortMap::LastPort);
    m_updCommPort->setIncrement(1);
    m_updCommPort->setValue(1);
    m_updCommPort->setBuddy(m_txtCommPort);
    m_updCommPort->setFixedSize(m_txtCommPort->sizeHint().height() * 3 / 4,
                                m_txtCommPort->sizeHint().height());
    m_lblPortDevice = new QLabel(fraCommPort);
    m_lblPortDevice->setObjectName("lblPortDevice");
    auto* portRow = new QHBoxLayout;
    portRow->setSpacing(0);
    portRow->addWidget(m_txtCommPort);
    portRow->addWidget(m_updCommPort);
    auto* portLayout = new QVBoxLayout(fraCommPort);
    portLayout->addLayout(portRow);
    portLayout->addWidget(m_lblPortDevice);

    auto* fraPortSpeed = new QGroupBox("Port Speed", this);
    fraPortSpeed->setObjectName("fraPortSpeed");
    auto* speedLayout = new QVBoxLayout(fraPortSpeed);
    static const char* const kSpeeds[2] = {"9600", "19200"};
    for (std::size_t i = 0; i < m_optPortSpeed.size(); ++i) {
        m_optPortSpeed[i] = new QRadioButton(kSpeeds[i], fraPortSpeed);
        m_optPortSpeed[i]->setObjectName(QString("optPortSpeed_%1").arg(i));
        speedLayout->addWidget(m_optPortSpeed[i]);
    }
    m_optPortSpeed[0]->setChecked(true);

    m_cmdFindBoard = new QPushButton("&Find Board...", this);
    m_cmdFindBoard->setObjectName("cmdFindBoard");
    m_cmdFindBoard->setVisible(false);
    m_cmdSave = new QPushButton("&Save", this);
    m_cmdSave->setObjectName("cmdSave");
    m_cmdCancel = new QPushButton("&Cancel", this);
    m_cmdCancel->setObjectName("cmdCancel");

    auto* frames = new QHBoxLayout;
    frames->addWidget(fraCommPort);
    frames->addWidget(fraPortSpeed);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdFindBoard);
    buttons->addStretch();
    buttons->addWidget(m_cmdSave);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frames);
    layout->addLayout(buttons);

    connect(m_txtCommPort, &QLineEdit::textChanged, this, &frmSetupComm::portTextChanged);
    connect(m_cmdFindBoard, &QPushButton::clicked, this, &frmSetupComm::findBoard);
    connect(m_cmdSave, &QPushButton::clicked, this, &frmSetupComm::save);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmSetupComm::reject);

    m_savedOnlineMode = m_link.OnlineMode;
    loadCurrentSettings();
    portTextChanged();
}

void frmSetupComm::loadCurrentSettings() {
    const LoadedLinkSettings loaded = LoadLinkSettings(m_link.CommSettingsFile());
    if (loaded.state == SettingsFileState::Unreadable) {
        m_prompt.ask(SetupCommMessages::CurrentSettingsError(loaded.error));
        return;
    }
    // LoadLinkSettings clamps the number into 1..99 and keeps only 9600 and 19200.
    m_txtCommPort->setText(QString::number(loaded.settings.portNumber));
    m_optPortSpeed[loaded.settings.baud() == 19200 ? 1 : 0]->setChecked(true);
}

std::optional<double> frmSetupComm::portFieldValue() const {
    bool numeric = false;
    const double value = m_txtCommPort->text().trimmed().toDouble(&numeric);
    if (!numeric || !(value >= m_updCommPort->minimum() && value <= m_updCommPort->maximum()))
        return std::nullopt;
    return value;
}

bool frmSetupComm::checkPortField() {
    if (portFieldValue()) return true;
    m_prompt.ask(
        SetupCommMessages::PortOutOfRange(m_updCommPort->minimum(), m_updCommPort->maximum()));
    m_txtCommPort->setFocus(Qt::OtherFocusReason);
    m_txtCommPort->selectAll();
    return false;
}

void frmSetupComm::portTextChanged() {
    const std::optional<double> value = portFieldValue();
    if (!value) {
        m_lblPortDevice->clear();
        return;
    }
    const int port = static_cast<int>(std::nearbyint(*value));
    m_updCommPort->setValue(port);
    // A device given on the command line serves every port number for this run.
    if (const std::string given = m_commObj.deviceForEveryPort(); !given.empty()) {
        m_lblPortDevice->setText(QString::fromStdString(given) + " (given with --device, this run)");
        return;
    }
    if (m_found && m_found->portNumber == port && !m_found->newMapLine.empty()) {
        const std::string& line = m_found->newMapLine;
        m_lblPortDevice->setText(QString::fromStdString(line.substr(line.find('=') + 1)) +
                                 " (found; numbered in Support/SerialPorts.cfg when saved)");
        return;
    }
    const QString device = QString::fromStdString(m_portMap.deviceFor(port));
    m_lblPortDevice->setText(device +
                             (m_portMap.deviceExists(port) ? " (present)" : " (not found)"));
}

bool frmSetupComm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_txtCommPort && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Switching to another window, a message box among them, is not leaving the field;
        // neither is going for Cancel, which needs no valid number.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            QApplication::focusWidget() != m_cmdCancel)
            QTimer::singleShot(0, this, &frmSetupComm::checkAfterLeaving);
    }
    return QDialog::eventFilter(watched, event);
}

// Runs once the focus has settled; Save's own check may have put the focus back already.
void frmSetupComm::checkAfterLeaving() {
    if (!isVisible() || m_txtCommPort->hasFocus()) return;
    if (QApplication::focusWidget() == m_cmdCancel) return;
    checkPortField();
}

void frmSetupComm::save() {
    if (!checkPortField()) return;
    m_link.CloseRSComm();

    // Whole number, halves to the even neighbour (the default rounding mode).
    const int port = std::clamp(static_cast<int>(std::nearbyint(*portFieldValue())),
                                PortMap::FirstPort, PortMap::LastPort);
    const int speed = m_optPortSpeed[1]->isChecked() ? 19200 : 9600;
    std::error_code error;
    if (m_found && m_found->portNumber == port && !m_found->newMapLine.empty()) {
        if (!AddPortMapLine(PortMap::FileIn(m_home), m_found->newMapLine, error)) {
            m_prompt.ask(SetupCommMessages::PortMapError(error));
            return;
        }
        m_found.reset();
    }
    // The port opens by the map as the file has it now, numbers added by hand included.
    m_portMap = PortMap::load(PortMap::FileIn(m_home));
    m_commObj.setPortMap(m_portMap);
    if (!SaveCommSettings(m_link.CommSettingsFile(), m_home, port, speed, error)) return;

    if (!m_savedOnlineMode) {
        accept();
        return;
    }
    m_link.OpenRSComm(m_commObj);
    if (m_link.OnlineMode)
        accept();
    else
        m_link.OnlineMode = false; // stay open so that another port can be tried
}

void frmSetupComm::setBoardSearch(frmFindBoard::Search search) {
    m_search = std::move(search);
    m_cmdFindBoard->setVisible(static_cast<bool>(m_search));
}

void frmSetupComm::findBoard() {
    if (!m_search) return;
    if (m_link.PortOpen()) {
        m_prompt.ask(SetupCommMessages::FindBoardWhileOnline());
        return;
    }
    const std::optional<SearchResult> board = frmFindBoard::FindBoard(m_search, this);
    if (!board) return;
    const std::optional<PortChoice> choice = PortChoiceFor(m_portMap, *board);
    if (!choice) {
        m_prompt.ask(SetupCommMessages::NoFreePortNumber(board->where.device));
        return;
    }
    m_found = choice;
    m_optPortSpeed[choice->baud == 19200 ? 1 : 0]->setChecked(true);
    m_txtCommPort->setText(QString::number(choice->portNumber));
    portTextChanged();
}

void frmSetupComm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_centred) return;
    m_centred = true;
    CentreWindow(*this);
}

} // namespace quelby
