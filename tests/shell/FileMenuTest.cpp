#include "app/data/DataSetMessages.h"
#include "app/data/SetupFile.h"
#include "app/shell/LiveRecorder.h"
#include "app/shell/QtFileDialogs.h"
#include "app/shell/frmWaitDisplay.h"
#include "report/ReportOutput.h"
#include "tests/shell/ShellRig.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <regex>

namespace quelby::test {
namespace {

// The value the file commands' tests edit.
std::int32_t& Value97(ShellRig& rig) {
    return rig.window.dataSet().CurrentData.Value[97];
}

TEST(CloseSequence, CancelOrACancelledSaveKeepTheProgramRunningNoClosesWithoutSavingYesSavesFirst) {
    for (const MessageAnswer last : {MessageAnswer::No, MessageAnswer::Yes}) {
        ShellRig rig;
        rig.window.goOnline();
        const std::int32_t edited = ++Value97(rig);
        rig.prompt.answerNext(MessageAnswer::Cancel);
        rig.prompt.answerNext(MessageAnswer::Yes);
        rig.dialogs.answerNext(std::nullopt);
        EXPECT_FALSE(rig.window.close());
        EXPECT_FALSE(rig.window.close());
        EXPECT_EQ(rig.prompt.requests(), std::vector(2, DataSetMessages::SaveChanges()));
        EXPECT_EQ(Value97(rig), edited);
        EXPECT_TRUE(rig.port.isOpen());
        EXPECT_NE(rig.window.currentChild(), nullptr);

        rig.windowLog.clear();
        const auto file = rig.home.path() / "LINE3.sdt";
        rig.prompt.answerNext(last);
        rig.dialogs.answerNext(file);
        EXPECT_TRUE(rig.window.close());
        EXPECT_FALSE(rig.port.isOpen());
        EXPECT_FALSE(rig.window.link().OnlineMode);
        EXPECT_EQ(rig.windowLog, (std::vector<std::string>{"unload window0"}));
        EXPECT_EQ(std::filesystem::exists(file), last == MessageAnswer::Yes);
        EXPECT_EQ(rig.window.dataSet().HasUnsavedChanges(), last == MessageAnswer::No);
    }
}

// (New without changes asking nothing: DataSetFiles.)
TEST(FileNew, NewAndExitAskOnlyAfterChangesAndNewKeepsTheCaption) {
    ShellRig rig;
    ++Value97(rig);
    rig.answering(MessageAnswer::No, rig.item("mnuFileNew"));
    EXPECT_EQ(rig.prompt.requests().size(), 1u);
    EXPECT_FALSE(rig.window.dataSet().HasUnsavedChanges());
    EXPECT_EQ(rig.window.windowTitle(), "QUELBY - [unnamed][*]");

    rig.item("mnuFileExit")->trigger();
    EXPECT_EQ(rig.prompt.requests().size(), 1u) << "no changes since: Exit asks nothing";
    EXPECT_EQ(rig.window.currentChild(), nullptr);
}

// The title's "[*]" shows the modified mark while the data set holds unsaved changes: a
// window's edit sets it within a poll tick, a save clears it, a failed save keeps it (the
// failure's message and the file kept: DataSetFiles).
TEST(FileMenu, SaveAsThenSaveWritesTheFileAndAFailedSaveIsReportedAndStaysUnsaved) {
    ShellRig rig;
    const auto file = rig.home.path() / "LINE3.sdt";
    EXPECT_FALSE(rig.window.isWindowModified());
    Value97(rig) = 11;
    rig.window.backgroundUpdate();
    EXPECT_TRUE(rig.window.isWindowModified());
    rig.withFile("mnuFileSaveAs", file);
    EXPECT_EQ(rig.window.windowTitle(), "QUELBY - [LINE3.sdt][*]");
    EXPECT_FALSE(rig.window.isWindowModified());
    EXPECT_EQ(ReadSetupFile(file).data.Value[97], 11);

    Value97(rig) = 12;
    rig.window.backgroundUpdate();
    EXPECT_TRUE(rig.window.isWindowModified());
    rig.item("mnuFileSave")->trigger();
    EXPECT_FALSE(rig.window.isWindowModified());
    EXPECT_EQ(rig.dialogs.requests().size(), 1u); // named now: no dialog
    EXPECT_EQ(ReadSetupFile(file).data.Value[97], 12);

    std::filesystem::create_directory(rig.home.path() / "LINE3.sdt.tmp"); // cannot be made
    Value97(rig) = 13;
    rig.item("mnuFileSave")->trigger();
    EXPECT_EQ(rig.prompt.requests().size(), 1u);
    EXPECT_TRUE(rig.window.isWindowModified());
}

TEST(FileMenu, ExportWritesTheShiftDataOffersThePathNextTimeAndReportsAFailure) {
    ShellRig rig;
    rig.window.dataSet().CurrentData.Value[25] = -5; // the first value of the file
    const auto file = rig.home.path() / "shift.txt";
    rig.withFile("mnuFileExport", file);
    // The file's layout: ShiftExport. Here: the program's data set, unnamed and not uploaded.
    const std::string text = ReadWholeFile(file);
    EXPECT_TRUE(text.starts_with("untitled\r\nDate: \r\n \r\nCurrent Shift Data:\r\n")) << text;
    EXPECT_NE(text.find("Restart Blow-off)\r\n-5\r\n 0\r\n"), std::string::npos) << text;

    rig.withFile("mnuFileExport", std::nullopt);
    ASSERT_EQ(rig.dialogs.requests().size(), 2u);
    EXPECT_EQ(rig.dialogs.requests()[0].filter, "Text Files(*.txt)|*.txt|");
    EXPECT_TRUE(rig.dialogs.requests()[0].initialName.empty());
    EXPECT_EQ(rig.dialogs.requests()[1].initialName, file);

    const auto unwritable = rig.home.path() / "missing" / "shift.txt";
    rig.withFile("mnuFileExport", unwritable);
    EXPECT_EQ(rig.prompt.titles(), std::vector<std::string>{"Export Shift Data"});
    EXPECT_EQ(rig.window.fileExportPath(), unwritable);
}

// Every print ends silently but the two that fail: a file that cannot be written, a printer
// that cannot take the job.
TEST(FileMenu,
     PrintReportWritesAPdfWithoutAPrinterOrPrintsEndsSilentlyWhenCancelledOrSaysItFailed) {
    ShellRig rig;
    const auto file = rig.home.path() / "report.pdf";
    const auto missing = rig.home.path() / "missing";
    for (const auto& answer : {std::optional(file), std::optional<std::filesystem::path>(),
                               std::optional(missing / "report.pdf")}) {
        rig.withFile("mnuFilePrint", answer);
    }
    EXPECT_EQ(rig.printers.m_dialogsShown, 0);
    ASSERT_EQ(rig.dialogs.requests().size(), 3u);
    EXPECT_EQ(rig.dialogs.requests()[0].filter, "PDF Files(*.pdf)|*.pdf|");
    EXPECT_EQ(rig.dialogs.requests()[0].title,
              "No printer is installed: save the report as a PDF file");
    EXPECT_EQ(ReadWholeFile(file).substr(0, 5), "%PDF-");
    EXPECT_EQ(rig.window.findChild<frmWaitDisplay*>(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(missing / "report.pdf"));

    // On a printer: its dialog instead of the file dialog, cancelled, then printing.
    rig.printers.m_hasPrinter = true;
    const auto printed = rig.home.path() / "printed.pdf";
    for (const auto& to : {std::filesystem::path(), printed, missing / "x.pdf"}) {
        rig.printers.m_printTo = QString::fromStdString(to.string());
        rig.item("mnuFilePrint")->trigger();
    }
    EXPECT_EQ(rig.printers.m_dialogsShown, 3);
    EXPECT_EQ(rig.dialogs.requests().size(), 3u);
    EXPECT_GT(std::filesystem::file_size(printed), 1000u);
    EXPECT_EQ(rig.prompt.titles(),
              (std::vector<std::string>{"Print Report", ReportNotPrinted("").title}));
    EXPECT_EQ(rig.prompt.requests().back(), ReportNotPrinted(""));
}

// The real save dialog answered by typing `typed`, a file dialog shown again cancelled and a
// question answered `answer`.
struct RealSaveDialog {
    int dialogsShown = 0;
    QStringList questions;

    std::optional<std::filesystem::path> run(const std::string& filter,
                                             const std::filesystem::path& folder, const char* typed,
                                             QMessageBox::StandardButton answer) {
        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            QWidget* front = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QFileDialog*>(front); dialog && dialog->isVisible()) {
                if (++dialogsShown == 1) {
                    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(typed);
                    QMetaObject::invokeMethod(dialog, "accept"); // protected, a slot
                } else {
                    dialog->reject();
                }
            } else if (auto* box = qobject_cast<QMessageBox*>(front)) {
                questions << box->text();
                box->button(answer)->click();
            }
        });
        answerer.start(10);
        return QtFileDialogs().saveFile({filter, folder / "*.x"});
    }
};

// A name without an extension gets the filter's, one with an extension of its own keeps it.
// "VISIT1" beside an existing "visit1.sdt" is that file on the PC's own file system: the save
// asks before replacing it and keeps the existing name; No shows the dialog again.
TEST(FileMenu, SaveDialogAddsTheFiltersExtensionAndAsksBeforeReplacingANameDifferingInCase) {
    TempFolder folder;
    std::ofstream(folder.path() / "visit1.sdt") << "old";
    const QStringList replace{"visit1.sdt already exists.\nDo you want to replace it?"};
    const struct {
        std::string filter;
        const char* typed;
        QMessageBox::StandardButton answer;
        const char* saved; // empty: none
        int dialogsShown;
        QStringList questions;
    } cases[] = {
        {DataSetFiles::kSetupFilter, "visit2", QMessageBox::Yes, "visit2.sdt", 1, {}},
        {DataSetFiles::kSetupFilter, "visit.txt", QMessageBox::Yes, "visit.txt", 1, {}},
        {"Text Files(*.txt)|*.txt|", "shift1", QMessageBox::Yes, "shift1.txt", 1, {}},
        {DataSetFiles::kSetupFilter, "VISIT1", QMessageBox::Yes, "visit1.sdt", 1, replace},
        {DataSetFiles::kSetupFilter, "VISIT1", QMessageBox::No, "", 2, replace},
    };
    for (const auto& c : cases) {
        RealSaveDialog save;
        const auto chosen = save.run(c.filter, folder.path(), c.typed, c.answer);
        EXPECT_EQ(chosen.value_or("").filename(), c.saved) << c.typed;
        EXPECT_EQ(save.dialogsShown, c.dialogsShown) << c.typed;
        EXPECT_EQ(save.questions, c.questions) << c.typed;
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
    rig.board.setValue("W182", 1200);
    rig.showOnline();
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
    const std::regex whole("time,W182,D1100,D1104\r\n([^,\r\n]+,1200,[^,\r\n]*,[^,\r\n]*\r\n){2,}");
    EXPECT_TRUE(std::regex_match(text, whole)) << text;
    const std::string rows = std::to_string(std::ranges::count(text, '\n') - 1);
    const std::string notice = rig.notice().toStdString();
    EXPECT_TRUE(notice.starts_with("Link to the K650 lost ")) << notice;
    EXPECT_TRUE(notice.ends_with("; recording to visit.csv ended offline: " + rows + " rows kept"))
        << notice;

    rig.board.setSilent(false);
    rig.prompt.clear();
    rig.window.goOnline();
    const auto nowhere = rig.home.path() / "no such folder" / "visit.csv";
    rig.dialogs.answerNext(nowhere);
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    ASSERT_EQ(rig.prompt.requests().size(), 1u);
    EXPECT_EQ(rig.prompt.requests()[0].title, "Record Live Values");
    EXPECT_EQ(rig.prompt.requests()[0].lines.at(1), nowhere.string());
}

// The Main Display's trend belongs to the online period, not to the window: switching to
// another window and back keeps it; going offline and online again starts a new one.
TEST(MainDisplayTrend, SwitchingWindowsKeepsItAndANewOnlinePeriodStartsAfresh) {
    ShellRig rig(false);
    rig.showOnline();
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
