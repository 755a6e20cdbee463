#pragma once

#include "app/shell/ChildWindowFactory.h"
#include "app/data/DataSet.h"
#include "app/data/DataSetFiles.h"
#include "app/data/LiveTrend.h"
#include "app/shell/HelpWindow.h"
#include "app/shell/PrinterDialogs.h"
#include "link/RSComm.h"
#include "views/ShellContext.h"
#include "app/shell/frmAbout.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>

class QMdiArea;
class QMdiSubWindow;

namespace quelby {

class FileDialogs;
class LivePublishing;
class LiveRecorder;
class PasswordStore;
class ServiceLogSession;
class MainMenus;
class MainStatusBar;
class SerialPort;
class ChildFrameStyle;

// The program's shell: menus, status bar, the one link and the data set, the online state,
// the background status poll and exactly one child window at a time.
class frmMDIMain : public QMainWindow, public ShellContext {
    Q_OBJECT

public:
    // What runs beside a transfer in its modal window: a data transfer lets the status poll
    // tick between its link requests, a program transfer stops it until it ends. Both pause
    // the child window's refresh cycle.
    enum class ModalTransfer { None, Data, Program };

    // Runs start-up: the link (offline, port closed), the window table, the Main Display, the
    // data set and File New. `children` defaults to the windows this build has.
    frmMDIMain(UserPrompt& prompt, Clock& clock, SerialPort& port, FileDialogs& dialogs,
               std::filesystem::path homeFolder,
               std::unique_ptr<ChildWindowFactory> children = nullptr, QWidget* parent = nullptr);
    ~frmMDIMain() override;

    // ShellContext
    RSComm& link() override { return m_link; }
    DataSet& dataSet() override { return m_data; }
    std::string systemMessage() const override { return m_systemMessage; }
    bool offlineEditing() const override { return m_offlineEditing; }
    void updateOnlineStatus() override;
    bool cyclesPaused() const override {
        return m_transfer != ModalTransfer::None || m_targetBoardOpen;
    }
    void setBeforeGoingOffline(std::function<void()> work) override {
        m_beforeGoingOffline = std::move(work);
    }
    LiveTrend& liveTrend() override { return m_liveTrend; }
    void liveValuesRead(const LiveValues& values) override;

    // The program the service log names for the changes from now on: a run against the
    // built-in simulated board says so, and its changes are never taken for a machine's.
    void setServiceLogProgram(const std::string& program);

    // Unloads the child window shown and loads the one of `index` (0..5) from scratch;
    // nothing happens for the window already shown once start-up has finished.
    void ShowChildWindow(int index);
    int currentWindow() const { return m_currentWindow; }
    QWidget* currentChild() const;

    // View > Online Data, View > Offline Data, and a click on the MODE panel (toggle).
    void goOnline();
    void goOffline();
    void toggleOnline();
    // The online prompt before an operation that needs the board: true when online already
    // or the user chose Yes (the program then tried to go online); false on No.
    bool ConfirmOnline();
    // Edit > Set-up Passcode: asks for a new passcode, offering the board's, and writes it.
    void SetupPasscode();
    // File > New, Open, Save and Save As; the caption follows the file after each.
    void fileNew();
    void fileOpen();
    void fileSave();
    void fileSaveAs();
    // File > Export Shift Data: the shift data to a text file; the dialog offers the path
    // chosen last time (gFileExportPath).
    void exportShiftData();
    // File > Compare with Board: the board read into a copy of the data set under the
    // progress window, the differences shown; the data set and the board stay as they were.
    void compareWithBoard();
    // File > Record Live Values: while no recording runs, goes online if the user agrees,
    // asks for a CSV file and records a row per Main Display pass, showing the Main Display;
    // while one runs, stops it. Going offline stops it too.
    void toggleLiveRecording();
    const LiveRecorder& liveRecorder() const { return *m_recorder; }
    const std::filesystem::path& fileExportPath() const { return m_fileExportPath; }
    // File > Upload (save) Data and File > Download Data, by submenu index: the question,
    // then StartTransfer with the index (upload) or the index + 10 (download).
    void uploadData(int index);
    void downloadData(int index);
    // The online prompt, then the transfer `request` in the modal progress window; the
    // child window's cycle waits meanwhile. Codes no menu item requests do nothing.
    void StartTransfer(int request);
    // File > Download Program: the online prompt, the program file, its check and the
    // question, then the program goes down in its transfer window with the status poll
    // stopped. A cancelled dialog or an invalid program ends there.
    void downloadProgram();
    const std::filesystem::path& programFilePath() const { return m_programFilePath; }
    // View > Target Board Interface: the program file and its check, then the Target Board
    // Interface for it, modal; the child window's cycle waits until it closes. A cancelled
    // dialog or an invalid program ends there.
    void showTargetBoardInterface();
    // View > Service Log: the changes made to the board, from the home folder's service log.
    void showServiceLog();
    // File > Print Report: the printer dialog, then the report printed while "Please
    // Standby" shows; without an installed printer the report goes to a chosen PDF file.
    void printReport();
    // The printers File > Print Report uses; the system's unless a test sets others.
    void setPrinterDialogs(PrinterDialogs& printers) { m_printers = &printers; }
    // Edit > Comm Port: the comm port settings dialog, modal.
    void showCommPortSettings();
#ifdef QUELBY_PUBLISH
    // Edit > Publish Live Values: the settings dialog, modal; publishing starts again with
    // what it saved.
    void showPublishSettings();
    const LivePublishing& livePublishing() const { return *m_publishing; }
    // Where the broker's password is kept: the keyring (or its file) unless a test sets
    // another store.
    void setPasswordStore(std::unique_ptr<PasswordStore> passwords);
#endif

    // One tick of tmrBackgroungUpdate; skips its turn while the link is busy (a link message
    // is open) or a program transfer runs.
    void backgroundUpdate();
    void runBackgroundTimer(bool run);
    void setModalTransfer(ModalTransfer transfer);

    // Help > Help Topics and Help > About QUELBY; both windows stay open beside the shell.
    void showHelpTopics();
    void showWindowHelp();
    void showAbout();
    HelpWindow* helpWindow() const { return m_help; }
    // Help > Link Trace...: while no trace runs, asks for a file and starts one; while one
    // runs, stops it. The item is checked while a trace is written.
    void toggleLinkTrace();
    // Every exchange of the link from now on goes to `file` (quelby --trace). False, with a
    // message, when the file cannot be created.
    bool startLinkTrace(const std::filesystem::path& file);
    void stopLinkTrace();
    bool tracingLink() const { return m_linkTrace != nullptr; }
    frmAbout* aboutBox() const { return m_about; }

    MainMenus& menus() const { return *m_menus; }
    MainStatusBar& statusPanels() const { return *m_status; }
    DataSetFiles& files() { return m_files; }
    const QTimer& backgroundTimer() const { return m_backgroundTimer; }
    const std::filesystem::path& homeFolder() const { return m_home; }
    // Help/index.html under the home folder (or the shipped one), found whatever the case of
    // its names.
    std::filesystem::path helpFile() const;

signals:
    // The window was shown for the first time and its background timer started.
    void firstShown();

protected:
    void showEvent(QShowEvent* event) override;
    // The close sequence: "Save Changes to File?" (Cancel keeps the program running), then
    // the link is closed and the windows are unloaded.
    void closeEvent(QCloseEvent* event) override;

private:
    void unloadChild();
    void showCaption();
    void showModified();
    void showOfflineEditingHint();
    std::string clockText() const; // the local time as "HH:MM", for notices
    // The MODE panel and the items that follow the online state.
    void showOnlineState();
    // Every menu check mark as the program's state has it.
    void showMenuMarks();
    void setOfflineEditing(bool on);
    void connectMenus();
    // Publishing follows the online state and the link's health.
    void syncPublishing();

    UserPrompt& m_prompt;
    Clock& m_clock;
    FileDialogs& m_dialogs;
    SerialPort& m_port; // MSComm1, handed to the link when going online
    std::filesystem::path m_home;
    std::filesystem::path m_helpFile; // as named at start-up; its case is found on use
    RSComm m_link;
    DataSet m_data;
    DataSetFiles m_files;
    std::unique_ptr<ChildWindowFactory> m_children;
    QtPrinterDialogs m_systemPrinters;
    PrinterDialogs* m_printers = &m_systemPrinters;
    std::filesystem::path m_fileExportPath;  // gFileExportPath
    std::filesystem::path m_programFilePath; // gProgramFilePath

    QMdiArea* m_mdi = nullptr;
    ChildFrameStyle* m_frameStyle = nullptr; // outlives every child frame
    MainMenus* m_menus = nullptr;
    MainStatusBar* m_status = nullptr;
    QTimer m_backgroundTimer; // tmrBackgroungUpdate
    QPointer<QMdiSubWindow> m_child;
    QPointer<HelpWindow> m_help;
    QPointer<frmAbout> m_about;
    std::unique_ptr<FileLinkTrace> m_linkTrace;
    std::unique_ptr<LiveRecorder> m_recorder;
    // Declared after the link, which it is attached to: it goes first.
    std::unique_ptr<ServiceLogSession> m_serviceLog;
    LiveTrend m_liveTrend;
#ifdef QUELBY_PUBLISH
    std::unique_ptr<LivePublishing> m_publishing;
#endif
    std::optional<int> m_faultCode; // the status poll's latest, confirmed

    int m_currentWindow = 0;
    bool m_loadFinished = false;
    bool m_shownOnce = false;
    bool m_offlineEditing = false; // OfflineEditing
    bool m_shownOnline = false;    // the online state the display last showed
    std::string m_systemMessage;   // SystemMessage
    ModalTransfer m_transfer = ModalTransfer::None;
    std::function<void()> m_beforeGoingOffline;
    bool m_targetBoardOpen = false;
};

} // namespace quelby
