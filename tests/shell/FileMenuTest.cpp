#include "app/data/DataSetMessages.h"
#include "app/data/SetupFile.h"
#include "app/shell/LiveRecorder.h"
#include "app/shell/QtFileDialogs.h"
#include "app/shell/frmWaitDisplay.h"
#include "report/ReportOutput.h"
#include "tests/shell/ShellRig.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace quelby::test {
namespace {

// An edit that File Save would have to keep.
void ChangeData(ShellRig& rig) {
    rig.window.dataSet().CurrentData.Value[97] += 1;
}

TEST(CloseSequence, CancelKeepsTheProgramRunningWithItsDataNoClosesTheLinkWithoutSaving) {
    ShellRig rig;
    rig.window.goOnline();
    ChangeData(rig);
    const auto edited = rig.window.dataSet().CurrentData.Value[97];
    rig.prompt.answerNext(MessageAnswer::Cancel);
    EXPECT_FALSE(rig.window.close());
    EXPECT_EQ(rig.prompt.requests(), (std::vector<MessageRequest>{DataSetMessages::SaveChanges()}));
    EXPECT_EQ(rig.window.dataSet().CurrentData.Value[97], edited);
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_NE(rig.window.currentChild(), nullptr);

    rig.windowLog.clear();
    rig.prompt.answerNext(MessageAnswer::No);
    EXPECT_TRUE(rig.window.close());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_FALSE(rig.window.link().OnlineMode);
    EXPECT_EQ(rig.windowLog, (std::vector<std::string>{"unload window0"}));
    EXPECT_TRUE(rig.dialogs.requests().empty());
}

TEST(CloseSequence, YesSavesToTheChosenFileThenClosesOrKeepsRunningWhenTheSaveIsCancelled) {
    ShellRig rig;
    ChangeData(rig);
    rig.prompt.answerNext(MessageAnswer::Yes);
    rig.dialogs.answerNext(std::nullopt);
    EXPECT_FALSE(rig.window.close());
    EXPECT_TRUE(rig.window.dataSet().HasUnsavedChanges());

    const auto file = rig.home.path() / "LINE3.sdt";
    rig.prompt.answerNext(MessageAnswer::Yes);
    rig.dialogs.answerNext(file);
    EXPECT_TRUE(rig.window.close());
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_FALSE(rig.window.dataSet().HasUnsavedChanges());
}

TEST(FileNew, NewAndExitAskOnlyAfterChangesAndNewKeepsTheCaption) {
    ShellRig rig;
    rig.item("mnuFileNew")->trigger();
    EXPECT_TRUE(rig.prompt.requests().empty());
    ChangeData(rig);
    rig.prompt.answerNext(MessageAnswer::No);
    rig.item("mnuFileNew")->trigger();
    EXPECT_EQ(rig.prompt.requests().size(), 1u);
    EXPECT_FALSE(rig.window.dataSet().HasUnsavedChanges());
    EXPECT_EQ(rig.window.windowTitle(), "QUELBY - [unnamed][*]");

    rig.item("mnuFileExit")->trigger();
    EXPECT_EQ(rig.prompt.requests().size(), 1u) << "no changes since: Exit asks nothing";
    EXPECT_EQ(rig.window.currentChild(), nullptr);
}

TEST(FileMenu, OpenOfAnotherVersionAsksYesNoOfferTheDialogAgainCancelKeepsTheData) {
    ShellRig rig;
    MachineData old = rig.window.dataSet().DefaultData;
    old.Version = "QUELBY_R1.0.0";
    old.Value[97] = 42;
    const auto file = rig.home.path() / "OLD.sdt";
    std::error_code error;
    ASSERT_TRUE(WriteSetupFile(file, old, error));

    // No: the dialog comes again; Cancel: the data set stays as it was.
    rig.dialogs.answerNext(file);
    rig.dialogs.answerNext(file);
    rig.prompt.answerNext(MessageAnswer::No);
    rig.prompt.answerNext(MessageAnswer::Cancel);
    rig.item("mnuFileOpen")->trigger();
    EXPECT_EQ(rig.dialogs.requests().size(), 2u);
    EXPECT_EQ(rig.dialogs.requests()[0].filter, DataSetFiles::kSetupFilter);
    EXPECT_EQ(rig.prompt.requests(),
              (std::vector<MessageRequest>{DataSetMessages::OtherVersion(old.Version),
                                           DataSetMessages::OtherVersion(old.Version)}));
    EXPECT_NE(rig.window.dataSet().CurrentData.Value[97], 42);
    EXPECT_EQ(rig.window.windowTitle(), "QUELBY - [unnamed][*]");

    rig.dialogs.answerNext(file);
    rig.prompt.answerNext(MessageAnswer::Yes);
    rig.item("mnuFileOpen")->trigger();
    EXPECT_EQ(rig.window.dataSet().CurrentData.Value[97], 42);
    EXPECT_EQ(rig.window.windowTitle(), "QUELBY - [OLD.sdt][*]");
}

// The title's "[*]" shows the modified mark while the data set holds unsaved changes: a
// window's edit sets it within a poll tick, a save clears it, a failed save keeps it.
TEST(FileMenu, SaveAsThenSaveWritesTheFileAndAFailedSaveIsReportedAndStaysUnsaved) {
    ShellRig rig;
    const auto file = rig.home.path() / "LINE3.sdt";
    EXPECT_FALSE(rig.window.isWindowModified());
    rig.window.dataSet().CurrentData.Value[97] = 11;
    rig.window.backgroundUpdate();
    EXPECT_TRUE(rig.window.isWindowModified());
    rig.dialogs.answerNext(file);
    rig.item("mnuFileSaveAs")->trigger();
    EXPECT_EQ(rig.window.windowTitle(), "QUELBY - [LINE3.sdt][*]");
    EXPECT_FALSE(rig.window.isWindowModified());
    EXPECT_EQ(ReadSetupFile(file).data.Value[97], 11);

    rig.window.dataSet().CurrentData.Value[97] = 12;
    rig.window.backgroundUpdate();
    EXPECT_TRUE(rig.window.isWindowModified());
    rig.item("mnuFileSave")->trigger();
    EXPECT_FALSE(rig.window.isWindowModified());
    EXPECT_EQ(rig.dialogs.requests().size(), 1u); // named now: no dialog
    EXPECT_EQ(ReadSetupFile(file).data.Value[97], 12);
    EXPECT_FALSE(rig.window.dataSet().HasUnsavedChanges());
    EXPECT_EQ(rig.window.windowTitle(), "QUELBY - [LINE3.sdt][*]");

    std::filesystem::create_directory(rig.home.path() / "LINE3.sdt.tmp"); // cannot be made
    rig.window.dataSet().CurrentData.Value[97] = 13;
    rig.item("mnuFileSave")->trigger();
    ASSERT_EQ(rig.prompt.requests().size(), 1u);
    EXPECT_EQ(rig.prompt.requests()[0].lines.at(0),
              "The set-up file \"LINE3.sdt\" could not be saved (Is a directory).");
    EXPECT_EQ(ReadSetupFile(file).data.Value[97], 12);
    EXPECT_TRUE(rig.window.dataSet().HasUnsavedChanges());
    EXPECT_TRUE(rig.window.isWindowModified());
}

TEST(FileMenu, ExportWritesTheShiftDataOffersThePathNextTimeAndReportsAFailure) {
    ShellRig rig;
    rig.window.dataSet().CurrentData.Value[25] = -5; // the first value of the file
    const auto file = rig.home.path() / "shift.txt";
    rig.dialogs.answerNext(file);
    rig.item("mnuFileExport")->trigger();
    const std::string text = ReadWholeFile(file);
    EXPECT_EQ(text.rfind("untitled\r\nDate: \r\n \r\nCurrent Shift Data:\r\n(Good Can, Total "
                         "Blow-off, Misloads, Manual Blow-offs, QC Blow-offs, Restart "
                         "Blow-off)\r\n-5\r\n 0\r\n",
                         0),
              0u)
        << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 72);

    rig.dialogs.answerNext(std::nullopt);
    rig.item("mnuFileExport")->trigger();
    ASSERT_EQ(rig.dialogs.requests().size(), 2u);
    EXPECT_EQ(rig.dialogs.requests()[0].filter, "Text Files(*.txt)|*.txt|");
    EXPECT_TRUE(rig.dialogs.requests()[0].initialName.empty());
    EXPECT_EQ(rig.dialogs.requests()[1].initialName, file);
    EXPECT_TRUE(rig.prompt.requests().empty());

    const auto unwritable = rig.home.path() / "missing" / "shift.txt";
    rig.dialogs.answerNext(unwritable);
    rig.item("mnuFileExport")->trigger();
    EXPECT_EQ(rig.prompt.titles(), std::vector<std::string>{"Export Shift Data"});
    EXPECT_EQ(rig.window.fileExportPath(), unwritable);
}

TEST(FileMenu, PrintReportWritesAPdfWithoutAPrinterOrPrintsEndsSilentlyWhenCancelledOrSaysItFailed) {
    ShellRig rig;
    const auto file = rig.home.path() / "report.pdf";
    rig.dialogs.answerNext(file);
    rig.item("mnuFilePrint")->trigger();
    EXPECT_EQ(rig.printers.m_dialogsShown, 0);
    ASSERT_EQ(rig.dialogs.requests().size(), 1u);
    EXPECT_EQ(rig.dialogs.requests()[0].filter, "PDF Files(*.pdf)|*.pdf|");
    EXPECT_EQ(rig.dialogs.requests()[0].title, "No printer is installed: save the report as a PDF file");
    EXPECT_EQ(ReadWholeFile(file).substr(0, 5), "%PDF-");
    EXPECT_TRUE(rig.prompt.requests().empty());
    EXPECT_EQ(rig.window.findChild<frmWaitDisplay*>(), nullptr);

    rig.dialogs.answerNext(std::nullopt);
    rig.item("mnuFilePrint")->trigger();
    EXPECT_TRUE(rig.prompt.requests().empty());

    const auto unwritable = rig.home.path() / "missing" / "report.pdf";
    rig.dialogs.answerNext(unwritable);
    rig.item("mnuFilePrint")->trigger();
    EXPECT_EQ(rig.prompt.titles(), std::vector<std::string>{"Print Report"});
    EXPECT_FALSE(std::filesystem::exists(unwritable));

    // On a printer: its dialog instead of the file dialog.
    rig.prompt.clear();
    const auto asked = rig.dialogs.requests().size();
    rig.printers.m_hasPrinter = true;
    rig.item("mnuFilePrint")->trigger(); // the printer dialog is cancelled
    EXPECT_EQ(rig.printers.m_dialogsShown, 1);
    EXPECT_EQ(rig.dialogs.requests().size(), asked);
    EXPECT_TRUE(rig.prompt.requests().empty());

    const auto printed = rig.home.path() / "printed.pdf";
    rig.printers.m_printTo = QString::fromStdString(printed.string());
    rig.item("mnuFilePrint")->trigger();
    EXPECT_TRUE(rig.prompt.requests().empty());
    EXPECT_GT(std::filesystem::file_size(printed), 1000u);

    // A printer that cannot take the job (here: its output cannot be opened).
    rig.printers.m_printTo =
        QString::fromStdString((rig.home.path() / "missing" / "x.pdf").string());
    rig.item("mnuFilePrint")->trigger();
    EXPECT_EQ(rig.prompt.requests(), std::vector<MessageRequest>{ReportNotPrinted("")});
}

// The real save dialog, answered by typing a name: one without an extension gets the
// filter's, one with an extension of its own keeps it.
TEST(FileMenu, SaveDialogAddsTheFiltersExtensionToANameWithoutOne) {
    TempFolder folder;
    QtFileDialogs dialogs;
    const struct {
        std::string filter, typed, saved;
    } cases[] = {
        {DataSetFiles::kSetupFilter, "visit1", "visit1.sdt"},
        {DataSetFiles::kSetupFilter, "visit.txt", "visit.txt"},
        {"Text Files(*.txt)|*.txt|", "shift1", "shift1.txt"},
    };
    for (const auto& c : cases) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(c.typed));
            QMetaObject::invokeMethod(dialog, "accept"); // protected, a slot
        });
        const auto chosen = dialogs.saveFile({c.filter, folder.path() / "*.x"});
        ASSERT_TRUE(chosen) << c.typed;
        EXPECT_EQ(chosen->filename(), c.saved) << c.typed;
    }
}

// "VISIT1" beside an existing "visit1.sdt" is that file on the PC's own file system: the save
// asks before replacing it and keeps the existing name; No shows the dialog again.
TEST(FileMenu, SaveNameDifferingOnlyInCaseAsksBeforeReplacingTheFile) {
    TempFolder folder;
    std::ofstream(folder.path() / "visit1.sdt") << "old";
    QtFileDialogs dialogs;
    for (const auto answer : {QMessageBox::Yes, QMessageBox::No}) {
        int dialogsShown = 0;
        QStringList questions;
        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            QWidget* front = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QFileDialog*>(front); dialog && dialog->isVisible()) {
                if (++dialogsShown == 1) {
                    dialog->findChild<QLineEdit*>("fileNameEdit")->setText("VISIT1");
                    QMetaObject::invokeMethod(dialog, "accept");
                } else {
                    dialog->reject();
                }
            } else if (auto* box = qobject_cast<QMessageBox*>(front)) {
                questions << box->text();
                box->button(answer)->click();
            }
        });
        answerer.start(10);
        const auto chosen = dialogs.saveFile({DataSetFiles::kSetupFilter, folder.path() / "*.sdt"});
        answerer.stop();
        EXPECT_EQ(questions, QStringList{"visit1.sdt already exists.\nDo you want to replace it?"});
        if (answer == QMessageBox::Yes) {
            EXPECT_EQ(chosen, folder.path() / "visit1.sdt");
            EXPECT_EQ(dialogsShown, 1);
        } else {
            EXPECT_EQ(chosen, std::nullopt);
            EXPECT_EQ(dialogsShown, 2);
        }
    }
}

TEST(FileMenu, StandbyWindowNamesTheReportWhilePrinting) {
    frmWaitDisplay wait(WaitReason::PrintReport);
    EXPECT_EQ(wait.labelText(), "Generating Report, Please Standby ...");
    EXPECT_TRUE(wait.runWhileShown([&] { return wait.isVisible() && !wait.isModal(); }));
    EXPECT_FALSE(wait.isVisible());
    EXPECT_EQ(frmWaitDisplay(WaitReason::None).labelText(), "Please Standby ...");
}

// File > Record Live Values online: a row per Main Display pass, "REC" in the status bar and
// the item checked while it runs. A board that stops answering ends it with the link's own
// message, and every row recorded stays whole. A file that cannot be written is named once.
TEST(FileMenu, RecordLiveValuesWritesARowPerPassUntilTheLinkFailsAndNamesAFileItCannotWrite) {
    ShellRig rig(false);
    rig.window.show();
    rig.window.goOnline();
    rig.board.setValue("W182", 1200);
    const auto file = rig.home.path() / "visit.csv";
    rig.dialogs.answerNext(file);
    QAction* item = rig.item("mnuFileRecordLive");
    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(rig.window.statusPanels().recording()->text(), "REC visit.csv");
    EXPECT_EQ(rig.dialogs.requests().at(0).filter, "CSV Files(*.csv)|*.csv|");
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.window.liveRecorder().rows() >= 2; }, 5000));

    rig.board.setSilent(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.window.liveRecorder().running(); }, 5000));
    EXPECT_FALSE(item->isChecked());
    EXPECT_TRUE(rig.window.statusPanels().recording()->isHidden());
    EXPECT_EQ(rig.prompt.titles().at(0), "WARNING - Communication Error!");
    const std::string text = ReadWholeFile(file);
    ASSERT_TRUE(text.starts_with("time,W182,D1100,D1104\r\n"));
    EXPECT_TRUE(text.ends_with("\r\n"));
    std::size_t rows = 0;
    for (std::size_t at = text.find("\r\n") + 2; at < text.size(); at = text.find("\r\n", at) + 2) {
        const std::string row = text.substr(at, text.find("\r\n", at) - at);
        EXPECT_EQ(std::count(row.begin(), row.end(), ','), 3) << row;
        EXPECT_NE(row.find(",1200,"), std::string::npos) << row;
        ++rows;
    }
    EXPECT_GE(rows, 2u);
    const std::string notice = rig.window.statusPanels().notice()->text().toStdString();
    EXPECT_TRUE(notice.starts_with("Link to the K650 lost ")) << notice;
    EXPECT_TRUE(notice.ends_with("; recording to visit.csv ended offline: " +
                                 std::to_string(rows) + " rows kept"))
        << notice;

    rig.board.setSilent(false);
    rig.prompt.clear();
    rig.window.goOnline();
    rig.dialogs.answerNext(rig.home.path() / "no such folder" / "visit.csv");
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    ASSERT_EQ(rig.prompt.requests().size(), 1u);
    EXPECT_EQ(rig.prompt.requests()[0].title, "Record Live Values");
    EXPECT_EQ(rig.prompt.requests()[0].lines.at(1),
              (rig.home.path() / "no such folder" / "visit.csv").string());
}

// The Main Display's trend belongs to the online period, not to the window: switching to
// another window and back keeps it; going offline and online again starts a new one.
TEST(MainDisplayTrend, SwitchingWindowsKeepsItAndANewOnlinePeriodStartsAfresh) {
    ShellRig rig(false);
    rig.window.show();
    rig.window.goOnline();
    const LiveTrend& trend = rig.window.liveTrend();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trend.cpm().empty(); }, 5000));
    const double first = trend.cpm().front().front().seconds;
    rig.window.ShowChildWindow(1);
    rig.window.ShowChildWindow(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return *trend.latestSeconds() > first + 1; }, 5000));
    // A point stands for its whole second: a later read of the same second may replace it.
    EXPECT_EQ(std::floor(trend.cpm().front().front().seconds), std::floor(first));

    rig.window.goOffline();
    EXPECT_FALSE(trend.empty()) << "offline the last period stays";
    rig.window.goOnline();
    EXPECT_TRUE(trend.empty());
}

} // namespace
} // namespace quelby::test
