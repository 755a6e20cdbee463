// The "Set Network Address" and "Set Time && Date" tabs: the eight set-up fields, their
// poll and the clock buttons.
#include "diagnostics/frmTargetBoard.h"

#include "diagnostics/TargetBoardWidgets.h"
#include "app/data/TargetBoardFaults.h"
#include "app/data/TransferValues.h"
#include "link/BoardChangeLog.h"
#include "link/Clock.h"
#include "link/RSComm.h"
#include "link/UserPrompt.h"
#include "views/BoardWrite.h"
#include "views/NumericEntryField.h"
#include "views/NamedControls.h"
#include "views/ShellContext.h"
#include "views/UpDownControl.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelby {
namespace {

NumericEntryOptions SetupOptions(int index) {
    const TargetSetupField& field = kTargetSetupFields[static_cast<std::size_t>(index)];
    NumericEntryOptions options;
    options.textName = QString("txtSetup_%1").arg(index);
    options.upDownName = QString("updSetup_%1").arg(index);
    options.title = SetupFieldTitle(field);
    options.minimum = field.minimum;
    options.maximum = field.maximum;
    options.initialValue = field.minimum;
    // Values go straight to the board, online only; nothing is kept in the data set.
    options.boardAddress = field.address;
    return options;
}

} // namespace

QWidget* frmTargetBoard::buildNetworkTab() {
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);
    auto* frame = Frame("fraNetworkAddress", "Target Board Network Address:", tab);
    auto* grid = new QGridLayout(frame);
    for (int i = kNetworkAddress1Field; i <= kNetworkAddress2Field; ++i) {
        const auto index = static_cast<std::size_t>(i);
        m_lblSetupDesc[index] =
            Label(QString("lblSetupDesc_%1").arg(i), kTargetSetupFields[index].caption, frame);
        m_txtSetup[index] =
            new NumericEntryField(SetupOptions(i), shell(), m_prompt, m_escOnce, frame);
        grid->addWidget(m_lblSetupDesc[index], i, 0);
        grid->addWidget(m_txtSetup[index], i, 1);
    }
    grid->setColumnStretch(2, 1);
    layout->addWidget(frame);
    m_lblNetworkAddComment = Label("lblNetworkAddComment", {}, tab);
    m_lblNetworkAddComment->setWordWrap(true);
    layout->addWidget(m_lblNetworkAddComment);
    return tab;
}

QWidget* frmTargetBoard::buildClockTab() {
    auto* tab = new QWidget(this);
    auto* grid = new QGridLayout(tab);
    m_lblTargetBoardTime = Label("lblTargetBoardTime", "Target Board Time:", tab);
    m_lblTargetBoardDate = Label("lblTargetBoardDate", "Target Board Date:", tab);
    grid->addWidget(m_lblTargetBoardTime, 1, 0);
    grid->addWidget(m_lblTargetBoardDate, 3, 0);
    for (int i = kFirstClockField; i <= kLastClockField; ++i) {
        const auto index = static_cast<std::size_t>(i);
        const int row = i < 5 ? 0 : 2;
        const int column = 1 + (i - kFirstClockField) % 3;
        m_lblSetupDesc[index] =
            Label(QString("lblSetupDesc_%1").arg(i), kTargetSetupFields[index].caption, tab);
        m_txtSetup[index] =
            new NumericEntryField(SetupOptions(i), shell(), m_prompt, m_escOnce, tab);
        grid->addWidget(m_lblSetupDesc[index], row, column, Qt::AlignBottom);
        grid->addWidget(m_txtSetup[index], row + 1, column);
    }

    grid->addWidget(Label({}, "Current Time:", tab), 1, 5);
    m_lblCurrTime = Label("lblCurrTime", "XX : XX : XX", tab);
    grid->addWidget(m_lblCurrTime, 1, 6);
    grid->addWidget(Label({}, "Current Date:", tab), 3, 5);
    m_lblCurrDate = Label("lblCurrDate", "XX - XX - XX", tab);
    grid->addWidget(m_lblCurrDate, 3, 6);
    grid->setColumnMinimumWidth(4, 24);

    m_cmdSetToCurrTime = Button("cmdSetToCurrTime", "Set to Current &Time", tab);
    m_cmdSetToCurrDate = Button("cmdSetToCurrDate", "Set to Current &Date", tab);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdSetToCurrTime);
    buttons->addWidget(m_cmdSetToCurrDate);
    grid->addLayout(buttons, 4, 0, 1, 7);

    auto* note = new QHBoxLayout;
    note->addWidget(Label({}, "Note:", tab), 0, Qt::AlignTop);
    auto* noteText = Label({},
                           "Only the V210 Display Module and the R704 Communications CO-CPU "
                           "board are equipped with real time clocks.",
                           tab);
    noteText->setWordWrap(true);
    note->addWidget(noteText, 1);
    grid->addLayout(note, 5, 0, 1, 7);
    grid->setColumnStretch(7, 1);
    return tab;
}

void frmTargetBoard::setUpFieldsForBoardType() {
    setFieldShown(kNetworkAddress2Field, false);
    for (int i = kFirstClockField; i <= kLastClockField; ++i) {
        setupField(i)->setText("-");
        setFieldEnabled(i, false);
    }
    setClockControlsEnabled(false);

    if (HasBoardClock(m_boardType)) {
        for (int i = kFirstClockField; i <= kLastClockField; ++i) {
            setupField(i)->setText("-");
            setFieldEnabled(i, true);
        }
        setClockControlsEnabled(true);
        if (HasSecondNetworkAddress(m_boardType)) {
            setFieldShown(kNetworkAddress2Field, true);
            setupField(kNetworkAddress2Field)->setText("");
        }
    }
    setFieldShown(kNetworkAddress1Field, true);
    setupField(kNetworkAddress1Field)->setText("-");
}

QCoro::Task<bool> frmTargetBoard::addressPoll() {
    QPointer<frmTargetBoard> self(this);
    for (int i = 0; i < static_cast<int>(kTargetSetupFields.size()); ++i) {
        if (!co_await yieldToEvents()) co_return false;
        RSComm& link = shell().link();
        if (!link.OnlineMode) co_return true;
        const RSComm::ReadResult read =
            link.RSReadChecked(kTargetSetupFields[static_cast<std::size_t>(i)].address);
        if (!self) co_return false;
        if (link.CommError) co_return true;
        if (!read.trusted) continue; // the field keeps its text until a confirmed read
        NumericEntryField* field = setupField(i);
        const bool shows = i <= kNetworkAddress2Field ? Shown(field) : field->isEnabled();
        if (shows && !field->editing()) field->setText(Q(PolledFieldText(read.text)));
    }
    co_return true;
}

void frmTargetBoard::showClock() {
    const LocalDateTime now = m_clock.now();
    if (now.second == m_rememberedSecond) return;
    m_rememberedSecond = now.second;
    m_lblCurrTime->setText(Q(CurrentTimeText(now)));
    m_lblCurrDate->setText(Q(CurrentDateText(now)));
}

void frmTargetBoard::enableFieldsOnline() {
    for (QLabel* label : m_lblRevIdentInPLC)
        label->setEnabled(true);
    for (int i = 0; i < static_cast<int>(m_txtSetup.size()); ++i)
        if (fieldCaptionShown(i)) setFieldEnabled(i, true);
    if (HasBoardClock(m_boardType)) {
        setClockControlsEnabled(true);
    } else {
        for (int i = kFirstClockField; i <= kLastClockField; ++i)
            setFieldEnabled(i, false);
        setClockControlsEnabled(false);
    }
}

void frmTargetBoard::disableFieldsOffline() {
    // Hidden ones too: nothing can be set offline, whichever fields the board type shows.
    for (int i = 0; i < static_cast<int>(m_txtSetup.size()); ++i)
        setFieldEnabled(i, false);
    setClockControlsEnabled(false);
}

void frmTargetBoard::writeClock(const std::array<ClockWrite, 3>& writes, bool time) {
    RSComm& link = shell().link();
    if (!link.OnlineMode) return;
    QPointer<frmTargetBoard> self(this);
    // One reading of the PC clock for all three parts: a minute, day or year that turns
    // over between two writes must not mix two moments.
    const LocalDateTime now = m_clock.now();
    BoardChangeScope changes(link, {}, time ? "Board Clock: Time" : "Board Clock: Date");
    std::array<std::string, 3> sent;
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (link.CommError) return;
        sent[i] = ClockPartText(writes[i].part, now);
        const bool confirmed = WriteToBoard(shell(), m_prompt, writes[i].address, sent[i]);
        if (!self) return;
        if (!confirmed) return; // already reported
    }
    // The board's own clock may refuse a part (the 31st of a short month): read it back.
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (link.CommError) return;
        const RSComm::ReadResult read = link.RSReadChecked(writes[i].address);
        if (!self) return;
        if (link.CommError) return;
        if (!read.trusted || ValueFromBoardText(read.text) != ValueFromBoardText(sent[i])) {
            m_prompt.ask(TargetBoardMessages::ClockNotHeld(time));
            return;
        }
    }
}

void frmTargetBoard::cmdSetToCurrTime_Click() {
    writeClock(kSetTimeWrites, true);
}

void frmTargetBoard::cmdSetToCurrDate_Click() {
    writeClock(kSetDateWrites, false);
}

void frmTargetBoard::setFieldEnabled(int index, bool enabled) {
    const auto i = static_cast<std::size_t>(index);
    m_txtSetup[i]->setEnabled(enabled);
    m_lblSetupDesc[i]->setEnabled(enabled);
}

void frmTargetBoard::setFieldShown(int index, bool shown) {
    const auto i = static_cast<std::size_t>(index);
    m_txtSetup[i]->setVisible(shown);
    m_lblSetupDesc[i]->setVisible(shown);
}

bool frmTargetBoard::fieldCaptionShown(int index) const {
    return Shown(m_lblSetupDesc[static_cast<std::size_t>(index)]);
}

void frmTargetBoard::setClockControlsEnabled(bool enabled) {
    for (QWidget* widget : std::initializer_list<QWidget*>{
             m_lblTargetBoardTime, m_lblTargetBoardDate, m_cmdSetToCurrTime, m_cmdSetToCurrDate})
        widget->setEnabled(enabled);
}

} // namespace quelby
