// The window as a whole: layout of the tabs, opening, the refresh loop, Go Online and Ok.
#include "diagnostics/frmTargetBoard.h"

#include "diagnostics/TargetBoardWidgets.h"
#include "app/data/TargetBoardFaults.h"
#include "link/RSComm.h"
#include "link/UserPrompt.h"
#include "views/NumericEntryField.h"
#include "views/ParkingButton.h"
#include "views/NamedControls.h"
#include "views/ShellContext.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
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
    showTab(0);
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

} // namespace quelby
