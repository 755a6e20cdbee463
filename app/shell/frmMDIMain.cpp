#include "app/shell/frmMDIMain.h"

#include "app/data/ServiceLogSession.h"
#include "app/shell/BuiltChildWindows.h"
#include "link/BoardChangeLog.h"
#include "link/FilePaths.h"
#include "link/HomeFolder.h"
#include "app/shell/HelpWindow.h"
#include "app/shell/LiveRecorder.h"
#include "app/shell/MainMenus.h"
#include "app/shell/MainStatusBar.h"
#include "report/ReportOutput.h"
#include "app/shell/ShellMessages.h"
#include "app/data/ShiftExport.h"
#include "app/shell/StatusPoll.h"
#include "app/shell/ChildFrameStyle.h"
#include "app/data/TransferMessages.h"
#include "app/shell/frmAbout.h"
#include "dialogs/frmDownloadProg.h"
#include "app/shell/frmProcessing.h"
#include "dialogs/frmCompareBoard.h"
#include "dialogs/frmServiceLog.h"
#include "dialogs/frmSetupComm.h"
#include "link/SystemSerialPort.h"
#include "diagnostics/frmTargetBoard.h"
#include "views/CycleWakeUp.h"
#include "views/PendingEditGuard.h"
#include "app/shell/frmWaitDisplay.h"
#ifdef QUELBY_PUBLISH
#include "app/data/PublishPasswordFile.h"
#include "app/shell/LivePublishing.h"
#include "dialogs/frmPublish.h"
#ifdef QUELBY_KEYRING
#include "app/shell/KeyringPasswordStore.h"
#endif
#endif

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QTime>

#include <array>
#include <utility>

namespace quelby {

namespace {
constexpr int kBackgroundUpdateMs = 500;
constexpr const char* kPasscodeAddress = "W1070";
constexpr const char* kTextFilter = "Text Files(*.txt)|*.txt|";
constexpr const char* kPdfFilter = "PDF Files(*.pdf)|*.pdf|";
constexpr const char* kProgramFilter = "Halbix Files(*.hbx)|*.hbx|";

// The windows that edit the data set while offline editing is on: Set-up Parameters, Serial
// Communications, Machine Timing and Shift Data.
bool EditsOffline(int window) {
    return window >= 1 && window <= 4;
}

std::array<bool, MainMenus::kWindowCount> BuiltWindows(const ChildWindowFactory& children) {
    std::array<bool, MainMenus::kWindowCount> built{};
    for (int i = 0; i < MainMenus::kWindowCount; ++i)
        built[static_cast<std::size_t>(i)] = children.isBuilt(i);
    return built;
}
} // namespace

frmMDIMain::frmMDIMain(UserPrompt& prompt, Clock& clock, SerialPort& port, FileDialogs& dialogs,
                       std::filesystem::path homeFolder,
                       std::unique_ptr<ChildWindowFactory> children, QWidget* parent)
    : QMainWindow(parent), m_prompt(prompt), m_clock(clock), m_dialogs(dialogs), m_port(port),
      m_home(std::move(homeFolder)),
      // 1. The help file; 2. the port (m_port); 3. the one link, offline with its port closed.
      m_helpFile(std::filesystem::path("Help") / "index.html"), m_link(clock, prompt, m_home),
      // 7. and 8. The data set with its defaults; the file name starts as home + "*.sdt".
      m_files(m_data, prompt, dialogs, clock, m_home),
      m_children(children ? std::move(children) : std::make_unique<BuiltChildWindows>(prompt)) {
    setObjectName("frmMDIMain");
    // 5. The design caption, until File New names the data set.
    setWindowTitle(QString::fromStdString(DataSetFiles::kBaseCaption));
    resize(960, 680);

    // 4. The window table and the Window menu's items: the menu is the way between windows.
    m_menus = new MainMenus(*menuBar(), BuiltWindows(*m_children));
    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName("mdiArea");
    m_frameStyle = new ChildFrameStyle;
    m_frameStyle->setParent(this);
    setCentralWidget(m_mdi);
    m_status = new MainStatusBar(m_clock, this);
    setStatusBar(m_status);
    m_recorder = std::make_unique<LiveRecorder>(m_prompt, m_dialogs, *m_status,
                                                *m_menus->fileRecordLive(), m_home);
#ifdef QUELBY_PUBLISH
#ifdef QUELBY_KEYRING
    auto passwords = std::make_unique<KeyringPasswordStore>(PublishPasswordFile(m_home));
#else
    auto passwords = std::make_unique<FilePasswordStore>(PublishPasswordFile(m_home));
#endif
    m_publishing = std::make_unique<LivePublishing>(
        m_home, std::move(passwords), *m_status, [this](const MessageRequest& message) {
            // Told in the middle of going online or of a pass: the message waits until it ends.
            QTimer::singleShot(0, this, [this, message] { m_prompt.ask(message); });
        });
#endif
    m_serviceLog = std::make_unique<ServiceLogSession>(
        m_link, m_home, "QUELBY", "QUELBY", [this](const std::string& problem) {
            // Told in the middle of a board request: the message waits until it has ended.
            QTimer::singleShot(0, this, [this, problem] {
                m_prompt.ask(ShellMessages::ServiceLogNotWritten(problem));
            });
        });
    connectMenus();

    m_backgroundTimer.setObjectName("tmrBackgroungUpdate");
    m_backgroundTimer.setInterval(kBackgroundUpdateMs);
    connect(&m_backgroundTimer, &QTimer::timeout, this, &frmMDIMain::backgroundUpdate);

    // 6. The Main Display; 9. File New (nothing changed yet, so no question); 10. done.
    ShowChildWindow(0);
    fileNew();
    m_loadFinished = true;
}

frmMDIMain::~frmMDIMain() {
    m_backgroundTimer.stop();
#ifdef QUELBY_PUBLISH
    m_publishing.reset();
#endif
    // Child windows may still ask the link as they go; they go before the link does.
    unloadChild();
    m_link.SetTrace(nullptr);
}

void frmMDIMain::setServiceLogProgram(const std::string& program) {
    m_serviceLog->setProgram(program);
}

void frmMDIMain::connectMenus() {
    // Every command first checks the entry field being edited, if any, and does nothing when
    // that check fails; an item that flipped its own check mark gets it back then.
    const auto command = [this](QAction* item, auto action) {
        connect(item, &QAction::triggered, this, [this, action] {
            if (PendingEditPasses(this))
                action();
            else
                showMenuMarks();
        });
    };
    command(m_menus->fileNew(), [this] { fileNew(); });
    command(m_menus->fileOpen(), [this] { fileOpen(); });
    command(m_menus->fileSave(), [this] { fileSave(); });
    command(m_menus->fileSaveAs(), [this] { fileSaveAs(); });
    command(m_menus->fileExport(), [this] { exportShiftData(); });
    command(m_menus->fileCompareBoard(), [this] { compareWithBoard(); });
    command(m_menus->fileRecordLive(), [this] { toggleLiveRecording(); });
    command(m_menus->filePrint(), [this] { printReport(); });
    command(m_menus->fileDownloadProgram(), [this] { downloadProgram(); });
    for (int i = 0; i < MainMenus::kTransferItemCount; ++i) {
        if (QAction* item = m_menus->fileUploadData(i)) command(item, [this, i] { uploadData(i); });
        if (QAction* item = m_menus->fileDownloadData(i))
            command(item, [this, i] { downloadData(i); });
    }
    command(m_menus->fileExit(), [this] { close(); });
    command(m_menus->editOfflineEditing(), [this] { setOfflineEditing(!m_offlineEditing); });
    command(m_menus->editCommPort(), [this] { showCommPortSettings(); });
#ifdef QUELBY_PUBLISH
    command(m_menus->editPublish(), [this] { showPublishSettings(); });
#endif
    command(m_menus->editPasscode(), [this] { SetupPasscode(); });
    command(m_menus->viewTargetBoardStatus(), [this] { showTargetBoardInterface(); });
    command(m_menus->viewServiceLog(), [this] { showServiceLog(); });
    command(m_menus->viewOnline(), [this] { goOnline(); });
    command(m_menus->viewOffline(), [this] { goOffline(); });
    command(m_menus->helpTopics(), [this] { showHelpTopics(); });
    // F1: the help at the section of the window in front (Ctrl+H opens its contents).
    auto* windowHelp = new QAction(this);
    windowHelp->setObjectName("actWindowHelp");
    windowHelp->setShortcut(QKeySequence(Qt::Key_F1));
    windowHelp->setShortcutContext(Qt::ApplicationShortcut);
    addAction(windowHelp);
    command(windowHelp, [this] { showWindowHelp(); });
    command(m_menus->helpAbout(), [this] { showAbout(); });
    command(m_menus->helpLinkTrace(), [this] { toggleLinkTrace(); });
    for (int i = 0; i < MainMenus::kWindowCount; ++i)
        command(m_menus->windowForm(i), [this, i] { ShowChildWindow(i); });
    connect(m_status, &MainStatusBar::modePanelClicked, this, [this] {
        if (PendingEditPasses(this)) toggleOnline();
    });
}

void frmMDIMain::showMenuMarks() {
    m_menus->editOfflineEditing()->setChecked(m_offlineEditing);
    m_menus->fileRecordLive()->setChecked(m_recorder->running());
    for (int i = 0; i < MainMenus::kWindowCount; ++i)
        m_menus->windowForm(i)->setChecked(i == m_currentWindow);
    showOnlineState();
}

void frmMDIMain::updateOnlineStatus() {
    if (m_link.OnlineMode) {
        // A new online period: the trend starts again.
        if (!m_link.PortOpen()) m_liveTrend.clear();
        m_link.OpenRSComm(m_port);
    } else {
        if (auto work = std::exchange(m_beforeGoingOffline, {})) work();
        m_link.CloseRSComm();
    }
    m_faultCode.reset(); // the next poll reads it for this online period
    const bool recordingEnds = !m_link.OnlineMode && m_recorder->running();
    if (recordingEnds) m_recorder->stop();

    showOnlineState();
    if (recordingEnds) {
        // Beside the lost link's notice, if that is why; the rows recorded stay in the file.
        QString text = QString::fromStdString(
            ShellMessages::LiveRecordingEndedNotice(m_recorder->fileName(), m_recorder->rows()));
        if (m_link.CommError && m_status->notice()->isVisibleTo(m_status))
            text = m_status->notice()->text() + "; " + text;
        m_status->setNotice(text);
    }
    CycleWakeUp::ring();

    // A failed open leaves the display as set above; the next update corrects it.
    if (m_link.CommError) m_link.OnlineMode = false;
    syncPublishing();
}

void frmMDIMain::syncPublishing() {
#ifdef QUELBY_PUBLISH
    // A board that does not answer gives nothing to publish: the windows go offline next.
    m_publishing->setOnline(m_link.OnlineMode && m_link.PortOpen() && !m_link.CommError);
#endif
}

void frmMDIMain::showOnlineState() {
    const bool online = m_link.OnlineMode;
    m_status->setPanelText(2, online ? "ONLINE" : "OFFLINE");
    m_menus->viewOnline()->setChecked(online);
    m_menus->viewOffline()->setChecked(!online);
    m_menus->setPasscodeEnabled(online);
    // Online ended by a link failure rather than by the user: the windows fall back to the
    // data set's values, which must not pass for the board's.
    if (m_shownOnline && !online && m_link.CommError)
        m_status->setNotice(QString::fromStdString(ShellMessages::LinkLostNotice(clockText())));
    m_shownOnline = online;
    showOfflineEditingHint();
    syncPublishing();
}

void frmMDIMain::showOfflineEditingHint() {
    const bool greyed = !m_link.OnlineMode && !m_offlineEditing && EditsOffline(m_currentWindow);
    m_status->setHint(greyed ? QString::fromStdString(ShellMessages::OfflineEditingHint())
                             : QString());
}

std::string frmMDIMain::clockText() const {
    const LocalDateTime now = m_clock.now();
    return QTime(now.hour, now.minute).toString(QStringLiteral("HH:mm")).toStdString();
}

void frmMDIMain::showCommPortSettings() {
    // The status poll keeps ticking meanwhile; while the dialog reopens the link, the link
    // is busy and the poll skips its turn.
    frmSetupComm dialog(m_link, m_port, m_prompt, m_home, this);
    dialog.setBoardSearch([this](const BoardSearch::Progress& progress) {
        BoardSearch search(
            m_clock,
            [](const std::string& device) -> std::unique_ptr<SerialPort> {
                return std::make_unique<SystemSerialPort>(PortMap{}, device);
            },
            m_home);
        return search.run(SerialDevicesToSearch(PortMap::load(PortMap::FileIn(m_home))), progress);
    });
    dialog.exec();
    showOnlineState();
}

#ifdef QUELBY_PUBLISH
void frmMDIMain::showPublishSettings() {
    const PublishConfig kept = m_publishing->config();
    frmPublish dialog(kept, m_dialogs, m_prompt, this);
    // A keyring may answer while the dialog is open, or after it has gone.
    QPointer<frmPublish> shown(&dialog);
    m_publishing->readPassword(kept, [shown](const CheckedText& password) {
        if (shown && password.text) shown->showKeptPassword(*password.text);
    });
    if (dialog.exec() != QDialog::Accepted) return;
    const PublishConfig chosen = dialog.config();
    // A password the store has not answered with yet is kept as it is.
    std::optional<std::string> password;
    if (dialog.passwordEdited() || chosen.passwordKey() != kept.passwordKey())
        password = dialog.password();
    m_publishing->save(chosen, password);
    syncPublishing();
}

void frmMDIMain::setPasswordStore(std::unique_ptr<PasswordStore> passwords) {
    m_publishing->setPasswordStore(std::move(passwords));
}
#endif

void frmMDIMain::goOnline() {
    m_link.OnlineMode = true;
    updateOnlineStatus();
}

void frmMDIMain::goOffline() {
    m_link.OnlineMode = false;
    updateOnlineStatus();
}

void frmMDIMain::toggleOnline() {
    m_link.OnlineMode = !m_link.OnlineMode;
    updateOnlineStatus();
}

bool frmMDIMain::ConfirmOnline() {
    if (m_link.OnlineMode) return true;
    if (m_prompt.ask(ShellMessages::SwitchToOnline()) != MessageAnswer::Yes) return false;
    goOnline();
    return true;
}

void frmMDIMain::SetupPasscode() {
    std::string current;
    if (!m_link.CommError) current = m_link.RSRead(kPasscodeAddress);
    const std::optional<std::string> answer = m_prompt.input(ShellMessages::SetupPasscode(current));
    if (!answer || answer->empty()) return;
    // The link's entry check refuses anything outside 0..65535.
    BoardChangeScope changes(m_link, "Set-up Passcode", "Set-up Passcode",
                             BoardChangeScope::Values::Concealed);
    if (!m_link.CommError) m_link.RSWrite(kPasscodeAddress, *answer);
}

void frmMDIMain::fileNew() {
    m_files.New();
    showCaption();
    CycleWakeUp::ring();
}

void frmMDIMain::fileOpen() {
    if (m_files.Open() == FileCommandResult::Done && m_link.OnlineMode)
        m_status->setNotice(QString::fromStdString(
            ShellMessages::FileOpenedOnlineNotice(m_files.fileNameTitle())));
    showCaption();
    CycleWakeUp::ring();
}

void frmMDIMain::fileSave() {
    m_files.Save();
    showCaption();
}

void frmMDIMain::fileSaveAs() {
    m_files.SaveAs();
    showCaption();
}

void frmMDIMain::exportShiftData() {
    const std::optional<std::filesystem::path> file =
        m_dialogs.saveFile({kTextFilter, m_fileExportPath});
    if (!file) return;
    m_fileExportPath = *file;
    const ShiftExportHeading heading{m_files.fileNameTitle(), m_files.uploadNow()};
    if (const auto failure = ExportShiftData(*file, m_data.CurrentData, heading))
        m_prompt.ask(*failure);
}

void frmMDIMain::compareWithBoard() {
    if (!ConfirmOnline()) return;
    MachineData board = m_data.CurrentData;
    std::optional<TransferOutcome> outcome;
    setModalTransfer(ModalTransfer::Data);
    {
        frmProcessing window(m_link, m_prompt, board,
                             TransferRequest{TransferDirection::Upload, TransferData::All}, this);
        window.exec();
        outcome = window.outcome();
    }
    setModalTransfer(ModalTransfer::None);
    // A failed link has said so; a cancelled read leaves points unread that would compare
    // as the data set's own values.
    if (!outcome || outcome->commError || outcome->cancelled) return;
    const MachineData dataSet = m_data.CurrentData;
    frmCompareBoard dialog(
        [&, unread = outcome->unreadPoints, timingRead = !outcome->plsStopped](
            const CompareSections& sections) {
            return BoardCompareRows(dataSet, board, unread, timingRead, sections);
        },
        this);
    dialog.exec();
}

void frmMDIMain::toggleLiveRecording() {
    if (m_recorder->running()) {
        m_recorder->stop();
        return;
    }
    if (!ConfirmOnline() || !m_link.OnlineMode) {
        m_recorder->stop(); // puts back the check mark the item took
        return;
    }
    if (m_recorder->start()) ShowChildWindow(0);
}

void frmMDIMain::liveValuesRead(const LiveValues& values) {
    m_recorder->record(values);
#ifdef QUELBY_PUBLISH
    m_publishing->offer(values, m_faultCode,
                        [this](int code) { return m_link.FaultDescription(code); });
#endif
}

void frmMDIMain::uploadData(int index) {
    if (m_prompt.ask(TransferMessages::ConfirmUpload()) != MessageAnswer::Yes) return;
    m_files.setUploadNow(m_clock.now());
    StartTransfer(index);
}

void frmMDIMain::downloadData(int index) {
    if (m_prompt.ask(TransferMessages::ConfirmDownload()) != MessageAnswer::Yes) return;
    StartTransfer(index + TransferRequest::kDownloadCodeOffset);
}

void frmMDIMain::StartTransfer(int request) {
    const std::optional<TransferRequest> transfer = TransferRequest::FromCode(request);
    if (!transfer) return;
    // Going online is not checked: a port that did not open fails the transfer's first step.
    if (!ConfirmOnline()) return;
    setModalTransfer(ModalTransfer::Data);
    {
        BoardChangeScope changes(m_link, TransferMessages::TransferName(*transfer),
                                 "Data Set " + m_files.fileNameCaption());
        frmProcessing window(m_link, m_prompt, m_data.CurrentData, *transfer, this);
        window.exec();
        if (const auto& outcome = window.outcome()) {
            if (outcome->timingDownloaded) m_data.TimingDownloaded = true;
            m_status->setNotice(QString::fromStdString(
                TransferMessages::TransferNotice(*transfer, *outcome, clockText())));
        }
    }
    setModalTransfer(ModalTransfer::None);
    showCaption();
    CycleWakeUp::ring();
}

void frmMDIMain::downloadProgram() {
    if (!ConfirmOnline()) return;
    const std::optional<std::filesystem::path> file = m_dialogs.openFile({kProgramFilter, {}});
    if (!file) return;
    m_programFilePath = *file;
    m_link.DownloadFile(*file);
    if (!m_link.ValidProgram()) return;
    if (m_prompt.ask(ShellMessages::ConfirmProgramDownload(file->filename().string())) !=
        MessageAnswer::Yes)
        return;
    setModalTransfer(ModalTransfer::Program);
    {
        BoardChangeScope changes(m_link, "Download Program");
        frmDownloadProg window(m_link, this);
        window.exec();
    }
    setModalTransfer(ModalTransfer::None);
    updateOnlineStatus();
}

void frmMDIMain::showTargetBoardInterface() {
    if (m_targetBoardOpen) return;
    const std::optional<std::filesystem::path> file = m_dialogs.openFile(
        {kProgramFilter, {}, "Target Board Interface: the program file the board should run"});
    if (!file) return;
    m_programFilePath = *file;
    m_link.DownloadFile(*file);
    if (!m_link.ValidProgram()) return;
    m_targetBoardOpen = true;
    {
        BoardChangeScope changes(m_link, "Target Board Interface window");
        frmTargetBoard window(*this, m_prompt, m_clock, m_home, this);
        window.InitializeForm(m_programFilePath);
    }
    m_targetBoardOpen = false;
}

void frmMDIMain::showServiceLog() {
    frmServiceLog dialog(m_home, m_dialogs, m_prompt, this);
    dialog.exec();
}

void frmMDIMain::printReport() {
    const std::string caption = m_files.fileNameCaption();
    std::optional<MessageRequest> failure;
    if (m_printers->hasPrinter()) {
        QPrinter printer(QPrinter::HighResolution);
        if (!m_printers->choosePrinter(printer, this)) return;
        frmWaitDisplay wait(WaitReason::PrintReport, this);
        failure = wait.runWhileShown(
            [&] { return PrintReportOnPrinter(printer, m_clock, m_data.CurrentData, caption); });
    } else {
        // No printer to print on: the report can still be kept as a PDF file.
        const std::string stem =
            m_files.fileNameTitle().empty()
                ? std::string("QUELBY Report")
                : std::filesystem::path(m_files.fileNameTitle()).stem().string();
        const std::optional<std::filesystem::path> file =
            m_dialogs.saveFile({kPdfFilter, stem + ".pdf",
                                "No printer is installed: save the report as a PDF file"});
        if (!file) return;
        frmWaitDisplay wait(WaitReason::PrintReport, this);
        failure = wait.runWhileShown([&] {
            return WriteReportPdf(*file, LocalReportPaper(), m_clock, m_data.CurrentData, caption);
        });
    }
    if (failure) m_prompt.ask(*failure);
}

void frmMDIMain::showCaption() {
    // "[*]" is where Qt marks the title while the data set holds unsaved changes.
    setWindowTitle(QString::fromStdString(m_files.windowCaption()) + QStringLiteral("[*]"));
    showModified();
}

void frmMDIMain::showModified() {
    // Setting the same state again would send the title to the window system each tick.
    if (const bool changed = m_data.HasUnsavedChanges(); changed != isWindowModified())
        setWindowModified(changed);
}

void frmMDIMain::setOfflineEditing(bool on) {
    m_offlineEditing = on;
    m_menus->editOfflineEditing()->setChecked(on);
    showOfflineEditingHint();
    CycleWakeUp::ring();
}

QWidget* frmMDIMain::currentChild() const {
    return m_child ? m_child->widget() : nullptr;
}

void frmMDIMain::ShowChildWindow(int index) {
    QAction* item = m_menus->windowForm(index);
    if (!item) return;
    // A triggered item has flipped its own check mark; the current window keeps its mark.
    if (index == m_currentWindow && m_loadFinished && m_child) {
        item->setChecked(true);
        return;
    }
    m_menus->windowForm(m_currentWindow)->setChecked(false);
    item->setChecked(true);
    unloadChild();

    QWidget* window = m_children->create(index, *this, nullptr);
    m_serviceLog->setSource(window->windowTitle().toStdString() + " window");
    auto* sub = new QMdiSubWindow;
    sub->setObjectName("subwindow");
    sub->setWidget(window);
    m_frameStyle->dress(*sub);
    m_mdi->addSubWindow(sub);
    // The window opens with its focus parked, never in a field: leaving a field checks it and
    // writes what it shows, which before the first read is not the board's value. While the
    // sub-window shows and maximises, Qt hands the focus on to the next control it finds, so
    // the window takes no focus until it stands.
    window->setEnabled(false);
    sub->showMaximized();
    window->setEnabled(true);
    if (auto* parking = window->findChild<QWidget*>(QStringLiteral("cmdDefault")))
        parking->setFocus(Qt::OtherFocusReason);
    m_child = sub;
    m_currentWindow = index;
    showOfflineEditingHint();
}

void frmMDIMain::unloadChild() {
    if (!m_child) return;
    QMdiSubWindow* sub = m_child;
    m_child = nullptr;
    sub->close(); // the child's own close handling runs first
    delete sub;
}

void frmMDIMain::runBackgroundTimer(bool run) {
    if (run)
        m_backgroundTimer.start();
    else
        m_backgroundTimer.stop();
    // One timer for the whole program: the tick keeps the clock panels and wakes the idle
    // windows, so an idle program wakes twice a second and no more.
    m_status->setOwnTimer(!run);
}

void frmMDIMain::backgroundUpdate() {
    m_status->refreshDateTime();
    CycleWakeUp::ring();
    // Windows and transfers change CurrentData directly; the title follows within a tick.
    showModified();
#ifdef QUELBY_PUBLISH
    m_publishing->showStatus();
#endif
    if (m_link.Busy() || m_transfer == ModalTransfer::Program) return;
    // Not while a request runs: opening the link has the port closed for a moment.
    syncPublishing();
    const std::optional<StatusTexts> texts = PollStatus(m_link);
    m_faultCode = texts ? texts->faultCode : std::nullopt;
    if (texts) {
        m_systemMessage = texts->systemMessage;
        m_status->setPanelText(1, QString::fromStdString(texts->statusPanel));
    }
}

void frmMDIMain::setModalTransfer(ModalTransfer transfer) {
    m_transfer = transfer;
    if (transfer == ModalTransfer::Program)
        runBackgroundTimer(false);
    else if (m_shownOnce)
        runBackgroundTimer(true);
}

std::filesystem::path frmMDIMain::helpFile() const {
    return FindRunTimeFile(m_home, m_helpFile);
}

void frmMDIMain::showHelpTopics() {
    const std::filesystem::path file = helpFile();
    if (!std::filesystem::exists(file)) {
        m_prompt.ask(ShellMessages::HelpFileMissing(file.string()));
        return;
    }
    if (!m_help)
        m_help = new HelpWindow(file, this);
    else
        m_help->showContents();
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void frmMDIMain::showWindowHelp() {
    // The help page, and the section of it, for each window of the Window menu.
    static const std::array<std::pair<const char*, const char*>, MainMenus::kWindowCount> topics{{
        {"index.html", "maindisplay"},
        {"setup.html", ""},
        {"index.html", "df1"},
        {"index.html", "timing"},
        {"shiftdata.html", ""},
        {"index.html", "iostates"},
    }};
    showHelpTopics();
    if (!m_help) return;
    const auto& [page, anchor] = topics.at(static_cast<std::size_t>(m_currentWindow));
    m_help->showTopic(QString::fromLatin1(page), QString::fromLatin1(anchor));
}

void frmMDIMain::showAbout() {
    if (!m_about) m_about = new frmAbout(m_prompt, this);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void frmMDIMain::toggleLinkTrace() {
    if (m_linkTrace) {
        stopLinkTrace();
        return;
    }
    const auto chosen = m_dialogs.saveFile({"Trace Files(*.txt)|*.txt|", m_home / "link-trace.txt"});
    if (chosen) startLinkTrace(*chosen);
    m_menus->helpLinkTrace()->setChecked(m_linkTrace != nullptr);
}

bool frmMDIMain::startLinkTrace(const std::filesystem::path& file) {
    stopLinkTrace();
    std::string error;
    m_linkTrace = FileLinkTrace::Create(file, error);
    if (m_linkTrace) m_link.SetTrace(m_linkTrace.get());
    else m_prompt.ask({"Link Trace", {error}, MessageButtons::OK, MessageIcon::Exclamation});
    m_menus->helpLinkTrace()->setChecked(m_linkTrace != nullptr);
    return m_linkTrace != nullptr;
}

void frmMDIMain::stopLinkTrace() {
    m_link.SetTrace(nullptr);
    m_linkTrace.reset();
    m_menus->helpLinkTrace()->setChecked(false);
}

void frmMDIMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shownOnce) return;
    m_shownOnce = true;
    if (m_transfer != ModalTransfer::Program) runBackgroundTimer(true);
    emit firstShown();
}

void frmMDIMain::closeEvent(QCloseEvent* event) {
    if (!m_files.SaveChangesFirst()) {
        event->ignore();
        return;
    }
    m_backgroundTimer.stop();
    m_recorder->stop();
    m_link.CloseRSComm();
    syncPublishing();
    unloadChild();
    if (m_about) m_about->close();
    if (m_help) m_help->close();
    event->accept();
}

} // namespace quelby
