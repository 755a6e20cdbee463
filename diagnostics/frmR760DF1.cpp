#include "diagnostics/frmR760DF1.h"

#include "app/data/DataSet.h"
#include "app/data/Df1Status.h"
#include "app/data/TransferValues.h"
#include "link/RSComm.h"
#include "views/BoardWrite.h"
#include "link/UserPrompt.h"
#include "views/EntryTextBox.h"
#include "views/NumericEntryField.h"
#include "views/ShellContext.h"
#include "views/UpDownControl.h"
#include "views/ParkingButton.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace quelby {
namespace {

constexpr const char* kCaptions[12] = {
    "R760 Configuration Status:",
    "Transmit Data Status",
    "Transmit Data Status (prev.):",
    "Current Transaction:",
    "Active Command:",
    "Number of BYTES Received:",
    "Received Command BIT Status",
    "Status:",
    "Current Transaction Received:",
    "&PLC Type:",
    "&Destination Node:",
    "Desination File &Number:",
};
constexpr const char* kFrameCaptions[3] = {"R760-DF1 Communication Status", "A/B Link Layer Status",
                                           "DF1 Communication Set-up"};
constexpr int kFirstLinkLayerRow = 7;
constexpr int kSetupFrame = 2;

NumericEntryOptions NumberFieldOptions(int index) {
    NumericEntryOptions options;
    options.textName = QString("txtSetup_%1").arg(index);
    options.upDownName = QString("updSetup_%1").arg(index);
    options.title = "R760DF1 Set-up";
    options.minimum = 0;
    options.maximum = kDf1NumberFieldMax;
    options.rememberAsWord = true;
    options.dataPoint = kDf1FirstNumberDataPoint + index;
    const int entry = kDf1PlcTypeEntry + 1 + index;
    options.boardAddress = kDf1Entries[static_cast<std::size_t>(entry)].address;
    return options;
}

QString StatusText(Df1Shown shown, const std::string& text) {
    const auto value = static_cast<std::uint32_t>(ValueFromBoardText(text));
    switch (shown) {
    case Df1Shown::ConfigurationStatus:
        return QString::fromStdString(Df1ConfigurationStatusText(value));
    case Df1Shown::TransmitStatus:
        return QString::fromStdString(Df1TransmitStatusText(value));
    case Df1Shown::ActiveCommand:
        return QString::fromStdString(Df1ActiveCommandText(value));
    case Df1Shown::ReceivedCommand:
        return QString::fromStdString(Df1ReceivedCommandText(value));
    default:
        return QString::fromStdString(text).trimmed();
    }
}

} // namespace

frmR760DF1::frmR760DF1(ShellContext& shell, UserPrompt& prompt, QWidget* parent)
    : RefreshCycleWindow(shell, parent), m_prompt(prompt),
      m_offlineEditingSeen(shell.offlineEditing()) {
    setObjectName("frmR760DF1");
    setWindowTitle("R760DF1");
    buildControls();
}

NumericEntryField* frmR760DF1::numberField(int index) const {
    return index == 0 || index == 1 ? m_txtSetup[static_cast<std::size_t>(index)] : nullptr;
}

void frmR760DF1::buildControls() {
    auto* layout = new QVBoxLayout(this);
    std::array<QGridLayout*, 3> grids{};
    for (std::size_t f = 0; f < m_fraSetup.size(); ++f) {
        m_fraSetup[f] = new QGroupBox(QString::fromLatin1(kFrameCaptions[f]), this);
        m_fraSetup[f]->setObjectName(QString("fraSetup_%1").arg(f));
        grids[f] = new QGridLayout(m_fraSetup[f]);
        grids[f]->setColumnStretch(1, 1);
        layout->addWidget(m_fraSetup[f]);
    }
    layout->addStretch(1);

    for (std::size_t i = 0; i < m_lblDescription.size(); ++i) {
        const std::size_t frame = i < kFirstLinkLayerRow ? 0 : i < kDf1DisplayCount ? 1 : 2;
        const int row = static_cast<int>(i) - (frame == 0 ? 0 : frame == 1 ? kFirstLinkLayerRow
                                                                             : kDf1DisplayCount);
        auto* caption = new QLabel(QString::fromLatin1(kCaptions[i]), m_fraSetup[frame]);
        caption->setObjectName(QString("lblDescription_%1").arg(i));
        m_lblDescription[i] = caption;
        grids[frame]->addWidget(caption, row, 0);
        if (i < m_lblDisplay.size()) {
            auto* display = new QLabel("0", m_fraSetup[frame]);
            display->setObjectName(QString("lblDisplay_%1").arg(i));
            display->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            display->setTextInteractionFlags(Qt::NoTextInteraction);
            m_lblDisplay[i] = display;
            grids[frame]->addWidget(display, row, 1);
        }
    }

    QWidget* setupFrame = m_fraSetup[kSetupFrame];
    m_cboSetup = new QComboBox(setupFrame);
    m_cboSetup->setObjectName("cboSetup");
    m_cboSetup->addItems({"PLC5", "SLC500"});
    m_cboSetup->installEventFilter(this);
    grids[kSetupFrame]->addWidget(m_cboSetup, 0, 1, Qt::AlignLeft);
    m_lblDescription[kDf1PlcTypeEntry]->setBuddy(m_cboSetup);
    for (int i = 0; i < 2; ++i) {
        auto* field = new NumericEntryField(NumberFieldOptions(i), shell(), m_prompt, m_escOnce,
                                            setupFrame);
        m_txtSetup[static_cast<std::size_t>(i)] = field;
        grids[kSetupFrame]->addWidget(field, 1 + i, 1, Qt::AlignLeft);
        const int entry = kDf1PlcTypeEntry + 1 + i;
        m_lblDescription[static_cast<std::size_t>(entry)]->setBuddy(field->textBox());
    }

    // Focus parking: takes the focus out of an edited field; no action of its own.
    m_cmdDefault = MakeParkingButton(this);
    for (NumericEntryField* field : m_txtSetup) field->setParkingButton(m_cmdDefault);

    setTabOrder(m_cboSetup, m_txtSetup[0]->textBox());
    setTabOrder(m_txtSetup[0]->textBox(), m_txtSetup[1]->textBox());
    setTabOrder(m_txtSetup[1]->textBox(), m_cmdDefault);

    connect(m_cboSetup, &QComboBox::currentIndexChanged, this, &frmR760DF1::cboSetup_Click);
}

void frmR760DF1::clearEditingFlags() {
    m_listEditing = false;
    endEdits();
}

void frmR760DF1::setStatusEnabled(bool enabled) {
    for (QGroupBox* frame : m_fraSetup) frame->setEnabled(enabled);
    for (QLabel* caption : m_lblDescription) caption->setEnabled(enabled);
    for (QLabel* display : m_lblDisplay) display->setEnabled(enabled);
}

void frmR760DF1::setSetupEnabled(bool enabled) {
    m_fraSetup[kSetupFrame]->setEnabled(enabled);
    for (std::size_t i = kDf1PlcTypeEntry; i < m_lblDescription.size(); ++i)
        m_lblDescription[i]->setEnabled(enabled);
    for (NumericEntryField* field : m_txtSetup) {
        field->textBox()->setEnabled(enabled);
        field->upDown()->setEnabled(enabled);
    }
    m_cboSetup->setEnabled(enabled);
}

void frmR760DF1::onlinePreparation() {
    RSComm& link = shell().link();
    if (link.CommError) return; // the next pass turns the window offline
    QPointer<frmR760DF1> self(this);
    m_driverCheckPending = true;
    checkDriver();
    if (!self) return;
    m_listReady = false;
    m_cmdDefault->setFocus(Qt::OtherFocusReason);
    clearEditingFlags();
    setStatusEnabled(true);
    setSetupEnabled(true);
}

void frmR760DF1::checkDriver() {
    RSComm& link = shell().link();
    QPointer<frmR760DF1> self(this);
    const RSComm::ReadResult driver = link.RSReadChecked(kDf1DriverFlag);
    if (!self || link.CommError) return;
    // A read the link could not confirm says nothing about the driver: it is asked again.
    if (!driver.trusted) return;
    m_driverCheckPending = false;
    if (ValueFromBoardText(driver.text) == 0) m_prompt.ask(Df1DriverNotEnabledMessage());
}

void frmR760DF1::offlinePreparation() {
    m_listReady = false;
    m_cmdDefault->setFocus(Qt::OtherFocusReason);
    clearEditingFlags();
    setStatusEnabled(false);
    for (QLabel* display : m_lblDisplay) display->setText("-");
    setSetupEnabled(shell().offlineEditing());
}

void frmR760DF1::hideEvent(QHideEvent* event) {
    QPointer<frmR760DF1> self(this);
    RefreshCycleWindow::hideEvent(event); // ends the fields' edits
    if (!self) return;
    m_listEditing = false;
    if (!event->spontaneous()) m_escOnce = false; // the next activation starts afresh
}

QCoro::Task<bool> frmR760DF1::refreshPass(bool online) {
    if (online) co_return co_await statusRead();
    co_return co_await offlineRefresh();
}

QCoro::Task<bool> frmR760DF1::offlineRefresh() {
    QPointer<frmR760DF1> self(this);
    if (shell().offlineEditing() != m_offlineEditingSeen) {
        m_offlineEditingSeen = shell().offlineEditing();
        offlinePreparation(); // the set-up rows follow the flag
    }
    if (!co_await yieldToEvents() || !self) co_return false;
    if (shell().link().OnlineMode) co_return true;
    const auto& values = shell().dataSet().CurrentData.Value;
    if (!m_listEditing) {
        showPlcType(values.at(kDf1PlcTypeDataPoint));
        m_listReady = true;
    }
    for (std::size_t i = 0; i < m_txtSetup.size(); ++i) {
        if (!m_txtSetup[i]->editing())
            m_txtSetup[i]->setText(QString::number(values.at(kDf1FirstNumberDataPoint + i)));
    }
    co_return false;
}

QCoro::Task<bool> frmR760DF1::statusRead() {
    QPointer<frmR760DF1> self(this);
    for (std::size_t i = 0; i < kDf1Entries.size(); ++i) {
        if (!co_await yieldToEvents()) co_return false; // false also when the window went
        RSComm& link = shell().link();
        if (!link.OnlineMode) co_return true;
        if (i == 0 && m_driverCheckPending) {
            checkDriver();
            if (!self) co_return false;
            if (link.CommError) co_return true;
            if (!co_await yieldToEvents()) co_return false;
            if (!link.OnlineMode) co_return true;
        }
        const Df1Entry& entry = kDf1Entries[i];
        const RSComm::ReadResult read = link.RSReadChecked(entry.address);
        if (!self) co_return false;
        if (link.CommError) co_return true;
        // A value the link could not confirm decides nothing: the row keeps its text.
        if (!read.trusted) continue;
        const std::string& text = read.text;
        switch (entry.shown) {
        case Df1Shown::LinkLayerStatus: {
            std::string status = kDf1LinkLayerSuccess;
            if (ValueFromBoardText(text) != 0 && !readLinkLayerStatus(status)) {
                if (!self) co_return false;
                if (link.CommError) co_return true;
                continue;
            }
            m_lblDisplay[i]->setText(QString::fromStdString(status));
            break;
        }
        case Df1Shown::PlcType:
            if (!m_listEditing) {
                showPlcType(ValueFromBoardText(text));
                m_listReady = true;
            }
            break;
        case Df1Shown::NumberField: {
            NumericEntryField* field = m_txtSetup[i - kDf1PlcTypeEntry - 1];
            if (!field->editing()) field->setText(QString::fromStdString(text).trimmed());
            break;
        }
        default:
            m_lblDisplay[i]->setText(StatusText(entry.shown, text));
            break;
        }
    }
    emit statusReadFinished();
    co_return true;
}

bool frmR760DF1::readLinkLayerStatus(std::string& text) {
    RSComm& link = shell().link();
    QPointer<frmR760DF1> self(this);
    const RSComm::ReadResult status = link.RSReadChecked(kDf1StatusCode);
    if (!self || link.CommError || !status.trusted) return false;
    const RSComm::ReadResult extended = link.RSReadChecked(kDf1ExtendedStatusCode);
    if (!self || link.CommError || !extended.trusted) return false;
    text = Df1LinkLayerStatusText(static_cast<std::uint32_t>(ValueFromBoardText(status.text)),
                                  static_cast<std::uint32_t>(ValueFromBoardText(extended.text)));
    return true;
}

void frmR760DF1::showPlcType(std::int32_t value) {
    // A data set may hold a value with no entry in the list: then nothing is selected.
    const int index = value == 0 || value == 1 ? value : -1;
    if (m_cboSetup->currentIndex() == index) return;
    const QSignalBlocker blocker(m_cboSetup);
    m_cboSetup->setCurrentIndex(index);
}

void frmR760DF1::cboSetup_Click(int index) {
    if (!m_listReady || index < 0) return;
    m_listEditing = true;
    m_escOnce = false;
    // Online the data set follows only a write the board confirmed.
    if (shell().link().OnlineMode &&
        !WriteToBoard(shell(), m_prompt, kDf1Entries[kDf1PlcTypeEntry].address,
                      std::to_string(index)))
        return;
    shell().dataSet().CurrentData.Value.at(kDf1PlcTypeDataPoint) = index;
}

bool frmR760DF1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_cboSetup) {
        switch (event->type()) {
        case QEvent::FocusIn:
            m_listEditing = true;
            break;
        case QEvent::FocusOut:
            // The list's own drop-down taking the focus is no leaving.
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
                m_listEditing = false;
            break;
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                m_escOnce = false;
                m_listEditing = false;
                m_cmdDefault->setFocus(Qt::OtherFocusReason);
                return true;
            }
            break;
        default:
            break;
        }
    }
    return RefreshCycleWindow::eventFilter(watched, event);
}

} // namespace quelby
