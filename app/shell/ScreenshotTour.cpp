#include "app/shell/ScreenshotTour.h"

#include "link/FilePaths.h"
#include "app/shell/HelpWindow.h"
#include "app/shell/frmAbout.h"
#include "app/shell/frmMDIMain.h"
#include "app/shell/frmWaitDisplay.h"
#include "diagnostics/frmTargetBoard.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLayout>
#include <QLineEdit>
#include <QTabBar>
#include <QTextStream>
#include <QTimer>

namespace quelby {

namespace {
// Long enough for a few status ticks and refresh passes on a line-speed simulated board.
constexpr int kSettleMs = 1500;
// Long enough for the Main Display's trend to draw a minute of the simulated line.
constexpr int kTrendMs = 60000;
// The sample program's ident, which the board's download question names.
constexpr const char* kSampleProgramQuestion = "Program Download - [QLBYDEMO]";
// Window menu indexes of the diagnostic windows.
constexpr int kSerialCommunications = 2;
constexpr int kIoStates = 5;
constexpr int kMachineTiming = 3;

std::function<void(QWidget*)> Click(const QString& button) {
    return [button](QWidget* window) { ModalAnswerer::clickButton(window, button); };
}
} // namespace

ScreenshotTour::ScreenshotTour(frmMDIMain& window, const QString& folder)
    : QObject(&window), m_window(window), m_folder(folder),
      m_answers([this](QWidget* widget, const QString& name) { save(widget, name); }, this) {
    m_steps = {
        {kSettleMs, [this] { save(&m_window, "main-offline.png"); }},
        {0, [this] { m_window.goOnline(); }},
        {kSettleMs, [this] { save(&m_window, "main-online.png"); }},
        {kTrendMs, [this] { save(&m_window, "main-trend.png"); }},
        {0,
         [this] {
             // The timing channels of the built-in data set on the board, so the window
             // recalls programmed channels.
             m_answers.expect("Data Download", "", 100, Click("Yes"));
             m_window.downloadData(1);
             m_window.ShowChildWindow(kMachineTiming);
         }},
        {kSettleMs, [this] { saveTimingPages("online"); }},
        {0, [this] { m_window.goOffline(); }},
        {kSettleMs, [this] { saveTimingPages("offline"); }},
        {0, [this] { m_window.ShowChildWindow(0); }},
        {0, [this] { m_window.goOnline(); }},
        {0, [this] { m_window.ShowChildWindow(kSerialCommunications); }},
        {kSettleMs, [this] { save(&m_window, "df1-online.png"); }},
        {0, [this] { m_window.ShowChildWindow(kIoStates); }},
        {kSettleMs, [this] { save(&m_window, "io-online.png"); }},
        {0, [this] { m_window.goOffline(); }},
        {500, [this] { save(&m_window, "io-offline.png"); }},
        {0, [this] { m_window.ShowChildWindow(kSerialCommunications); }},
        {500, [this] { save(&m_window, "df1-offline.png"); }},
        {0, [this] { m_window.ShowChildWindow(0); }},
        {0,
         [this] {
             m_window.goOffline();
             m_window.showAbout();
         }},
        {300, [this] { save(m_window.aboutBox(), "about.png"); }},
        {0,
         [this] {
             if (m_window.aboutBox()) m_window.aboutBox()->close();
             m_window.showHelpTopics();
         }},
        {500, [this] { save(m_window.helpWindow(), "help.png"); }},
        {0,
         [this] {
             if (m_window.helpWindow()) m_window.helpWindow()->close();
             m_answers.expect("frmSetupComm", "comm-port.png", 300, Click("Cancel"));
             m_window.showCommPortSettings();
         }},
        {0,
         [this] {
             m_window.goOnline();
             m_answers.expect("Data Upload", "data-upload-question.png", 300, Click("Yes"));
             m_answers.expect("frmProcessing", "processing.png", 400);
             m_window.uploadData(4);
         }},
        {0,
         [this] {
             // Just after the upload the board differs from the data set in its live shift
             // counters only.
             m_answers.expect("frmCompareBoard", "compare-board.png", 300, Click("Close"));
             m_window.compareWithBoard();
         }},
        {0, [this] { expectProgramDownload(); }},
        {0, [this] { expectTargetBoards(); }},
        {0, [this] { saveWaitDisplay(); }},
        {0,
         [this] {
             // The upload changed the data set: the close sequence asks about saving it.
             m_answers.expect("QUELBY", "save-changes-question.png", 300, Click("No"));
             m_window.close();
         }},
    };
}

void ScreenshotTour::expectProgramDownload() {
    const std::filesystem::path hbx = FindPath(m_window.homeFolder(), "programs/K650DEMO.hbx");
    if (!std::filesystem::exists(hbx)) {
        QTextStream(stderr) << "no programs/K650DEMO.hbx in the home folder: no program download\n";
        return;
    }
    const QString file = QString::fromStdString(hbx.string());
    m_answers.expect("QFileDialog", "program-file-dialog.png", 500, [file](QWidget* window) {
        // Typed into the name field as a user would: the dialog's own selectFile waits for
        // its folder listing, which may not have been read yet.
        auto* name = window->findChild<QLineEdit*>("fileNameEdit");
        auto* dialog = qobject_cast<QDialog*>(window);
        if (!name || !dialog) return;
        name->setText(file);
        dialog->accept();
    });
    m_answers.expect("Program Download", "program-download-question.png", 300, Click("Yes"));
    m_answers.expect(kSampleProgramQuestion, "program-download-board.png", 300, Click("Yes"));
    m_answers.expect("frmDownloadProg", "download-prog.png", 1500);
    m_answers.expect("Program Download", "program-download-complete.png", 300, Click("OK"));
    m_window.downloadProgram();
}

void ScreenshotTour::expectTargetBoards() {
    const std::filesystem::path hbx = FindPath(m_window.homeFolder(), "programs/K650DEMO.hbx");
    if (!std::filesystem::exists(hbx)) return;
    expectTargetBoard(hbx, {"target-board-faults.png", "target-board-ident.png",
                            "target-board-network.png", "target-board-clock.png"});

    // The same program as if made for a V210 display module, which has a clock and a second
    // network address; written to a scratch folder, never beside the user's files.
    if (!m_scratch.isValid()) return;
    const std::filesystem::path folder = m_scratch.path().toStdString();
    std::error_code ec;
    for (const char* extension : {".rev", ".hex"})
        std::filesystem::copy_file(hbx.parent_path() / ("K650DEMO" + std::string(extension)),
                                   folder / ("V210DEMO" + std::string(extension)),
                                   std::filesystem::copy_options::overwrite_existing, ec);
    WriteFileAtomically(folder / "V210DEMO.hbx", "A V210 sample\r\n", ec);
    WriteFileAtomically(folder / "V210DEMO.lcf", std::string(44, '0') + "\r\n", ec);
    expectTargetBoard(folder / "V210DEMO.hbx",
                      {"", "", "target-board-network-v210.png", "target-board-clock-v210.png"});
}

void ScreenshotTour::expectTargetBoard(const std::filesystem::path& hbx, const QStringList& files) {
    const QString file = QString::fromStdString(hbx.string());
    m_answers.expect("QFileDialog", "", 500, [file](QWidget* window) {
        auto* name = window->findChild<QLineEdit*>("fileNameEdit");
        auto* dialog = qobject_cast<QDialog*>(window);
        if (!name || !dialog) return;
        name->setText(file);
        dialog->accept();
    });
    m_answers.expect("frmTargetBoard", "", kSettleMs, [this, files](QWidget* window) {
        auto* board = qobject_cast<frmTargetBoard*>(window);
        if (!board) return;
        for (int tab = 0; tab < files.size(); ++tab) {
            if (files[tab].isEmpty()) continue;
            board->showTab(tab);
            QCoreApplication::sendPostedEvents();
            if (board->layout()) board->layout()->activate();
            save(board, files[tab]);
        }
        board->cmdOk_Click();
    });
    m_window.showTargetBoardInterface();
}

void ScreenshotTour::saveTimingPages(const QString& mode) {
    auto* tabs = m_window.currentChild() ? m_window.currentChild()->findChild<QTabBar*>("tbsTiming")
                                         : nullptr;
    if (!tabs) {
        QTextStream(stderr) << "screenshot: the Machine Timing window is not open\n";
        return;
    }
    tabs->setCurrentIndex(0);
    save(&m_window, "timing-channels-" + mode + ".png");
    tabs->setCurrentIndex(1);
    save(&m_window, "timing-pls-config-" + mode + ".png");
    tabs->setCurrentIndex(0);
}

void ScreenshotTour::saveWaitDisplay() {
    frmWaitDisplay wait(WaitReason::PrintReport, &m_window);
    wait.runWhileShown([&] {
        save(&wait, "wait-display.png");
        return true;
    });
}

void ScreenshotTour::start() {
    m_folder.mkpath(".");
    m_next = 0;
    runNext();
}

void ScreenshotTour::runNext() {
    // A window the tour waited for and never saw would be answered in the wrong place.
    for (const QString& name : m_answers.takeUnanswered())
        QTextStream(stderr) << "screenshot: " << name << " did not open\n";
    if (m_next >= m_steps.size()) return;
    const Step& step = m_steps[m_next++];
    QTimer::singleShot(step.delayMs, this, [this, action = step.action] {
        action();
        runNext();
    });
}

void ScreenshotTour::save(QWidget* widget, const QString& name) {
    QTextStream err(stderr);
    if (!widget) {
        err << "screenshot " << name << ": window not open\n";
        return;
    }
    const QString file = m_folder.filePath(name);
    if (widget->grab().save(file))
        err << "saved " << file << '\n';
    else
        err << "could not save " << file << '\n';
}

} // namespace quelby
