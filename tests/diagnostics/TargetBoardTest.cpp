#include "diagnostics/frmTargetBoard.h"
#include "link/BoardAddress.h"
#include "link/BoardIdentity.h"
#include "link/RSComm.h"
#include "tests/views/TestShell.h"
#include "views/EntryTextBox.h"
#include "views/NumericEntryField.h"
#include "views/UpDownControl.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace quelby::test {
namespace {

const std::string kTextA =
    "Replace CO-CPU board at \"CO-CPU Slot\" and try again.  If fault persists, peplace R702 "
    "processor board and try again.  If fault persists, verify proper use of \"sfunc05/06/12\" "
    "in user program.";
const std::string kTextB =
    "Verify connection of cable between computer \"COM\" port and target board \"PROG PORT\".  "
    "Verify cable wiring and connectors.  If fault persists, replace target board and/or try a "
    "different computer.";
const std::string kTextC =
    "User program executed an sfunc09() system fault function call.  See User program for "
    "details on source of fault and corrective action.";
const std::string kTextD =
    "Program is invalid.  Re-dump program to target board.  If fault persists, verify cable "
    "connections between computer and target board.  If fault persists, replace target board.";
const std::string kTextE = "Reset fault and try again.  If fault persists, replace target board "
                           "and try again.  See Halbix Manual for more details.";
const std::string kNone = "None";

// The shell as the window sees it: going online opens the port, a failed open falls back to
// offline.
class TargetShell : public TestShell {
public:
    std::function<void()> onUpdate;
    void updateOnlineStatus() override {
        if (onUpdate) onUpdate();
        if (rig.link.OnlineMode) rig.link.OpenRSComm(rig.port);
        TestShell::updateOnlineStatus();
        if (rig.link.CommError) rig.link.OnlineMode = false;
    }
};

std::uint16_t ByteOf(const char* address) {
    return static_cast<std::uint16_t>(ParseAddress(address)->byteAddress);
}

struct TargetBoard {
    TargetShell shell;
    std::unique_ptr<frmTargetBoard> window;

    sim::SimBoard& board() { return shell.rig.board; }
    ScriptedPrompt& prompt() { return shell.rig.prompt; }
    RSComm& link() { return shell.rig.link; }

    // A program file set for the board type character `type` in the home folder.
    std::filesystem::path program(char type) {
        const auto& home = shell.rig.home;
        home.write("programs/PROG.rev", "QLBYDEMO1203\r\n");
        home.write("programs/PROG.hex", ":00000001FF\r\n");
        return home.write("programs/PROG.hbx", std::string(1, type) + "\r\n");
    }
    void faults(std::uint32_t current, std::uint32_t last, std::uint32_t slot = 0,
                std::uint32_t commCurrent = 0, std::uint32_t commLast = 0) {
        board().setValue("B8176", current);
        board().setValue("B8177", last);
        board().setValue("B8175", slot);
        board().setValue("B8179", commCurrent);
        board().setValue("B8178", commLast);
    }
    void open(char type = 'D') {
        window = std::make_unique<frmTargetBoard>(shell, prompt(), shell.rig.clock,
                                                  shell.rig.home.path());
        ASSERT_TRUE(window->prepare(program(type)));
        ShowActive(*window);
    }
    void openOnline(char type = 'D') {
        shell.rig.goOnline();
        open(type);
        ASSERT_TRUE(RunEventsUntil([&] { return window->onlinePassDone(); }));
    }
    template <typename T = QWidget> T* control(const QString& name) const {
        T* found = window->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QString caption(int entry) const {
        return control<QLabel>(QString("lblTargetBoard_%1").arg(entry))->text();
    }
    QString display(int entry) const {
        const QString name = QString("txtTargetBoard_%1").arg(entry);
        if (auto* box = window->findChild<QPlainTextEdit*>(name)) return box->toPlainText();
        return control<QLineEdit>(name)->text();
    }
    QPushButton* button(const char* name) const { return control<QPushButton>(name); }
    NumericEntryField* field(int index) const { return window->setupField(index); }
    // Whether a control is shown, whichever tab is in front.
    bool shown(const char* name) const {
        QWidget* widget = control(name);
        return widget->isVisibleTo(widget->parentWidget());
    }
    void typeInto(int index, const char* text) {
        EntryTextBox* box = field(index)->textBox();
        box->setFocus(Qt::MouseFocusReason);
        RunEvents();
        box->selectAll();
        QTest::keyClicks(box, text);
        button("cmdOk")->setFocus(Qt::TabFocusReason); // leaves the field: its check runs
        RunEvents();
    }
};

TEST(TargetBoard, codesCaptionsDescriptionsAndTheProgramIdentityAfterTheOnlinePass) {
    TargetBoard t;
    t.shell.rig.home.write("Support/FaultErrCodes.txt",
                           "05,\"Early five\"\r\n4a,Lamp\r\n05,\"Late five, wins\"\r\n");
    t.shell.rig.home.write("Support/CommErrCodes.txt", "00,No error\r\n4A,Net down\r\n");
    t.faults(5, 255, 3, 0, 0x4A);
    const std::uint8_t ident[] = {'K', '6', '5', '0', 'D', 'E', 'M', 0, 18, 3};
    for (int i = 0; i < 10; ++i)
        t.board().poke(static_cast<std::uint16_t>(0xEFF0 + i), ident[i]);

    t.openOnline('2'); // the R702 board shows its CO-CPU slot
    EXPECT_EQ(t.window->windowTitle(), "Target Board Interface");
    EXPECT_EQ(t.caption(0), "Current Fault: Code = 05H");
    EXPECT_EQ(t.caption(1), "Last Fault: Code = FFH");
    EXPECT_EQ(t.caption(2), "CO-CPU Slot: 3");
    EXPECT_EQ(t.caption(3), "Corrective Action:");
    EXPECT_EQ(t.caption(4), "Current Comm Error: Code = 00H");
    EXPECT_EQ(t.caption(5), "Last Comm Error: Code = 4AH");
    EXPECT_EQ(t.display(0), "Late five, wins") << "the last matching record wins";
    EXPECT_EQ(t.display(1), "") << "no record for FF";
    EXPECT_EQ(t.display(3), "None");
    EXPECT_EQ(t.display(4), "No error");
    EXPECT_EQ(t.display(5), "Net down");
    EXPECT_TRUE(t.button("cmdResetFaults")->isEnabled());
    EXPECT_FALSE(t.shown("cmdGoOnline"));

    EXPECT_EQ(t.control<QLabel>("lblRevIdentInPLC_0")->text(), "K650DEM");
    EXPECT_EQ(t.control<QLabel>("lblRevIdentInPLC_1")->text(), "3");
    EXPECT_EQ(t.control<QLabel>("lblRevIdentInPLC_2")->text(), "18");
    EXPECT_EQ(t.control<QLabel>("lblRevIdentOnDisk_0")->text(), "QLBYDEMO");
    EXPECT_EQ(t.control<QLabel>("lblRevIdentOnDisk_1")->text(), "3");
    EXPECT_EQ(t.control<QLabel>("lblRevIdentOnDisk_2")->text(), "18");
    EXPECT_EQ(t.control<QLabel>("lblRevIdentOnDisk_3")->text(), "R702");
    EXPECT_NE(t.control<QLabel>("lblRevIdentOnDisk_4")->text(), "-");
    EXPECT_EQ(t.window->codes(), (std::array<std::string, 6>{"05", "FF", "03", "FF", "00", "4A"}));
    EXPECT_TRUE(t.prompt().requests().empty());
}

TEST(TargetBoard, theCorrectiveActionFollowsTheLastFaultCode) {
    const std::pair<std::uint32_t, const std::string*> cases[] = {
        {0x3F, &kTextA}, {0x40, &kTextE}, {0x41, &kTextE}, {0x43, &kTextE}, {0x44, &kTextE},
        {0x7A, &kTextE}, {0x5C, &kTextD}, {0x5D, &kTextD}, {0x42, &kTextB}, {0x45, &kTextC},
        {0x01, &kTextA}, {0x7B, &kNone},  {0x00, &kNone},  {0xFF, &kNone}};
    for (auto [code, text] : cases) {
        TargetBoard t;
        t.faults(0, code);
        t.openOnline();
        EXPECT_EQ(t.display(3).toStdString(), *text) << code;
        EXPECT_EQ(t.button("cmdResetFaults")->isEnabled(), code != 0) << code;
        EXPECT_FALSE(t.shown("lblTargetBoard_2")) << "only board type 50 shows the slot";
    }
}

TEST(TargetBoard, resetFaultsIsOfferedForAnyFaultButTheSlotAndClearsInOrder) {
    {
        TargetBoard t;
        t.faults(0, 0, 7, 0, 0);
        t.openOnline('2');
        EXPECT_EQ(t.caption(2), "CO-CPU Slot: 7");
        EXPECT_FALSE(t.button("cmdResetFaults")->isEnabled()) << "the slot is no fault";
    }
    TargetBoard t;
    t.shell.rig.home.write("Support/CommErrCodes.txt", "11,Eleven\r\n");
    t.faults(0, 0, 0, 0, 0x11);
    t.openOnline();
    EXPECT_EQ(t.display(5), "Eleven");
    ASSERT_TRUE(t.button("cmdResetFaults")->isEnabled());

    std::vector<std::uint16_t> written;
    t.board().setWriteObserver([&](std::uint16_t address) { written.push_back(address); });
    t.prompt().answerNext(MessageAnswer::No);
    QTest::mouseClick(t.button("cmdResetFaults"), Qt::LeftButton);
    ASSERT_EQ(t.prompt().requests().size(), 1u);
    const MessageRequest& question = t.prompt().requests()[0];
    EXPECT_EQ(question.title, "WARNING - Fault Code Reset!");
    EXPECT_EQ(question.text(),
              "Target Board will be reinitialized.\r\n\r\nDo you wish to continue?");
    EXPECT_EQ(question.buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(question.icon, MessageIcon::Critical);
    EXPECT_TRUE(written.empty());
    EXPECT_TRUE(t.button("cmdResetFaults")->isEnabled());

    t.prompt().answerNext(MessageAnswer::Yes);
    QTest::mouseClick(t.button("cmdResetFaults"), Qt::LeftButton);
    EXPECT_EQ(written, (std::vector<std::uint16_t>{8178, 8179, 8177, 8176}));
    EXPECT_EQ(t.board().value("B8178"), 0u);
    EXPECT_FALSE(t.button("cmdResetFaults")->isEnabled());
    ASSERT_TRUE(RunEventsUntil([&] { return t.window->onlinePassDone(); }));
    EXPECT_EQ(t.caption(5), "Last Comm Error: Code = 00H") << "the pass ran again";
    EXPECT_EQ(t.display(5), "Eleven") << "no record for 00: the field keeps its text";
    EXPECT_FALSE(t.button("cmdResetFaults")->isEnabled());

    // Offline the answer Yes only disables the button.
    t.link().OnlineMode = false;
    ASSERT_TRUE(
        RunEventsUntil([&] { return t.display(0) == "Cannot Communicate with Target Board."; }));
    written.clear();
    t.prompt().answerNext(MessageAnswer::Yes);
    t.window->cmdResetFaults_Click();
    EXPECT_TRUE(written.empty());
    EXPECT_FALSE(t.button("cmdResetFaults")->isEnabled());
}

TEST(TargetBoard, aLinkFailureMidPassGivesTheLinkFaultEverywhereThenTheOfflineLook) {
    TargetBoard t;
    t.faults(0x21, 0x22, 4, 0, 0);
    // The board falls silent once it has answered the last fault's address.
    t.board().setTraceSink([&](const sim::TraceEntry& entry) {
        if (entry.received == (ByteOf("B8177") & 0xFF)) t.board().setSilent(true);
    });
    QString actionWhenFailureSeen;
    t.shell.onUpdate = [&] { actionWhenFailureSeen = t.display(3); };
    t.shell.rig.goOnline();
    t.open('2');
    ASSERT_TRUE(RunEventsUntil([&] { return !t.link().OnlineMode; }));
    EXPECT_EQ(t.window->codes(), (std::array<std::string, 6>{"21", "22", "42", "42", "42", "42"}));
    EXPECT_EQ(actionWhenFailureSeen.toStdString(), kTextB);
    EXPECT_EQ(t.caption(2), "CO-CPU Slot: 66");
    EXPECT_EQ(t.caption(4), "Current Comm Error: Code = 42H");

    ASSERT_TRUE(
        RunEventsUntil([&] { return t.display(3) == "Cannot Communicate with Target Board."; }));
    for (int entry : {0, 1, 4, 5})
        EXPECT_EQ(t.display(entry), "Cannot Communicate with Target Board.") << entry;
    EXPECT_EQ(t.caption(1), "Last Fault: Code = 22H") << "captions keep their codes";
    EXPECT_TRUE(t.shown("cmdGoOnline"));
    EXPECT_FALSE(t.button("cmdResetFaults")->isEnabled());
    EXPECT_FALSE(t.field(0)->isEnabled());
    EXPECT_FALSE(t.control("lblRevIdentInPLC_0")->isEnabled());
}

TEST(TargetBoard, eachBoardTypeShowsItsFields) {
    struct Case {
        char type;
        bool slot, secondAddress, clock;
    };
    for (const Case c : {Case{'2', true, false, false}, Case{'6', false, false, true},
                         Case{'A', false, true, true}, Case{'D', false, false, false}}) {
        SCOPED_TRACE(c.type);
        TargetBoard t;
        t.openOnline(c.type);
        EXPECT_EQ(t.window->boardType(), c.type);
        EXPECT_EQ(t.shown("lblTargetBoard_2"), c.slot);
        EXPECT_TRUE(t.shown("lblSetupDesc_0"));
        EXPECT_TRUE(t.field(0)->isEnabled());
        EXPECT_EQ(t.shown("lblSetupDesc_1"), c.secondAddress);
        for (int i = 2; i <= 7; ++i)
            EXPECT_EQ(t.field(i)->isEnabled(), c.clock) << i;
        EXPECT_EQ(t.button("cmdSetToCurrTime")->isEnabled(), c.clock);
        EXPECT_EQ(t.button("cmdSetToCurrDate")->isEnabled(), c.clock);
        EXPECT_EQ(t.control("lblTargetBoardTime")->isEnabled(), c.clock);

        t.link().OnlineMode = false; // offline: nothing can be set, whatever the board type
        ASSERT_TRUE(RunEventsUntil([&] { return t.shown("cmdGoOnline"); }));
        EXPECT_FALSE(t.button("cmdSetToCurrTime")->isEnabled());
        EXPECT_FALSE(t.button("cmdSetToCurrDate")->isEnabled());
        EXPECT_FALSE(t.field(0)->isEnabled());
        for (int i = 2; i <= 7; ++i)
            EXPECT_FALSE(t.field(i)->isEnabled()) << i;
    }
}

TEST(TargetBoard, thePollShowsTwoDigitsAndLeavesAFieldBeingEditedAlone) {
    TargetBoard t;
    t.board().setValue("B43012", 7);
    t.board().setValue("B43016", 11);
    t.board().setValue("B8180", 5);
    t.board().setValue("B8191", 12);
    t.openOnline('A');
    // Field 7 comes last in a poll: once it is filled, so are the others.
    ASSERT_TRUE(RunEventsUntil([&] { return t.field(7)->text() != "-"; }));
    EXPECT_EQ(t.field(2)->text(), "07");
    EXPECT_EQ(t.field(0)->text(), "05");
    EXPECT_EQ(t.field(1)->text(), "12");
    EXPECT_EQ(t.field(5)->text(), "11");

    t.window->showTab(3);
    EntryTextBox* hour = t.field(2)->textBox();
    hour->setFocus(Qt::MouseFocusReason);
    RunEvents();
    ASSERT_TRUE(t.field(2)->editing());
    t.board().setValue("B43012", 9);
    t.board().setValue("B43016", 4);
    ASSERT_TRUE(RunEventsUntil([&] { return t.field(5)->text() == "04"; }));
    EXPECT_EQ(t.field(2)->text(), "07") << "the field being edited keeps its text";
}

TEST(TargetBoard, theClockButtonsWriteThePcClockInOrder) {
    TargetBoard t;
    t.openOnline('6');
    t.shell.rig.clock.setDate({2005, 3, 7, 9, 5, 41, 2});
    std::vector<std::uint16_t> written;
    t.board().setWriteObserver([&](std::uint16_t address) { written.push_back(address); });
    t.window->stopCycle(); // the writes alone in the trace
    QTest::mouseClick(t.button("cmdSetToCurrDate"), Qt::LeftButton);
    EXPECT_EQ(written, (std::vector<std::uint16_t>{43016, 43015, 43017}));
    EXPECT_EQ(t.board().value("B43017"), 5u);
    EXPECT_EQ(t.board().value("B43016"), 3u);
    EXPECT_EQ(t.board().value("B43015"), 7u);
    written.clear();
    QTest::mouseClick(t.button("cmdSetToCurrTime"), Qt::LeftButton);
    EXPECT_EQ(written, (std::vector<std::uint16_t>{43012, 43010, 43008}));
    EXPECT_EQ(t.board().value("B43012"), 9u);
    EXPECT_EQ(t.board().value("B43010"), 5u);
    EXPECT_EQ(t.board().value("B43008"), 41u);
    EXPECT_TRUE(t.prompt().requests().empty());
}

TEST(TargetBoard, setTimeAndDateTakeOneReadingOfTheClockAndSayWhenTheBoardHoldsOtherValues) {
    TargetBoard t;
    t.openOnline('6');
    t.window->stopCycle();
    RunEvents();
    // The PC clock turns over to the new year between the first and the second write.
    t.shell.rig.clock.setDate({2026, 12, 31, 23, 59, 59, 5});
    t.board().setWriteObserver([&](std::uint16_t) { t.shell.rig.clock.setDate({2027, 1, 1, 0, 0, 0, 6}); });
    QTest::mouseClick(t.button("cmdSetToCurrDate"), Qt::LeftButton);
    EXPECT_EQ(t.board().value("B43016"), 12u);
    EXPECT_EQ(t.board().value("B43015"), 31u);
    EXPECT_EQ(t.board().value("B43017"), 26u);
    t.shell.rig.clock.setDate({2026, 12, 31, 23, 59, 59, 5});
    QTest::mouseClick(t.button("cmdSetToCurrTime"), Qt::LeftButton);
    EXPECT_EQ(t.board().value("B43012"), 23u);
    EXPECT_EQ(t.board().value("B43010"), 59u);
    EXPECT_EQ(t.board().value("B43008"), 59u);
    EXPECT_TRUE(t.prompt().requests().empty());

    // The board's clock keeps a day of its own (no 31st in its month).
    t.shell.rig.clock.setDate({2026, 12, 31, 23, 59, 59, 5});
    t.board().setWriteObserver([&](std::uint16_t address) {
        if (address == 43015) t.board().poke(43015, 1);
    });
    QTest::mouseClick(t.button("cmdSetToCurrDate"), Qt::LeftButton);
    const MessageRequest notHeld{"Target Board Clock",
                                 {"The target board does not hold the date that was sent.",
                                  "Check the board's clock and set it again."},
                                 MessageButtons::OK,
                                 MessageIcon::Exclamation};
    EXPECT_EQ(t.prompt().requests(), std::vector<MessageRequest>{notHeld});
}

TEST(TargetBoard, aFaultCodeTheLinkCouldNotConfirmIsNeverShownAndThePassRunsAgain) {
    TargetBoard t;
    t.faults(0, 0x4A);
    bool spoil = true;
    // The read after the current fault's is the last fault's: its address echo comes back wrong.
    t.board().setReadObserver([&](std::uint16_t address) {
        if (spoil && address == ByteOf("B8176")) t.board().corruptAnswerAt(0);
    });
    t.shell.rig.goOnline();
    t.open();
    for (int round = 0; round < 3; ++round) {
        RunEvents(50);
        EXPECT_FALSE(t.window->onlinePassDone());
        EXPECT_NE(t.caption(1), "Last Fault: Code = 00H");
        EXPECT_FALSE(t.button("cmdResetFaults")->isEnabled());
    }
    spoil = false;
    ASSERT_TRUE(RunEventsUntil([&] { return t.window->onlinePassDone(); }));
    EXPECT_EQ(t.caption(1), "Last Fault: Code = 4AH");
    EXPECT_TRUE(t.button("cmdResetFaults")->isEnabled());
}

TEST(TargetBoard, theFieldsWriteOnlyCheckedValuesStraightToTheBoard) {
    TargetBoard t;
    t.board().setValue("B8180", 4);
    t.board().setValue("B43016", 6);
    t.openOnline('A');
    ASSERT_TRUE(RunEventsUntil([&] { return t.field(0)->text() == "04"; }));
    std::vector<std::uint16_t> written;
    t.board().setWriteObserver([&](std::uint16_t address) { written.push_back(address); });

    // Limits and messages of every field: EntryFieldsTest.
    t.window->showTab(3);
    t.prompt().clear();
    t.typeInto(5, "12");
    EXPECT_TRUE(t.prompt().requests().empty());
    EXPECT_EQ(written, std::vector<std::uint16_t>{43016});
    EXPECT_EQ(t.board().value("B43016"), 12u);

    written.clear();
    t.field(7)->setText("25");
    t.field(7)->upDown()->stepUp();
    EXPECT_EQ(written, std::vector<std::uint16_t>{43017});
    EXPECT_EQ(t.board().value("B43017"), 26u);
    EXPECT_EQ(QApplication::focusWidget(), t.button("cmdDefault")) << "the arrows park the focus";

    // A button pressed with a bad value in a field: the value never reaches the board.
    t.prompt().clear();
    EntryTextBox* hour = t.field(2)->textBox();
    hour->setFocus(Qt::MouseFocusReason);
    RunEvents();
    hour->selectAll();
    QTest::keyClicks(hour, "99");
    QTest::mouseClick(t.button("cmdSetToCurrTime"), Qt::LeftButton);
    RunEvents();
    ASSERT_FALSE(t.prompt().titles().empty());
    EXPECT_EQ(t.prompt().titles()[0], "Set-upHr.");
    EXPECT_NE(t.board().value("B43012"), 99u);
    EXPECT_NE(t.field(2)->text(), "99");

    t.link().OnlineMode = false; // offline nothing goes to the board
    written.clear();
    t.field(7)->upDown()->stepUp();
    EXPECT_TRUE(written.empty());
}

TEST(TargetBoard, okDuringTheOnlinePassStopsItBeforeTheNextRead) {
    TargetBoard t;
    t.shell.rig.goOnline();
    bool queued = false;
    t.board().setTraceSink([&](const sim::TraceEntry& entry) {
        if (!queued && entry.received == (ByteOf("B8176") & 0xFF)) {
            queued = true; // the user presses Ok while the first read is under way
            QMetaObject::invokeMethod(
                t.window.get(), [&] { t.button("cmdOk")->click(); }, Qt::QueuedConnection);
        }
    });
    t.open();
    ASSERT_TRUE(RunEventsUntil([&] { return !t.window->isVisible(); }));
    RunEvents(20);
    for (const auto& entry : t.board().trace())
        EXPECT_NE(entry.received, ByteOf("B8177") & 0xFF) << "no read after Ok";
    EXPECT_FALSE(t.window->runFlag());
    EXPECT_FALSE(t.window->onlinePassDone());
}

TEST(TargetBoard, openingOfflineGoesOnlineOnceAndSettlesOfflineWhenTheBoardIsSilent) {
    {
        TargetBoard t;
        t.faults(9, 0);
        t.open();
        ASSERT_TRUE(RunEventsUntil([&] { return t.window->onlinePassDone(); }));
        EXPECT_EQ(t.shell.onlineStatusUpdates, 1);
        EXPECT_EQ(t.caption(0), "Current Fault: Code = 09H");
    }
    TargetBoard t;
    t.board().setSilent(true);
    t.open();
    ASSERT_TRUE(
        RunEventsUntil([&] { return t.display(0) == "Cannot Communicate with Target Board."; }));
    EXPECT_FALSE(t.link().OnlineMode);
    EXPECT_TRUE(t.shown("cmdGoOnline"));
    const auto received = t.board().trace().size();
    RunEvents(50);
    EXPECT_EQ(t.board().trace().size(), received) << "no second try on its own";
    EXPECT_FALSE(t.link().OnlineMode);

    t.board().setSilent(false);
    QTest::mouseClick(t.button("cmdGoOnline"), Qt::LeftButton);
    EXPECT_TRUE(t.link().OnlineMode);
    ASSERT_TRUE(RunEventsUntil([&] { return t.window->onlinePassDone(); }));
    EXPECT_FALSE(t.shown("cmdGoOnline"));
}

TEST(TargetBoard, badProgramAndDescriptionFilesNeverStopTheWindow) {
    TargetBoard t;
    // A description "file" that cannot be read: the pass reports it and runs again.
    std::filesystem::create_directories(t.shell.rig.home.path() / "Support/FaultErrCodes.txt");
    t.shell.rig.goOnline();
    t.open();
    ASSERT_TRUE(RunEventsUntil([&] { return t.prompt().requests().size() >= 2; }));
    EXPECT_EQ(t.prompt().requests()[0].title, "TargetBoard FirstPass");
    EXPECT_EQ(t.prompt().requests()[0].icon, MessageIcon::Information);
    EXPECT_EQ(t.prompt().requests()[0].lines.at(0).rfind("Error Number = ", 0), 0u);
    EXPECT_EQ(t.prompt().requests()[1].title, "TargetBoard FirstPass");
    EXPECT_FALSE(t.window->onlinePassDone());
    t.window->close();

    // A revision file that cannot be read: the opening ends with its message, nothing shown.
    TargetBoard broken;
    const auto hbx = broken.program('D');
    std::filesystem::remove(broken.shell.rig.home.path() / "programs/PROG.rev");
    std::filesystem::create_directories(broken.shell.rig.home.path() / "programs/PROG.rev");
    broken.window = std::make_unique<frmTargetBoard>(
        broken.shell, broken.prompt(), broken.shell.rig.clock, broken.shell.rig.home.path());
    EXPECT_FALSE(broken.window->InitializeForm(hbx));
    EXPECT_FALSE(broken.window->isVisible());
    ASSERT_EQ(broken.prompt().titles(), std::vector<std::string>{"InitializeForm"});
}

TEST(TargetBoard, thePcClockShowsOnceASecondAndTheModalWindowReturnsOnOk) {
    TargetBoard t;
    t.shell.rig.clock.setDate({2026, 12, 6, 14, 3, 9, 1});
    t.shell.rig.goOnline();
    t.window = std::make_unique<frmTargetBoard>(t.shell, t.prompt(), t.shell.rig.clock,
                                                t.shell.rig.home.path());
    bool sawClock = false;
    QTimer::singleShot(0, [&] {
        RunEventsUntil([&] { return t.window->onlinePassDone(); });
        sawClock = t.control<QLabel>("lblCurrTime")->text() == "14 : 03 : 09" &&
                   t.control<QLabel>("lblCurrDate")->text() == "12 - 06 - 2026";
        t.shell.rig.clock.setDate({2026, 12, 6, 14, 3, 10, 1});
        sawClock = sawClock && RunEventsUntil([&] {
                       return t.control<QLabel>("lblCurrTime")->text() == "14 : 03 : 10";
                   });
        EXPECT_EQ(QApplication::activeModalWidget(), t.window.get());
        t.button("cmdOk")->click();
    });
    EXPECT_TRUE(t.window->InitializeForm(t.program('6')));
    EXPECT_TRUE(sawClock);
    EXPECT_FALSE(t.window->isVisible());
    EXPECT_FALSE(t.window->runFlag());
}

} // namespace
} // namespace quelby::test
