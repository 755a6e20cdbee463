#include "app/data/MachineData.h"
#include "app/data/TransferMessages.h"
#include "app/shell/ShellMessages.h"
#include "app/shell/frmProcessing.h"
#include "diagnostics/frmTargetBoard.h"
#include "dialogs/frmCompareBoard.h"
#include "dialogs/frmDownloadProg.h"
#include "link/BoardAddress.h"
#include "tests/shell/ShellRig.h"
#include "views/NumericEntryField.h"
#include "views/frmTiming.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace quelby::test {
namespace {

// The shell online. `run` watches the progress window of its transfer from before the first
// step: the bar's maximum and last value, the first label, and whether child cycles were
// paused and the status poll kept running meanwhile. `atValue` runs each time the bar moves.
struct TransferShell : ShellRig {
    int maximum = -1;
    int value = -1;
    QString label;
    bool cyclesPaused = false;
    bool pollRunning = false;
    std::function<void(frmProcessing&, int)> atValue;

    TransferShell() { showOnline(); }
    // Answers the confirmation with Yes and runs the upload (or download) of menu index `i`.
    void run(bool upload, int i) {
        prompt.clear();
        maximum = value = -1;
        cyclesPaused = pollRunning = false;
        QTimer::singleShot(0, &window, [this] {
            auto* progress = window.findChild<frmProcessing*>("frmProcessing");
            if (!progress) return;
            auto* bar = progress->findChild<QProgressBar*>("prgProcessing");
            maximum = bar->maximum();
            label = progress->findChild<QLabel*>("lblProcessing")->text();
            QObject::connect(bar, &QProgressBar::valueChanged, progress, [=, this](int v) {
                value = v;
                cyclesPaused = window.cyclesPaused();
                pollRunning = window.backgroundTimer().isActive();
                if (atValue) atValue(*progress, v);
            });
        });
        answering(MessageAnswer::Yes,
                  upload ? window.menus().fileUploadData(i) : window.menus().fileDownloadData(i));
    }
    const std::string& address(int index) {
        return window.dataSet().CurrentData.Address[static_cast<std::size_t>(index)];
    }
};

TEST(TransferMenu, EveryUploadAndDownloadRunsInTheProgressWindowWithItsBarAndLabel) {
    TransferShell rig;
    const struct {
        int index;
        int maximum;
        std::string label;  // "Uploading <label>, Please Standby..."
        std::string notice; // "<notice> uploaded 08:00", at the clock's time
    } cases[] = {
        {0, 21, "Set-up Parameters", "Set-up Parameters"},
        {1, 33, "Timing Channels", "Timing Channels"},
        {4, 137, "Data", "All data"},
    };
    for (const bool upload : {true, false}) {
        for (const auto& c : cases) {
            const std::string way = upload ? "upload" : "download";
            SCOPED_TRACE(way + " " + c.notice);
            rig.window.dataSet().TimingDownloaded = false;
            rig.run(upload, c.index);
            EXPECT_EQ(rig.maximum, c.maximum);
            EXPECT_EQ(rig.label.toStdString(),
                      (upload ? "Uploading " : "Downloading ") + c.label + ", Please Standby...");
            EXPECT_TRUE(rig.cyclesPaused);
            EXPECT_TRUE(rig.pollRunning);
            EXPECT_FALSE(rig.window.cyclesPaused());
            EXPECT_EQ(rig.window.dataSet().TimingDownloaded,
                      !upload && c.index != 0 && c.index != 2);
            EXPECT_EQ(rig.prompt.requests(),
                      std::vector{upload ? TransferMessages::ConfirmUpload()
                                         : TransferMessages::ConfirmDownload()});
            EXPECT_EQ(rig.window.findChild<frmProcessing*>(), nullptr) << "unloaded at the end";
            EXPECT_EQ(rig.notice().toStdString(), c.notice + " " + way + "ed 08:00");
        }
    }
}

// What a transfer moves: AllTransfer and the data point tests. Here: a download is one event
// in the service log, whatever it counts, an upload none; a value the board did not confirm
// shows.
TEST(TransferMenu, EachDownloadIsOneLoggedEventAndAnUploadNone) {
    TransferShell rig;
    rig.run(true, 4);
    EXPECT_FALSE(rig.window.files().uploadNow().empty());
    rig.run(false, 4);
    const std::int32_t spoilt = ParseAddress(rig.address(90))->byteAddress;
    rig.board.setWriteObserver([&](std::uint16_t address) {
        if (address == spoilt) rig.board.corruptAnswerAt(-1);
    });
    rig.run(false, 0);
    const std::vector<ServiceEvent> logged = rig.loggedEvents();
    ASSERT_EQ(logged.size(), 2u) << "uploads change nothing";
    EXPECT_EQ(logged[0].source, "Download All");
    EXPECT_EQ(logged[1].source, "Download Set-up Parameters");
    EXPECT_EQ(logged[1].item, "Data Set [unnamed]");
    EXPECT_TRUE(logged[0].confirmed);
    EXPECT_GT(logged[0].count, 100);
    EXPECT_EQ(logged[0].confirmedCount, logged[0].count);
    EXPECT_FALSE(logged[1].confirmed);
    EXPECT_EQ(logged[1].confirmedCount, logged[1].count - 1);
}

// What moves after Cancel or a link failure, and the failure's message: AllTransfer and
// DataPointTransfer. Here: the window stays to the end and the outcome reaches the status bar.
TEST(TransferMenu, CancelTheCloseBoxOrEscapeStopTheDataPointsOfAnAllTransferAndALinkFailureEndsIt) {
    const std::function<void(frmProcessing&)> ways[] = {
        [](frmProcessing& window) { window.findChild<QPushButton*>("cmdCancel")->click(); },
        [](frmProcessing& window) { window.close(); },
        [](frmProcessing& window) { QTest::keyClick(&window, Qt::Key_Escape); },
    };
    for (const auto& cancel : ways) {
        TransferShell rig;
        rig.atValue = [&](frmProcessing& window, int value) {
            if (value == 10) cancel(window);
        };
        rig.run(true, 4);
        EXPECT_EQ(rig.value, 10 + 32) << "the window stayed to the end";
        EXPECT_EQ(rig.prompt.requests().size(), 1u) << "the question, no end message";
        EXPECT_EQ(rig.notice(), "All data upload cancelled 08:00");
    }
    TransferShell rig;
    rig.board.stopAnsweringAfter(40); // the link's own warnings are answered Cancel
    rig.run(true, 2);
    EXPECT_EQ(rig.notice(), "Shift Data upload failed 08:00: the board stopped answering");
}

TEST(TransferMenu, OfflineTheOnlinePromptComesFirstAndNoOrNoToTheQuestionMovesNothing) {
    ShellRig rig;
    // No to "You are about to Download Data to the PLC", then to "Program is Currently OFFLINE".
    rig.answering(MessageAnswer::No, rig.window.menus().fileDownloadData(0));
    rig.prompt.answerNext(MessageAnswer::Yes);
    rig.answering(MessageAnswer::No, rig.window.menus().fileDownloadData(0));
    EXPECT_TRUE(rig.board.trace().empty());
    EXPECT_FALSE(rig.window.link().OnlineMode);

    rig.prompt.answerNext(MessageAnswer::Yes);
    rig.board.setValue(rig.window.dataSet().CurrentData.Address[90], 3);
    rig.answering(MessageAnswer::Yes, rig.window.menus().fileUploadData(0));
    EXPECT_TRUE(rig.window.link().OnlineMode);
    EXPECT_EQ(rig.window.dataSet().CurrentData.Value[90], 3);
    EXPECT_EQ(rig.prompt.requests().size(), 5u) << "no end message";
}

// The shell, shown so that its status poll runs, with a copy of the sample program set.
struct ProgramShell : ShellRig {
    std::filesystem::path hbx = home.path() / "programs" / "K650DEMO.hbx";

    ProgramShell() {
        for (const char* name : {"K650DEMO.hbx", "K650DEMO.rev", "K650DEMO.hex"})
            home.write(std::filesystem::path("programs") / name,
                       ReadWholeFile(std::filesystem::path(QUELBY_SAMPLES_DIR) / name));
        window.show();
    }
};

TEST(DownloadProgramMenu, TheSampleGoesDownInItsWindowWithTheStatusPollStopped) {
    ProgramShell rig;
    const std::string previous = "OLDPROG1\x11\x03"; // the ident, checksum 17, revision 3
    for (std::size_t i = 0; i < previous.size(); ++i)
        rig.board.poke(static_cast<std::uint16_t>(0xEFF0 + i),
                       static_cast<std::uint8_t>(previous[i]));
    rig.dialogs.answerNext(rig.hbx);
    for (int i = 0; i < 3; ++i)
        rig.prompt.answerNext(MessageAnswer::Yes);
    bool pollStopped = false;
    QTimer::singleShot(0, &rig.window, [&] {
        pollStopped = rig.window.findChild<frmDownloadProg*>("frmDownloadProg") &&
                      !rig.window.backgroundTimer().isActive();
    });
    rig.window.menus().fileDownloadProgram()->trigger();

    EXPECT_TRUE(pollStopped);
    EXPECT_EQ(rig.dialogs.requests().at(0).filter, "Halbix Files(*.hbx)|*.hbx|");
    EXPECT_TRUE(rig.dialogs.requests().at(0).initialName.empty());
    ASSERT_EQ(rig.prompt.requests().size(), 4u);
    EXPECT_EQ(rig.prompt.requests()[0], ShellMessages::SwitchToOnline());
    EXPECT_EQ(
        rig.prompt.requests()[1].text(),
        "You are about to download \"K650DEMO.hbx\" to the K650.\r\n\r\nDo you wish to continue?");
    // What reaches the board: ProgramDownload. Here the event says the board confirmed it.
    const std::vector<ServiceEvent> logged = rig.loggedEvents();
    ASSERT_EQ(logged.size(), 1u) << "the download's own writes are part of it";
    EXPECT_EQ(logged[0].source, "Download Program");
    EXPECT_EQ(logged[0].item, "Program");
    EXPECT_EQ(logged[0].before, "ident OLDPROG1, revision 3, checksum 17");
    EXPECT_EQ(logged[0].asked, "ident QLBYDEMO, revision 1, checksum 246");
    EXPECT_TRUE(logged[0].confirmed);
    EXPECT_EQ(rig.window.programFilePath(), rig.hbx);
    EXPECT_TRUE(rig.window.backgroundTimer().isActive());
    EXPECT_EQ(rig.panel(2), "ONLINE");
}

TEST(DownloadProgramMenu, ACancelledDialogAnInvalidSetOrNoToTheQuestionSendNothingMore) {
    ProgramShell rig;
    rig.window.goOnline();
    rig.board.clearTrace();
    rig.window.menus().fileDownloadProgram()->trigger(); // the dialog is cancelled
    EXPECT_TRUE(rig.prompt.requests().empty());

    const auto rev = rig.home.path() / "programs" / "K650DEMO.rev";
    std::filesystem::rename(rev, rig.home.path() / "K650DEMO.rev");
    rig.dialogs.answerNext(rig.hbx);
    rig.window.menus().fileDownloadProgram()->trigger();
    ASSERT_EQ(rig.prompt.requests().size(), 1u) << "the missing revision file, nothing more";
    EXPECT_NE(rig.prompt.requests()[0].text().find("K650DEMO.rev"), std::string::npos);

    std::filesystem::rename(rig.home.path() / "K650DEMO.rev", rev);
    rig.prompt.clear();
    rig.dialogs.answerNext(rig.hbx);
    rig.answering(MessageAnswer::No, rig.window.menus().fileDownloadProgram());
    EXPECT_EQ(rig.prompt.requests(),
              std::vector{ShellMessages::ConfirmProgramDownload("K650DEMO.hbx")});
    for (const auto& entry : rig.board.trace())
        EXPECT_NE(entry.received, 0x03) << "program mode never opened";
}

TEST(TargetBoardMenu, theChosenProgramIsCheckedThenTheWindowOpensModallyOverThePausedShell) {
    ShellRig rig;
    rig.window.show();
    const auto hbx = rig.home.write("programs/LINE.hbx", "D\r\n");
    rig.home.write("programs/LINE.rev", "LINE12AB\r\n");

    bool pausedWhileOpen = false;
    const std::function<void(frmTargetBoard&)> pressOk = [&](frmTargetBoard& window) {
        pausedWhileOpen = rig.window.cyclesPaused();
        window.findChild<QPushButton*>("cmdOk")->click();
    };

    rig.window.menus().viewTargetBoardStatus()->trigger(); // the dialog is cancelled
    EXPECT_EQ(rig.dialogs.requests().at(0).filter, "Halbix Files(*.hbx)|*.hbx|");
    EXPECT_TRUE(rig.prompt.requests().empty());

    rig.dialogs.answerNext(rig.home.write("programs/PLS.hbx", "7\r\n"));
    EXPECT_FALSE(rig.inModal(rig.window.menus().viewTargetBoardStatus(), pressOk))
        << "the link refused the program";
    EXPECT_EQ(rig.prompt.titles(), std::vector<std::string>{"PLS Program Download"});

    rig.dialogs.answerNext(hbx);
    EXPECT_TRUE(rig.inModal(rig.window.menus().viewTargetBoardStatus(), pressOk));
    EXPECT_TRUE(pausedWhileOpen) << "the child window waits under the modal window";
    EXPECT_FALSE(rig.window.cyclesPaused());
    EXPECT_EQ(rig.window.programFilePath(), hbx);
    EXPECT_TRUE(rig.window.link().OnlineMode) << "the window went online as it opened";
    EXPECT_EQ(rig.panel(2), "ONLINE");
}

// The Machine Timing window in front: a timing download makes it recall the channels again,
// a timing upload stores the pair the board holds.
TEST(MachineTimingInTheShell,
     ATimingDownloadMakesTheWindowRecallAgainAnUploadStoresWhatTheBoardHolds) {
    ShellRig rig(false);
    rig.showOnline();
    rig.pls.setChannel(6, {{1, 60}, {0, 70}});
    QAction* item = rig.window.menus().windowForm(3);
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    auto* timing = qobject_cast<frmTiming*>(rig.window.currentChild());
    ASSERT_NE(timing, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return timing->onlineReady(); }, 3000));
    EXPECT_EQ(timing->channelField(6)->text(), "60");

    rig.window.dataSet().CurrentData.Setpoint[6] = {61, 71};
    rig.answering(MessageAnswer::Yes, rig.window.menus().fileDownloadData(1)); // Timing Channels
    ASSERT_TRUE(QTest::qWaitFor([&] { return timing->channelField(6)->text() == "61"; }, 3000));
    EXPECT_FALSE(rig.window.dataSet().TimingDownloaded);

    rig.pls.setChannel(0, {{1, 25}, {0, 65}});
    timing->tmgField(1)->setText("0");
    QTest::mouseClick(timing->findChild<QPushButton*>("cmdRecallChannel"), Qt::LeftButton);
    ASSERT_EQ(timing->channelField(16)->text(), "65");
    rig.answering(MessageAnswer::Yes, rig.window.menus().fileUploadData(1)); // Timing Channels
    EXPECT_EQ(rig.window.dataSet().CurrentData.Setpoint[0], (std::array<std::int16_t, 2>{25, 65}));
}

// Compare with Board reads the board into a copy under the progress window and lists what
// differs, a changed set-up value and a setpoint here. The data set stays as it was and
// nothing is written to the board.
TEST(TransferMenu, CompareWithBoardListsTheDifferencesAndChangesNothing) {
    TransferShell rig;
    rig.run(false, 4); // the board as the data set, to start with
    rig.board.setValue("B1012", 77);
    rig.pls.setChannel(3, {{1, 100}, {0, 200}});
    const MachineData before = rig.window.dataSet().CurrentData;
    rig.board.setWriteObserver(
        [](std::uint16_t address) { ADD_FAILURE() << "write to " << address; });

    // Which rows a compare lists: BoardCompare. Here the first row and the count.
    EXPECT_TRUE(
        rig.inModal<frmCompareBoard>(rig.item("mnuFileCompareBoard"), [&](frmCompareBoard& dialog) {
            dialog.findChild<QCheckBox*>("chkShift")->setChecked(false);
            auto* rows = dialog.findChild<QTableWidget*>("tblDifferences");
            ASSERT_EQ(rows->rowCount(), 3);
            EXPECT_EQ(rows->item(0, 2)->text(), "77");
            EXPECT_EQ(dialog.findChild<QLabel*>("lblSummary")->text(),
                      "3 item(s) differ or were not read");
            EXPECT_EQ(dialog.objectName(), "frmCompareBoard");
            auto* close = dialog.findChild<QPushButton*>("cmdClose");
            ASSERT_NE(close, nullptr);
            close->click();
            EXPECT_FALSE(dialog.isVisible());
        }));
    EXPECT_EQ(rig.window.dataSet().CurrentData, before);
}

} // namespace
} // namespace quelby::test
