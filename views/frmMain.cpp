#include "views/frmMain.h"

#include "app/data/DataSet.h"
#include "app/data/LiveTrend.h"
#include "views/EntryTextBox.h"
#include "views/FigureLabel.h"
#include "views/GroupedNumber.h"
#include "views/NumericEntryField.h"
#include "link/BoardChangeLog.h"
#include "link/RSComm.h"
#include "views/BoardWrite.h"
#include "views/ShellContext.h"
#include "app/data/TransferValues.h"
#include "views/UpDownControl.h"
#include "views/ParkingButton.h"
#include "views/NamedControls.h"
#include "views/TrendChart.h"

#include <QColor>
#include <QFontMetrics>
#include <QGridLayout>
#include <QPalette>
#include <QTextDocument>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <chrono>
#include <optional>

namespace quelby {
namespace {

constexpr int kSpindleMin = 1;
constexpr int kSpindleMax = 24;
constexpr const char* kSpindleAddress = "B2088";
constexpr int kFigureMinimumHeight = 90;
constexpr int kMessageLines = 4;
constexpr QRgb kOfflineFigureGrey = 0x606060;
constexpr QRgb kFigureFace = 0xfbfbf7;
// Four readings a second are as live as a person can read, and leave the line and the CPU
// mostly idle.
constexpr std::chrono::milliseconds kPassInterval{250};

NumericEntryOptions SpindleOptions() {
    NumericEntryOptions options;
    options.textName = "txtSpindleBlowoff";
    options.upDownName = "updSpindleNumber";
    options.title = "Q.C. Blow-off";
    options.minimum = kSpindleMin;
    options.maximum = kSpindleMax;
    options.initialValue = 1;
    options.rememberAsWord = true;
    options.hasEditingFlag = false;
    options.upDownAction = NumericEntryOptions::UpDownAction::None; // the window writes B2088
    return options;
}

} // namespace

frmMain::frmMain(ShellContext& shell, UserPrompt& prompt, QWidget* parent)
    : RefreshCycleWindow(shell, parent), m_prompt(prompt) {
    setObjectName("frmMain");
    setWindowTitle("Main Display");
    setMinimumPassInterval(kPassInterval);
    buildControls();
}

void frmMain::buildControls() {
    auto* layout = new QGridLayout(this);

    static constexpr std::array<const char*, 3> kCaptions{"Machine CPM", "Good Cans", "Blow-offs"};
    for (int i = 0; i < 3; ++i) {
        const auto index = static_cast<std::size_t>(i);
        auto* frame = new QGroupBox(QString::fromLatin1(kCaptions[index]), this);
        frame->setObjectName(QString("fraDisplay_%1").arg(i));
        auto* label = new FigureLabel("-", frame);
        label->setObjectName(QString("lblDisplay_%1").arg(i));
        label->setMinimumHeight(kFigureMinimumHeight);
        // A read-out panel: the figure on a light sunken face.
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        label->setAutoFillBackground(true);
        // Offline the figures are disabled: a darker grey than the toolkit's keeps them legible.
        QPalette palette = label->palette();
        palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(kOfflineFigureGrey));
        palette.setColor(QPalette::Window, QColor(kFigureFace));
        label->setPalette(palette);
        (new QVBoxLayout(frame))->addWidget(label);
        layout->addWidget(frame, 0, i);
        m_fraDisplay[index] = frame;
        m_lblDisplay[index] = label;
    }

    auto* fraMessageDisplay = Frame("fraMessageDisplay", "Messages", this);
    m_txtMessageDisplay = new QPlainTextEdit(fraMessageDisplay);
    m_txtMessageDisplay->setObjectName("txtMessageDisplay");
    m_txtMessageDisplay->setReadOnly(true);
    m_txtMessageDisplay->setFocusPolicy(Qt::NoFocus);
    // Room for the alarm's four lines without a scroll bar, and no more.
    const QFontMetrics metrics(m_txtMessageDisplay->font());
    m_txtMessageDisplay->setFixedHeight(kMessageLines * metrics.lineSpacing() +
                                        2 * m_txtMessageDisplay->frameWidth() +
                                        2 * int(m_txtMessageDisplay->document()->documentMargin()));
    (new QVBoxLayout(fraMessageDisplay))->addWidget(m_txtMessageDisplay);
    layout->addWidget(fraMessageDisplay, 2, 0, 1, 3);

    auto* fraTrend = Frame("fraTrend", "Last 10 Minutes", this);
    m_trendChart = new TrendChart(fraTrend);
    m_trendChart->setObjectName("chtTrend");
    m_trendChart->setTrend(&shell().liveTrend());
    (new QVBoxLayout(fraTrend))->addWidget(m_trendChart);
    layout->addWidget(fraTrend, 1, 0, 1, 3);
    // The live figures and their trend take the height the window has to spare.
    layout->setRowStretch(0, 2);
    layout->setRowStretch(1, 3);

    m_fraQCBlowoff = Frame("fraQCBlowoff", "Q.C. Blow-off", this);
    m_fraSpindleNumber = Frame("fraSpindleNumber", "Spindle Number", m_fraQCBlowoff);
    m_spindle = new NumericEntryField(SpindleOptions(), shell(), m_prompt, m_escOnce,
                                      m_fraSpindleNumber);
    (new QVBoxLayout(m_fraSpindleNumber))->addWidget(m_spindle);
    m_cmdSingleBlowoff = Button("cmdSingleBlowoff", "S&ingle Blow-off", m_fraQCBlowoff);
    m_cmdBlanketBlowoff = Button("cmdBlanketBlowoff", "&Blanket Blow-off", m_fraQCBlowoff);
    m_cmdMandrelBlowoff = Button("cmdMandrelBlowoff", "&Mandrel Blowoff", m_fraQCBlowoff);
    auto* qcLayout = new QGridLayout(m_fraQCBlowoff);
    qcLayout->addWidget(m_fraSpindleNumber, 0, 0);
    qcLayout->addWidget(m_cmdSingleBlowoff, 0, 1);
    qcLayout->addWidget(m_cmdBlanketBlowoff, 1, 0);
    qcLayout->addWidget(m_cmdMandrelBlowoff, 1, 1);
    layout->addWidget(m_fraQCBlowoff, 3, 0, 1, 2);

    m_fraBadCanBlowoff = Frame("fraBadCanBlowoff", "Bad Can Blow-off", this);
    m_cmdBadCanBlowoff = Button("cmdBadCanBlowoff", "&Test Trip/Blow-off", m_fraBadCanBlowoff);
    (new QVBoxLayout(m_fraBadCanBlowoff))->addWidget(m_cmdBadCanBlowoff);
    layout->addWidget(m_fraBadCanBlowoff, 3, 2);

    // Focus parking: no caption, no action, and nothing to see. It stays shown (a hidden
    // button could not take the focus) but has no size and sits outside the layout.
    m_cmdDefault = MakeParkingButton(this);
    m_spindle->setParkingButton(m_cmdDefault);

    setTabOrder(m_spindle->textBox(), m_cmdSingleBlowoff);
    setTabOrder(m_cmdSingleBlowoff, m_cmdBlanketBlowoff);
    setTabOrder(m_cmdBlanketBlowoff, m_cmdMandrelBlowoff);
    setTabOrder(m_cmdMandrelBlowoff, m_cmdBadCanBlowoff);
    setTabOrder(m_cmdBadCanBlowoff, m_cmdDefault);

    connect(m_cmdSingleBlowoff, &QPushButton::clicked, this, &frmMain::cmdSingleBlowoff_Click);
    connect(m_cmdBlanketBlowoff, &QPushButton::clicked, this, &frmMain::cmdBlanketBlowoff_Click);
    connect(m_cmdMandrelBlowoff, &QPushButton::clicked, this, &frmMain::cmdMandrelBlowoff_Click);
    connect(m_cmdBadCanBlowoff, &QPushButton::clicked, this, &frmMain::cmdBadCanBlowoff_Click);
    connect(m_spindle, &NumericEntryField::upDownChanged, this, &frmMain::spindleUpDownChanged);
}

void frmMain::setCommandsEnabled(bool enabled) {
    for (QWidget* widget : std::initializer_list<QWidget*>{
             m_fraQCBlowoff, m_fraSpindleNumber, m_spindle->textBox(), m_spindle->upDown(),
             m_cmdSingleBlowoff, m_cmdBlanketBlowoff, m_cmdMandrelBlowoff, m_fraBadCanBlowoff,
             m_cmdBadCanBlowoff})
        widget->setEnabled(enabled);
    for (std::size_t i = 0; i < 3; ++i) {
        m_fraDisplay[i]->setEnabled(enabled);
        m_lblDisplay[i]->setEnabled(enabled);
    }
}

void frmMain::onlinePreparation() {
    setCommandsEnabled(true);
    m_trendChart->setLive(true);
    m_trendChart->refresh();
    RSComm& link = shell().link();
    if (link.CommError) {
        m_spindle->setText("1");
    } else {
        QPointer<frmMain> self(this);
        const RSComm::ReadResult read = link.RSReadChecked(kSpindleAddress);
        if (!self) return;
        // A value the link could not confirm is taken as none.
        const std::string text = read.trusted ? read.text : "0";
        const std::int32_t value = ValueFromBoardText(text);
        if (value > m_spindle->upDown()->maximum())
            m_spindle->setText(QString::number(m_spindle->upDown()->maximum()));
        else if (value == 0)
            m_spindle->setText("1");
        else
            m_spindle->setText(QString::fromStdString(text));
    }
    m_cmdSingleBlowoff->setFocus(Qt::OtherFocusReason);
}

void frmMain::offlinePreparation() {
    setCommandsEnabled(false);
    m_trendChart->setLive(false);
    m_spindle->setText("-");
    for (auto* label : m_lblDisplay)
        label->setText("-");
}

void frmMain::showSystemMessage() {
    QString message = QString::fromStdString(shell().systemMessage());
    message.replace("\r\n", "\n");
    if (m_txtMessageDisplay->toPlainText() != message) m_txtMessageDisplay->setPlainText(message);
}

void frmMain::offlineRefresh() {
    const auto& values = shell().dataSet().CurrentData.Value;
    m_lblDisplay[1]->setText(GroupedWhole(values.at(kGoodCansDataPoint)));
    m_lblDisplay[2]->setText(GroupedWhole(values.at(kBlowoffsDataPoint)));
}

QCoro::Task<bool> frmMain::refreshPass(bool online) {
    showSystemMessage();
    if (!online) {
        offlineRefresh();
        co_return false;
    }
    QPointer<frmMain> self(this);
    std::array<std::optional<std::int64_t>, 3> values;
    for (std::size_t i = 0; i < kDisplayAddresses.size(); ++i) {
        if (!co_await yieldToEvents()) co_return false; // false also when the window went
        RSComm& link = shell().link();
        if (!link.OnlineMode) co_return true;
        const RSComm::ReadResult read = link.RSReadChecked(kDisplayAddresses[i]);
        if (!self) co_return false;
        if (link.CommError) co_return true;
        if (!read.trusted) continue; // the display keeps its text until a confirmed read
        const QString text = QString::fromStdString(read.text).trimmed();
        bool isNumber = false;
        const qlonglong value = text.toLongLong(&isNumber);
        if (isNumber) values[i] = value;
        m_lblDisplay[i]->setText(i == 0 ? text : GroupedWhole(value));
    }
    const LiveValues read{values[0], values[1], values[2]};
    addToTrend(read);
    shell().liveValuesRead(read);
    co_return true;
}

void frmMain::addToTrend(const LiveValues& values) {
    const double now = std::chrono::duration<double>(
                           std::chrono::steady_clock::now().time_since_epoch()).count();
    std::optional<double> cpm;
    if (values.machineCpm) cpm = static_cast<double>(*values.machineCpm);
    shell().liveTrend().add(now, cpm, values.goodCans, values.blowoffs);
    // The trend holds a point a second: drawing it more often would show nothing new.
    if (now - m_trendDrawnAt >= 1.0) {
        m_trendDrawnAt = now;
        m_trendChart->refresh();
    }
}

void frmMain::BlowoffCommand(std::int16_t code) {
    RSComm& link = shell().link();
    QPointer<frmMain> self(this);
    if (link.CommError) return;
    BoardChangeScope changes(link, {}, "Blow-off Command");
    // A step the board did not confirm ends the command: the blow-off is not fired.
    if (!WriteToBoard(shell(), m_prompt, kSpindleAddress, BoardTextFromValue(code))) return;
    if (!self || link.CommError) return;
    if (!WriteToBoard(shell(), m_prompt, "F825", "1")) return;
    if (!self || link.CommError) return;
    WriteToBoard(shell(), m_prompt, "F102", "1");
}

void frmMain::cmdSingleBlowoff_Click() {
    BlowoffCommand(WordFromBoardText(m_spindle->text().toStdString()));
}

void frmMain::cmdBlanketBlowoff_Click() {
    BlowoffCommand(kBlanketCode);
}

void frmMain::cmdMandrelBlowoff_Click() {
    BlowoffCommand(kMandrelCode);
}

void frmMain::cmdBadCanBlowoff_Click() {
    BoardChangeScope changes(shell().link(), {}, "Bad Can Blow-off Command");
    if (!shell().link().CommError) WriteToBoard(shell(), m_prompt, "F830", "1");
}

void frmMain::spindleUpDownChanged(const QString& text) {
    BoardChangeScope changes(shell().link(), {}, "Blow-off Spindle");
    if (!shell().link().CommError) WriteToBoard(shell(), m_prompt, kSpindleAddress, text.toStdString());
}

} // namespace quelby
