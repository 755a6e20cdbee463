#include "diagnostics/frmTargetBoard.h"

#include "app/data/TargetBoardFaults.h"
#include "link/BoardIdentity.h"
#include "link/Clock.h"
#include "link/CodeDescriptionFile.h"
#include "link/RSComm.h"
#include "link/UserPrompt.h"
#include "views/EntryTextBox.h"
#include "views/NumericEntryField.h"
#include "views/ShellContext.h"
#include "views/UpDownControl.h"
#include "views/ParkingButton.h"
#include "views/NamedControls.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabBar>
#include <QVBoxLayout>

namespace quelby {
namespace {

namespace fs = std::filesystem;

constexpr int kTabCount = 4;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Whether a control is shown as far as its own state goes, whatever its tab or window.
bool Shown(const QWidget* widget) {
    return widget->isVisibleTo(widget->parentWidget());
}

// A value label of the ident tab: sunken, so an empty value still shows its place.
QLabel* ValueLabel(const QString& name, QWidget* parent) {
    auto* label = Label(name, "-", parent);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(160);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

NumericEntryOptions SetupOptions(int index) {
    const TargetSetupField& field = kTargetSetupFields[static_cast<std::size_t>(index)];
    NumericEntryOptions options;
    options.textName = QString("txtSetup_%1").arg(index);
    options.upDownName = QString("updSetup_%1").arg(index);
    options.title = SetupFieldTitle(field);
    options.minimum = field.minimum;
    options.maximum = field.maximum;
    options.initialValue = field.minimum;
    // Values go straight to the board; the window writes them when they pass or the arrows
    // change them.
    options.upDownAction = NumericEntryOptions::UpDownAction::None;
    return options;
}

// The hex file's date and time in the PC's short format.
QString ShortDateTime(std::int64_t secondsSinceEpoch) {
    const QDateTime when = QDateTime::fromSecsSinceEpoch(secondsSinceEpoch);
    return QLocale::system().toString(when, QLocale::ShortFormat);
}

} // namespace

frmTargetBoard::frmTargetBoard(ShellContext& shell, UserPrompt& prompt, Clock& clock,
                               fs::path homeFolder, QWidget* parent)
    : RefreshCycleWindow(shell, parent), m_prompt(prompt), m_clock(clock),
      m_home(std::move(homeFolder)) {
    setObjectName("frmTargetBoard");
    setWindowTitle("Target Board Interface");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // The shell's child window waits while this one is open; this cycle must not.
    setPausedWithShell(false);
    buildControls();
}

NumericEntryField* frmTargetBoard::setupField(int index) const {
    if (index < 0 || index >= static_cast<int>(m_txtSetup.size())) return nullptr;
    return m_txtSetup[static_cast<std::size_t>(index)];
}

// ---- Layout ----

void frmTargetBoard::buildControls() {
    auto* layout = new QVBoxLayout(this);
    m_tabTargetBoard = new QTabBar(this);
    m_tabTargetBoard->setObjectName("tabTargetBoard");
    for (const char* caption : {"&Fault Codes / Status", "&Program Ident/Revision",
                                "&Set Network Address", "S&et Time && Date"})
        m_tabTargetBoard->addTab(QString::fromLatin1(caption));
    m_tabTargetBoard->setExpanding(false);
    layout->addWidget(m_tabTargetBoard);

    auto* page = new QWidget(this);
    auto* pages = new QGridLayout(page);
    pages->setContentsMargins(0, 0, 0, 0);
    QWidget* const contents[kTabCount] = {buildFaultsTab(), buildIdentTab(), buildNetworkTab(),
                                          buildClockTab()};
    static constexpr const char* kFrameCaptions[kTabCount] = {
        "Fault Codes / Status", "Program Ident/Revision", "Set Network Address",
        "Set Time && Date"};
    for (int i = 0; i < kTabCount; ++i) {
        auto* frame = Frame(QString("fraTargetBoard_%1").arg(i), kFrameCaptions[i], page);
        frame->setFlat(true); // drawn without a border
        frame->setStyleSheet("QGroupBox#" + frame->objectName() + " { border: none; }");
        auto* frameLayout = new QVBoxLayout(frame);
        contents[i]->setParent(frame);
        frameLayout->addWidget(contents[i]);
        frameLayout->addStretch(1);
        pages->addWidget(frame, 0, 0);
        m_fraTargetBoard[static_cast<std::size_t>(i)] = frame;
    }
    layout->addWidget(page, 1);

    auto* buttons = new QHBoxLayout;
    m_cmdGoOnline = Button("cmdGoOnline", "&Go Online", this);
    m_cmdOk = Button("cmdOk", "&Ok", this);
    m_cmdDefault = MakeParkingButton(this);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdGoOnline);
    buttons->addWidget(m_cmdOk);
    layout->addLayout(buttons);
    for (NumericEntryField* field : m_txtSetup)
        field->setParkingButton(m_cmdDefault);

    connect(m_tabTargetBoard, &QTabBar::currentChanged, this, &frmTargetBoard::showTab);
    connect(m_cmdGoOnline, &QPushButton::clicked, this, &frmTargetBoard::cmdGoOnline_Click);
    connect(m_cmdResetFaults, &QPushButton::clicked, this, &frmTargetBoard::cmdResetFaults_Click);
    connect(m_cmdOk, &QPushButton::clicked, this, &frmTargetBoard::cmdOk_Click);
    connect(m_cmdSetToCurrTime, &QPushButton::clicked, this,
            &frmTargetBoard::cmdSetToCurrTime_Click);
    connect(m_cmdSetToCurrDate, &QPushButton::clicked, this,
            &frmTargetBoard::cmdSetToCurrDate_Click);
    for (int i = 0; i < static_cast<int>(m_txtSetup.size()); ++i) {
        NumericEntryField* field = m_txtSetup[static_cast<std::size_t>(i)];
        connect(field, &NumericEntryField::passed, this,
                [this, i](const QString& text) { writeFieldToBoard(i, text); });
        connect(field, &NumericEntryField::upDownChanged, this,
                [this, i](const QString& text) { writeFieldToBoard(i, text); });
    }
    showTab(0);
}

QWidget* frmTargetBoard::buildFaultsTab() {
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);

    const auto addEntry = [this](QGridLayout* grid, int entry, int row) {
        const auto index = static_cast<std::size_t>(entry);
        QWidget* parent = grid->parentWidget();
        m_lblTargetBoard[index] = Label(QString("lblTargetBoard_%1").arg(entry),
                                        Q(FaultEntryInitialCaption(entry)), parent);
        m_lblTargetBoard[index]->setMinimumWidth(
            m_lblTargetBoard[index]->fontMetrics().horizontalAdvance(
                "Current Comm Error: Code = WWH"));
        grid->addWidget(m_lblTargetBoard[index], row, 0, Qt::AlignTop);
        if (entry == kCoCpuSlotEntry) return;
        QWidget* display = nullptr;
        if (entry == kCorrectiveActionEntry) {
            auto* text = new QPlainTextEdit(parent);
            text->setFixedHeight(text->fontMetrics().lineSpacing() * 5 + 10);
            text->setReadOnly(true);
            display = text;
        } else {
            auto* text = new QLineEdit(parent);
            text->setReadOnly(true);
            display = text;
        }
        display->setObjectName(QString("txtTargetBoard_%1").arg(entry));
        display->setFocusPolicy(Qt::NoFocus);
        display->setMinimumWidth(420);
        grid->addWidget(display, row, 1);
        m_txtTargetBoard[index] = display;
    };

    auto* internal = Frame("fraInternalFault", "Internal Fault Code:", tab);
    auto* internalGrid = new QGridLayout(internal);
    for (int entry = 0; entry <= kCorrectiveActionEntry; ++entry)
        addEntry(internalGrid, entry, entry);
    layout->addWidget(internal);

    auto* comm = Frame("fraCommErrors", "Communications Network Error Codes:", tab);
    auto* commGrid = new QGridLayout(comm);
    addEntry(commGrid, kCurrentCommErrorEntry, 0);
    addEntry(commGrid, kLastCommErrorEntry, 1);
    layout->addWidget(comm);

    m_cmdResetFaults = Button("cmdResetFaults", "&Reset Faults", tab);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_cmdResetFaults);
    layout->addLayout(row);
    return tab;
}

QWidget* frmTargetBoard::buildIdentTab() {
    auto* tab = new QWidget(this);
    auto* layout = new QHBoxLayout(tab);

    auto* inBoard = Frame("fraInTargetBoard", "In Target Board:", tab);
    auto* inGrid = new QGridLayout(inBoard);
    static constexpr const char* kInCaptions[] = {"Name:", "Revision:", "Checksum:"};
    for (int i = 0; i < 3; ++i) {
        inGrid->addWidget(Label({}, kInCaptions[i], inBoard), i, 0);
        m_lblRevIdentInPLC[static_cast<std::size_t>(i)] =
            ValueLabel(QString("lblRevIdentInPLC_%1").arg(i), inBoard);
        inGrid->addWidget(m_lblRevIdentInPLC[static_cast<std::size_t>(i)], i, 1);
    }
    inGrid->setRowStretch(5, 1);
    layout->addWidget(inBoard, 0, Qt::AlignTop);

    auto* onDisk = Frame("fraOnDisk", "On Disk:", tab);
    auto* diskGrid = new QGridLayout(onDisk);
    static constexpr const char* kDiskCaptions[] = {
        "Name:", "Revision:", "Checksum:", "Target Board:", "Rev Date:"};
    for (int i = 0; i < 5; ++i) {
        diskGrid->addWidget(Label({}, kDiskCaptions[i], onDisk), i, 0);
        m_lblRevIdentOnDisk[static_cast<std::size_t>(i)] =
            ValueLabel(QString("lblRevIdentOnDisk_%1").arg(i), onDisk);
        diskGrid->addWidget(m_lblRevIdentOnDisk[static_cast<std::size_t>(i)], i, 1);
    }
    layout->addWidget(onDisk, 0, Qt::AlignTop);
    return tab;
}

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

void frmTargetBoard::showTab(int index) {
    if (index < 0 || index >= kTabCount) return;
    if (m_tabTargetBoard->currentIndex() != index) {
        m_tabTargetBoard->setCurrentIndex(index); // comes back here through currentChanged
        return;
    }
    for (int i = 0; i < kTabCount; ++i)
        m_fraTargetBoard[static_cast<std::size_t>(i)]->setVisible(i == index);
}

// ---- Opening ----

bool frmTargetBoard::prepare(const fs::path& halbixFile) {
    m_onDisk = ReadOnDiskIdent(halbixFile);
    if (m_onDisk.failure) {
        m_prompt.ask(*m_onDisk.failure);
        return false;
    }
    m_boardType = m_onDisk.boardType;

    const auto comment = NetworkCommentLines();
    m_lblNetworkAddComment->setText(Q(comment[0]) + "\n" + Q(comment[1]) + "\n" + Q(comment[2]));
    m_cmdGoOnline->hide();
    m_lblTargetBoard[kCoCpuSlotEntry]->hide();
    setUpFieldsForBoardType();
    if (m_boardType == kCoCpuBoardType) m_lblTargetBoard[kCoCpuSlotEntry]->show();
    fillOnDiskLabels();
    return true;
}

bool frmTargetBoard::InitializeForm(const fs::path& halbixFile) {
    if (!prepare(halbixFile)) return false;
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &frmTargetBoard::closed, &loop, &QEventLoop::quit);
    show();
    if (!m_closedSignalled) loop.exec();
    return true;
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

void frmTargetBoard::fillOnDiskLabels() {
    m_lblRevIdentOnDisk[0]->setText(Q(m_onDisk.name));
    m_lblRevIdentOnDisk[1]->setText(QString::number(m_onDisk.revision));
    m_lblRevIdentOnDisk[2]->setText(QString::number(m_onDisk.checksum));
    m_lblRevIdentOnDisk[3]->setText(Q(TargetboardName(m_boardType)));
    m_lblRevIdentOnDisk[4]->setText(m_onDisk.hexModified ? ShortDateTime(*m_onDisk.hexModified)
                                                         : QString("-"));
}

// ---- Activation and closing ----

void frmTargetBoard::showEvent(QShowEvent* event) {
    if (event->spontaneous()) { // restored from the task bar: the cycle runs on
        RefreshCycleWindow::showEvent(event);
        return;
    }
    if (isWindow()) {
        if (const QScreen* screen = this->screen()) {
            adjustSize();
            const QRect area = screen->availableGeometry();
            move(area.x() + (area.width() - frameGeometry().width()) / 2,
                 area.y() + (area.height() - frameGeometry().height()) / 2);
        }
    }
    showTab(0);
    m_onlinePassDone = false;
    m_rememberedSecond = (m_clock.now().second + 1) % 60;
    // Go Online once before the first cycle; the cycle then finds the state it leaves.
    QPointer<frmTargetBoard> self(this);
    cmdGoOnline_Click();
    if (!self) return;
    RefreshCycleWindow::showEvent(event);
}

void frmTargetBoard::closeEvent(QCloseEvent* event) {
    stopCycle();
    RefreshCycleWindow::closeEvent(event);
    if (event->isAccepted() && !m_closedSignalled) {
        m_closedSignalled = true;
        emit closed();
    }
}

void frmTargetBoard::cmdOk_Click() {
    stopCycle();
    close();
}

void frmTargetBoard::cmdGoOnline_Click() {
    RSComm& link = shell().link();
    if (link.OnlineMode) return;
    link.CommError = false;
    link.OnlineMode = true;
    shell().updateOnlineStatus();
}

// ---- Refresh cycle ----

void frmTargetBoard::onlinePreparation() {
    m_onlinePassDone = false;
}

void frmTargetBoard::offlinePreparation() {
    m_onlinePassDone = false;
    m_cmdGoOnline->show();
    m_cmdResetFaults->setEnabled(false);
    for (int entry : {0, 1, 3, 4, 5})
        setDisplay(entry, kCannotCommunicate);
    for (QLabel* label : m_lblRevIdentInPLC)
        label->setEnabled(false);
    disableFieldsOffline();
}

QCoro::Task<bool> frmTargetBoard::refreshPass(bool online) {
    QPointer<frmTargetBoard> self(this);
    if (online) {
        if (!m_onlinePassDone && !co_await onlinePass()) co_return false;
        if (!self || !runFlag()) co_return false;
        if (!co_await addressPoll()) co_return false;
        if (!self) co_return false;
    }
    showClock();
    // Offline there is nothing to wait for but the clock's next second and the user.
    co_return online;
}

QCoro::Task<bool> frmTargetBoard::onlinePass() {
    QPointer<frmTargetBoard> self(this);
    RSComm& link = shell().link();
    const int requests = m_passRequests;
    m_cmdResetFaults->setEnabled(false);
    enableFieldsOnline();

    for (int entry = 0; entry < static_cast<int>(kFaultReadTable.size()); ++entry) {
        if (!co_await yieldToEvents()) co_return false;
        const auto index = static_cast<std::size_t>(entry);
        std::string text;
        if (!link.CommError) {
            text = link.RSRead(kFaultReadTable[index]);
            if (!self) co_return false;
        }
        const std::string code = FaultCodeText(text, link.CommError);
        m_codes[index] = code;
        if (entry != kCoCpuSlotEntry && !link.CommError && FaultCodeValue(code) != 0)
            m_cmdResetFaults->setEnabled(true);
        if (entry == kCorrectiveActionEntry) continue;
        if (entry == kCoCpuSlotEntry && !Shown(m_lblTargetBoard[index])) continue;
        m_lblTargetBoard[index]->setText(Q(FaultEntryCaption(entry, code)));
    }

    if (!showDescriptions(FaultCodesFile(m_home), {kCurrentFaultEntry, kLastFaultEntry}))
        co_return true; // the pass runs again in the next cycle
    if (Shown(m_lblTargetBoard[kCoCpuSlotEntry]) && !link.CommError) {
        if (!co_await yieldToEvents()) co_return false;
        if (!link.CommError) {
            const std::string slot = link.RSRead(kCoCpuSlotAddress);
            if (!self) co_return false;
            m_lblTargetBoard[kCoCpuSlotEntry]->setText("CO-CPU Slot: " + Q(slot));
        }
    }
    setDisplay(kCorrectiveActionEntry,
               Q(CorrectiveActionText(FaultCodeValue(m_codes[kCorrectiveActionEntry]))));
    if (!showDescriptions(CommCodesFile(m_home), {kCurrentCommErrorEntry, kLastCommErrorEntry}))
        co_return true;

    if (!co_await readBoardIdent()) co_return false;
    if (!link.CommError) m_cmdGoOnline->hide();
    m_onlinePassDone = requests == m_passRequests;
    co_return true;
}

bool frmTargetBoard::showDescriptions(const fs::path& file, std::array<int, 2> entries) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return true;
    for (int entry : entries) {
        const auto index = static_cast<std::size_t>(entry);
        const CodeLookup lookup = LookupCode(file, m_codes[index], CodeMatch::Last);
        if (lookup.outcome == CodeLookup::Outcome::ReadError) {
            m_prompt.ask(TargetBoardMessages::RunTimeError(TargetBoardMessages::kFirstPassTitle,
                                                           lookup.error));
            return false;
        }
        if (lookup.outcome == CodeLookup::Outcome::Found) setDisplay(entry, Q(lookup.description));
    }
    return true;
}

QCoro::Task<bool> frmTargetBoard::readBoardIdent() {
    QPointer<frmTargetBoard> self(this);
    RSComm& link = shell().link();
    for (int j = 0; j < kBoardIdentReads; ++j) {
        if (!co_await yieldToEvents()) co_return false;
        if (link.CommError) co_return true;
        const std::string text = link.RSRead(BoardIdentAddress(j));
        if (!self) co_return false;
        if (link.CommError) co_return true;
        if (j < kBoardIdentReads - 2) {
            const int code = IdentCharacterCode(text);
            const QString character = code < 0 ? QString() : QString(QChar(code));
            m_lblRevIdentInPLC[0]->setText(j == 0 ? character
                                                  : m_lblRevIdentInPLC[0]->text() + character);
        } else if (j == kBoardIdentReads - 2) {
            m_lblRevIdentInPLC[2]->setText(Q(text));
        } else {
            m_lblRevIdentInPLC[1]->setText(Q(text));
        }
    }
    co_return true;
}

QCoro::Task<bool> frmTargetBoard::addressPoll() {
    QPointer<frmTargetBoard> self(this);
    for (int i = 0; i < static_cast<int>(kTargetSetupFields.size()); ++i) {
        if (!co_await yieldToEvents()) co_return false;
        RSComm& link = shell().link();
        if (!link.OnlineMode) co_return true;
        const std::string text =
            link.RSRead(kTargetSetupFields[static_cast<std::size_t>(i)].address);
        if (!self) co_return false;
        if (link.CommError) co_return true;
        NumericEntryField* field = setupField(i);
        const bool shows = i <= kNetworkAddress2Field ? Shown(field) : field->isEnabled();
        if (shows && !field->editing()) field->setText(Q(PolledFieldText(text)));
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

// ---- Fields ----

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
    for (int i = 0; i < static_cast<int>(m_txtSetup.size()); ++i)
        if (fieldCaptionShown(i)) setFieldEnabled(i, false);
    setClockControlsEnabled(false);
}

void frmTargetBoard::writeFieldToBoard(int index, const QString& text) {
    RSComm& link = shell().link();
    if (!link.OnlineMode || link.CommError) return;
    link.RSWrite(kTargetSetupFields[static_cast<std::size_t>(index)].address, text.toStdString());
}

void frmTargetBoard::writeClock(const std::array<ClockWrite, 3>& writes) {
    RSComm& link = shell().link();
    if (!link.OnlineMode) return;
    QPointer<frmTargetBoard> self(this);
    for (const ClockWrite& write : writes) {
        if (link.CommError) return;
        // Each part is taken from the clock at the moment of its own write.
        link.RSWrite(write.address, ClockPartText(write.part, m_clock.now()));
        if (!self) return;
    }
}

void frmTargetBoard::cmdSetToCurrTime_Click() {
    writeClock(kSetTimeWrites);
}

void frmTargetBoard::cmdSetToCurrDate_Click() {
    writeClock(kSetDateWrites);
}

void frmTargetBoard::cmdResetFaults_Click() {
    if (m_prompt.ask(TargetBoardMessages::ConfirmResetFaults()) != MessageAnswer::Yes) return;
    m_cmdResetFaults->setEnabled(false);
    RSComm& link = shell().link();
    if (!link.OnlineMode) return;
    QPointer<frmTargetBoard> self(this);
    for (const char* address : kResetFaultWrites) {
        if (link.CommError) break;
        link.RSWrite(address, "0");
        if (!self) return;
    }
    if (link.CommError) return;
    // The cycle runs the pass again; it enables the button when a code is still set.
    ++m_passRequests;
    m_onlinePassDone = false;
}

void frmTargetBoard::setDisplay(int entry, const QString& text) {
    QWidget* display = m_txtTargetBoard[static_cast<std::size_t>(entry)];
    if (auto* line = qobject_cast<QLineEdit*>(display)) {
        line->setText(text);
        line->setCursorPosition(0);
    } else if (auto* box = qobject_cast<QPlainTextEdit*>(display)) {
        box->setPlainText(text);
    }
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
