#include "app/shell/HelpWindow.h"
#include "app/shell/QtFileDialogs.h"
#include "app/shell/QtUserPrompt.h"
#include "app/shell/ShellMessages.h"
#include "app/shell/SoakDriver.h"
#include "app/shell/frmAbout.h"
#include "dialogs/CentreWindow.h"
#include "dialogs/frmServiceLog.h"
#include "dialogs/frmSetupComm.h"
#include "link/LinkMessages.h"
#include "tests/shell/ShellRig.h"
#include "views/RefreshCycleWindow.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QTimer>

#include <algorithm>

namespace quelby::test {
namespace {

TEST(MessageBoxText, LabelAndValueLinesShareOneValueColumnWhateverTheirTabsPlainLinesStayPlain) {
    MessageRequest question{"Program Download - [QLBYDEMO]",
                            {"Program to be loaded into module (on disk):",
                             "  Program Ident: \t\tQLBYDEMO", "  Program Checksum: \t246", "",
                             "Program currently loaded in module:", "  Program Revision: \t\t1 < 2",
                             "Do You Wish to Continue?"},
                            MessageButtons::YesNoCancel,
                            MessageIcon::Question};
    QTextDocument document;
    document.setHtml(QtUserPrompt::BoxText(question));
    QTextTable* table = nullptr;
    for (QTextFrame* frame : document.rootFrame()->childFrames())
        if ((table = qobject_cast<QTextTable*>(frame))) break;
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rows(), 7);
    auto cell = [&](int row, int column) {
        QTextCursor at = table->cellAt(row, column).firstCursorPosition();
        at.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        return at.selectedText();
    };
    const QString indent(2, QChar(0x00A0));
    EXPECT_EQ(cell(1, 0), indent + "Program Ident:");
    EXPECT_EQ(cell(1, 1), "QLBYDEMO");
    EXPECT_EQ(cell(5, 1), "1 < 2") << "text is escaped, not taken for markup";
    EXPECT_EQ(table->cellAt(0, 0).columnSpan(), 2);
    EXPECT_EQ(cell(6, 0), "Do You Wish to Continue?");

    const MessageRequest plain{
        "Program Download",
        {"C:\\<odd>\\K650.hex File Does Not Exist.", "", "Program Downloaded Halted"}};
    EXPECT_EQ(QtUserPrompt::BoxText(plain).toStdString(), plain.text("\n"));
}

TEST(AboutBox, ShowsTheVersionNotModalSystemInfoIsUnavailableAndOkClosesIt) {
    ShellRig rig;
    rig.item("mnuHelpAbout")->trigger();
    QPointer<frmAbout> about = rig.window.aboutBox();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    EXPECT_EQ(about->windowTitle(), "About QUELBY");
    EXPECT_EQ(about->findChild<QLabel*>("lblVersion")->text(), QString("Version %1.%2.%3")
                                                                   .arg(QUELBY_VERSION_MAJOR)
                                                                   .arg(QUELBY_VERSION_MINOR)
                                                                   .arg(QUELBY_VERSION_PATCH));
    about->findChild<QPushButton*>("cmdSysInfo")->click();
    EXPECT_EQ(rig.prompt.requests().at(0).text(), "System Information Is Unavailable At This Time");
    about->findChild<QPushButton*>("cmdOK")->click();
    EXPECT_TRUE(about.isNull() || !about->isVisible());
}

// Ctrl+H opens the contents, F1 the section of the window in front, Esc closes the help.
TEST(HelpTopics, AMissingHelpFileIsReportedThenTheFileOpensAtItsContentsOrTheWindowsSection) {
    ShellRig rig;
    rig.window.showHelpTopics();
    EXPECT_EQ(rig.window.helpWindow(), nullptr);
    EXPECT_EQ(rig.prompt.requests(),
              std::vector{ShellMessages::HelpFileMissing(rig.window.helpFile().string())});
    rig.home.write("help/INDEX.html", "<html><body><h1>QUELBY help contents</h1></body></html>");
    rig.item("mnuHelpHelpTopics")->trigger();
    HelpWindow* help = rig.window.helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->browser().toPlainText().contains("QUELBY help contents"));
    EXPECT_EQ(rig.prompt.requests().size(), 1u);

    rig.home.write("help/setup.html", "<html><body>Set-up window help</body></html>");
    rig.window.ShowChildWindow(1);
    rig.item("actWindowHelp")->trigger();
    EXPECT_EQ(help->browser().source().fileName(), "setup.html");
    rig.window.ShowChildWindow(3);
    rig.item("actWindowHelp")->trigger();
    EXPECT_EQ(help->browser().source().fragment(), "timing");
    EXPECT_EQ(rig.item("actWindowHelp")->shortcut(), QKeySequence(Qt::Key_F1));
    QTest::keyClick(help, Qt::Key_Escape);
    EXPECT_FALSE(help->isVisible());
}

TEST(LinkTrace, TheHelpItemStartsATraceOfEveryExchangeAndStopsIt) {
    ShellRig rig;
    QAction* item = rig.item("mnuHelpLinkTrace");
    item->trigger(); // the file dialog cancelled: no trace
    EXPECT_FALSE(rig.window.tracingLink());
    EXPECT_FALSE(item->isChecked());

    rig.dialogs.answerNext(rig.home.path() / "line.trace");
    item->trigger();
    EXPECT_TRUE(rig.window.tracingLink());
    EXPECT_TRUE(item->isChecked());
    rig.window.goOnline();
    rig.board.setValue("W1070", 1234);
    rig.window.link().RSRead("W1070");
    item->trigger();
    EXPECT_FALSE(rig.window.tracingLink());
    EXPECT_FALSE(item->isChecked());
    const std::string trace = rig.home.read("line.trace");
    EXPECT_NE(trace.find(" 2E D2\n"), std::string::npos)
        << "W1070 is 042E, 1234 is 04D2: " << trace;

    EXPECT_FALSE(rig.window.startLinkTrace(rig.home.path() / "no-folder" / "t.txt"));
    ASSERT_FALSE(rig.prompt.requests().empty());
    EXPECT_EQ(rig.prompt.requests().back().title, "Link Trace");
}

TEST(HelpTopics, TheProgramsHelpCoversItsSubjects) {
    const QString page = QString::fromStdString(ReadWholeFile(QUELBY_HELP_FILE));
    for (const char* subject :
         {"ONLINE", "OFFLINE", "status bar", "Main Display", "Machine Timing", "quelby-cli"})
        EXPECT_TRUE(page.contains(subject, Qt::CaseInsensitive)) << subject;
}

TEST(QtFileDialogs, FilterBecomesQtsForm) {
    EXPECT_EQ(QtFileDialogs::ToQtFilter("Setup Files(*.sdt)|*.sdt|"), "Setup Files(*.sdt)");
    EXPECT_EQ(QtFileDialogs::ToQtFilter("Text Files|*.txt;*.log|All Files (*.*)|*.*|"),
              "Text Files (*.txt *.log);;All Files (*.*)");
    EXPECT_EQ(QtFileDialogs::ToQtFilter(""), "");
}

TEST(CentreWindow, PlacesTheWindowInTheMiddleOfTheScreen) {
    QWidget window;
    window.resize(200, 100);
    window.show();
    CentreWindow(window);
    const QRect area = window.screen()->availableGeometry();
    const QRect frame = window.frameGeometry();
    EXPECT_EQ(frame.x() - area.x(), (area.width() - frame.width()) / 2);
    EXPECT_EQ(frame.y() - area.y(), (area.height() - frame.height()) / 2);
}

TEST(MainWindow, MinimisedItKeepsTheLiveDisplayAndTheStatusPollRunning) {
    ShellRig rig(false);
    rig.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.window));
    rig.window.goOnline();
    auto* display = qobject_cast<RefreshCycleWindow*>(rig.window.currentChild());
    ASSERT_NE(display, nullptr);
    QLabel* goodCans = display->findChild<QLabel*>("lblDisplay_1");

    rig.window.showMinimized();
    EXPECT_TRUE(rig.window.isMinimized());
    EXPECT_TRUE(display->runFlag());
    EXPECT_TRUE(rig.window.backgroundTimer().isActive());
    rig.board.setValue("D1100", 4321);
    EXPECT_TRUE(QTest::qWaitFor([&] { return goodCans->text() == "4,321"; }, 5000))
        << "the display follows the board while minimised";
    rig.board.setValue("B8176", 3); // a fault for the status poll to find
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return rig.panel(1) == "System Message: Fault Interlock Open"; }, 5000));
}

TEST(CommPortDialog, OpensModallyAndAFailedReopenShowsTheProgramOffline) {
    ShellRig rig;
    rig.window.goOnline();
    ASSERT_EQ(rig.panel(2), "ONLINE");
    // Inside the dialog: a port without a device, Save (the dialog stays), then Cancel.
    EXPECT_TRUE(rig.inModal<frmSetupComm>(rig.item("mnuEditCommPort"), [&](frmSetupComm& dialog) {
        rig.port.setMissing(true);
        dialog.findChild<QLineEdit*>("txtCommPort")->setText("4");
        dialog.findChild<QPushButton*>("cmdSave")->click();
    }));
    // (Its "Comm Port Error" and the dialog staying open: SetupComm.)
    EXPECT_FALSE(rig.window.link().OnlineMode);
    EXPECT_EQ(rig.panel(2), "OFFLINE");
}

TEST(ServiceLogMenu, ViewServiceLogShowsTheHomeFoldersLogModally) {
    ShellRig rig;
    ServiceEvent event;
    event.time = "2026-06-10T12:00:00+02:00";
    event.item = "Number of Shifts to Varnish Unit";
    rig.home.write("Support/ServiceLog.jsonl", ServiceEventJson(event) + "\n");
    EXPECT_TRUE(
        rig.inModal<frmServiceLog>(rig.item("mnuViewServiceLog"), [&](frmServiceLog& dialog) {
            EXPECT_EQ(
                dialog.findChild<QTableView*>("grdEvents")->model()->index(0, 5).data().toString(),
                "Number of Shifts to Varnish Unit");
            dialog.findChild<QPushButton*>("cmdClose")->click();
        }));
}

TEST(SoakDriver, goesOnlineCyclesTheWindowsReconnectsAndAnswersMessagesWithoutActingUnderThem) {
    ShellRig rig;
    rig.window.show();
    // The steps are taken here; the driver's own timer would take them after an hour.
    SoakDriver driver(rig.window, [] { return 0L; }, {3600000, 4, 10, 3600000});
    driver.start();
    EXPECT_TRUE(rig.window.link().OnlineMode);

    // Steps 1-3 show windows 1, 2 and 3 (index 0..2), step 4 goes offline, step 5 online.
    for (int i = 0; i < 3; ++i)
        driver.step();
    EXPECT_EQ(driver.switches(), 3);
    for (const char* loaded : {"load window1", "load window2"})
        EXPECT_EQ(std::ranges::count(rig.windowLog, std::string(loaded)), 1) << loaded;
    driver.step();
    EXPECT_FALSE(rig.window.link().OnlineMode);
    driver.step();
    EXPECT_TRUE(rig.window.link().OnlineMode);
    EXPECT_EQ(driver.reconnects(), 1);
    EXPECT_EQ(driver.switches(), 3);

    // While a modal window is open a step does nothing (a dialog it does not answer).
    const std::vector<std::string> logBefore = rig.windowLog;
    QDialog dialog(&rig.window);
    QTimer::singleShot(0, &dialog, [&] {
        driver.step();
        dialog.accept();
    });
    dialog.exec();
    EXPECT_EQ(driver.switches(), 3);
    EXPECT_EQ(rig.windowLog, logBefore);
    EXPECT_EQ(driver.messages(), 0);
    driver.step();
    EXPECT_EQ(driver.switches(), 4);

    // A link message is answered Retry and counted as a link failure; another box gets its
    // default button.
    const struct {
        std::string title;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton fallback;
        int answered;
    } boxes[] = {
        {LinkMessages::CannotCommunicate().title, QMessageBox::Retry | QMessageBox::Cancel,
         QMessageBox::Cancel, QMessageBox::Retry},
        {"Set-up", QMessageBox::Yes | QMessageBox::No, QMessageBox::No, QMessageBox::No},
    };
    for (const auto& b : boxes) {
        int answer = -1;
        QTimer::singleShot(0, [&] {
            QMessageBox box(QMessageBox::Critical, QString::fromStdString(b.title), "Text",
                            b.buttons, &rig.window);
            box.setDefaultButton(b.fallback);
            answer = box.exec();
        });
        QTRY_VERIFY_WITH_TIMEOUT(answer != -1, 10000);
        EXPECT_EQ(answer, b.answered) << b.title;
        EXPECT_EQ(driver.linkFailures(), 1) << b.title;
    }
    EXPECT_EQ(driver.messages(), 2);
}

} // namespace
} // namespace quelby::test
