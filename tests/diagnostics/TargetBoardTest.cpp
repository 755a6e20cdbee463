#include "diagnostics/frmTargetBoard.h"
#include "tests/diagnostics/DiagnosticsRig.h"
#include "views/EntryTextBox.h"
#include "views/NumericEntryField.h"
#include "views/UpDownControl.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

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
const QString kNoLink = "Cannot Communicate with Target Board.";

struct TargetBoard {
    OpeningShell shell;
    std::unique_ptr<frmTargetBoard> window;
    // Board bytes written: address and value.
    std::vector<std::pair<std::uint16_t, std::uint8_t>> written;

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
        shell.setBoard({{"B8176", current}, {"B8177", last}, {"B8175", slot},
                        {"B8179", commCurrent}, {"B8178", commLast}});
    }
    void make() {
        window = std::make_unique<frmTargetBoard>(shell, prompt(), shell.rig.clock,
                                                  shell.rig.home.path());
    }
    void open(char type = 'D') {
        make();
        ASSERT_TRUE(window->prepare(program(type)));
        ShowActive(*window);
    }
    void openOnline(char type = 'D') {
        shell.rig.goOnline();
        open(type);
        ASSERT_TRUE(RunEventsUntil([&] { return window->onlinePassDone(); }));
    }
    void recordWrites() {
        board().setWriteObserver([this](std::uint16_t address) {
            written.push_back({address, board().peek(address)});
        });
    }
    template <typename T = QWidget> T* control(const QString& name) const {
        T* found = window->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QString label(const char* name) const { return control<QLabel>(name)->text(); }
    QString caption(int entry) const {
        return control<QLabel>(QString("lblTargetBoard_%1").arg(entry))->text();
    }
    QString display(int entry) const {
        const QString name = QString("txtTargetBoard_%1").arg(entry);
        if (auto* box = window->findChild<QPlainTextEdit*>(name)) return box->toPlainText();
        return control<QLineEdit>(name)->text();
    }
    QPushButton* button(const char* name) const { return control<QPushButton>(name); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    NumericEntryField* field(int index) const { return window->setupField(index); }
    // Whether a control is shown, whichever tab is in front.
    bool shown(const char* name) const {
        QWidget* widget = control(name);
        return widget->isVisibleTo(widget->parentWidget());
    }
};

TEST(TargetBoard, codesCaptionsDescriptionsAndTheProgramIdentityAfterTheOnlinePass) {
    TargetBoard t;
    t.shell.rig.home.write("Support/FaultErrCodes.txt",
                           "05,\"Early five\"\r\n05,\"Late five, wins\"\r\n");
    t.shell.rig.home.write("Support/CommErrCodes.txt", "00,No error\r\n4A,Net down\r\n");
    t.faults(5, 255, 3, 0, 0x4A);
    const std::uint8_t ident[] = {'K', '6', '5', '0', 'D', 'E', 'M', 0, 18, 3};
    for (int i = 0; i < 10; ++i)
        t.board().poke(static_cast<std::uint16_t>(0xEFF0 + i), ident[i]);

    t.openOnline('2'); // the R702 board shows its CO-CPU slot
    EXPECT_EQ(t.window->windowTitle(), "Target Board Interface");
    const char* captions[] = {"Current Fault: Code = 05H", "Last Fault: Code = FFH",
                              "CO-CPU Slot: 3", "Corrective Action:",
                              "Current Comm Error: Code = 00H", "Last Comm Error: Code = 4AH"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(t.caption(i), captions[i]) << i;
    EXPECT_EQ(t.display(0), "Late five, wins") << "the last matching record wins";
    EXPECT_EQ(t.display(1), "") << "no record for FF";
    EXPECT_EQ(t.display(3), "None");
    EXPECT_EQ(t.display(4), "No error");
    EXPECT_EQ(t.display(5), "Net down");
    for (const char* box : {"txtTargetBoard_0", "txtTargetBoard_3"}) // a line and the action
        EXPECT_TRUE(t.control(box)->property("readOnly").toBool()) << box;

    const std::pair<const char*, const char*> identity[] = {
        {"lblRevIdentInPLC_0", "K650DEM"}, {"lblRevIdentInPLC_1", "3"},
        {"lblRevIdentInPLC_2", "18"},      {"lblRevIdentOnDisk_0", "QLBYDEMO"},
        {"lblRevIdentOnDisk_1", "3"},      {"lblRevIdentOnDisk_2", "18"},
        {"lblRevIdentOnDisk_3", "R702"}};
    for (auto [name, text] : identity) EXPECT_EQ(t.label(name), text) << name;
    EXPECT_NE(t.label("lblRevIdentOnDisk_4"), "-");
    EXPECT_TRUE(t.prompt().requests().empty());
}

// Reset Faults is offered for any fault but the CO-CPU slot (here 7 on the R702 board).
TEST(TargetBoard, theCorrectiveActionFollowsTheLastFaultCode) {
    const std::pair<std::uint32_t, const std::string*> cases[] = {
        {0x3F, &kTextA}, {0x40, &kTextE}, {0x41, &kTextE}, {0x43, &kTextE}, {0x44, &kTextE},
        {0x7A, &kTextE}, {0x5C, &kTextD}, {0x5D, &kTextD}, {0x42, &kTextB}, {0x45, &kTextC},
        {0x01, &kTextA}, {0x7B, &kNone},  {0x00, &kNone}};
    for (auto [code, text] : cases) {
        TargetBoard t;
        t.faults(0, code, 7);
        t.openOnline('2');
        EXPECT_EQ(t.display(3).toStdString(), *text) << code;
        EXPECT_EQ(t.button("cmdResetFaults")->isEnabled(), code != 0) << code;
    }
}

TEST(TargetBoard, resetFaultsAsksThenClearsTheFaultsInOrder) {
    TargetBoard t;
    t.shell.rig.home.write("Support/CommErrCodes.txt", "11,Eleven\r\n");
    t.faults(0, 0, 0, 0, 0x11);
    t.openOnline();
    EXPECT_EQ(t.display(5), "Eleven");
    ASSERT_TRUE(t.button("cmdResetFaults")->isEnabled());

    t.recordWrites();
    t.prompt().answerNext(MessageAnswer::No);
    t.click("cmdResetFaults");
    EXPECT_EQ(t.prompt().requests(),
              (std::vector<MessageRequest>{{"WARNING - Fault Code Reset!",
                                            {"Target Board will be reinitialized.", "",
                                             "Do you wish to continue?"},
                                            MessageButtons::YesNoCancel,
                                            MessageIcon::Critical}}));
    EXPECT_TRUE(t.written.empty());
    EXPECT_TRUE(t.button("cmdResetFaults")->isEnabled());

    t.prompt().answerNext(MessageAnswer::Yes);
    t.click("cmdResetFaults");
    EXPECT_EQ(t.written, (decltype(t.written){{8178, 0}, {8179, 0}, {8177, 0}, {8176, 0}}));
    EXPECT_FALSE(t.button("cmdResetFaults")->isEnabled());
    ASSERT_TRUE(RunEventsUntil([&] { return t.window->onlinePassDone(); }));
    EXPECT_EQ(t.caption(5), "Last Comm Error: Code = 00H") << "the pass ran again";
    EXPECT_EQ(t.display(5), "Eleven") << "no record for 00: the field keeps its text";

    // Offline the answer Yes only disables the button.
    t.link().OnlineMode = false;
    ASSERT_TRUE(RunEventsUntil([&] { return t.display(0) == kNoLink; }));
    t.written.clear();
    t.prompt().answerNext(MessageAnswer::Yes);
    t.window->cmdResetFaults_Click();
    EXPECT_TRUE(t.written.empty());
    EXPECT_FALSE(t.button("cmdResetFaults")->isEnabled());
}

TEST(TargetBoard, aLinkFailureMidPassGivesTheLinkFaultEverywhereThenTheOfflineLook) {
    TargetBoard t;
    t.faults(0x21, 0x22, 4);
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

    ASSERT_TRUE(RunEventsUntil([&] { return t.display(3) == kNoLink; }));
    for (int entry : {0, 1, 4, 5}) EXPECT_EQ(t.display(entry), kNoLink) << entry;
    EXPECT_EQ(t.caption(1), "Last Fault: Code = 22H") << "captions keep their codes";
    EXPECT_FALSE(t.button("cmdResetFaults")->isEnabled());
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
        for (const char* name : {"cmdSetToCurrTime", "cmdSetToCurrDate", "lblTargetBoardTime"})
            EXPECT_EQ(t.control(name)->isEnabled(), c.clock) << name;

        t.link().OnlineMode = false; // offline: nothing can be set, whatever the board type
        ASSERT_TRUE(RunEventsUntil([&] { return t.shown("cmdGoOnline"); }));
        for (const char* name : {"cmdSetToCurrTime", "cmdSetToCurrDate"})
            EXPECT_FALSE(t.control(name)->isEnabled()) << name;
        for (int i = 0; i <= 7; ++i)
            EXPECT_FALSE(t.field(i)->isEnabled()) << i;
    }
}

TEST(TargetBoard, thePollShowsTwoDigitsLeavesAnEditedFieldAloneAndTheArrowsWriteTheBoard) {
    TargetBoard t;
    t.shell.setBoard({{"B43012", 7}, {"B43016", 11}, {"B8180", 5}, {"B8191", 12}});
    t.openOnline('A');
    // Field 7 comes last in a poll: once it is filled, so are the others.
    ASSERT_TRUE(RunEventsUntil([&] { return t.field(7)->text() != "-"; }));
    EXPECT_EQ(t.field(2)->text(), "07");
    EXPECT_EQ(t.field(0)->text(), "05");
    EXPECT_EQ(t.field(1)->text(), "12");
    EXPECT_EQ(t.field(5)->text(), "11");

    t.window->showTab(3);
    t.field(2)->textBox()->setFocus(Qt::MouseFocusReason);
    RunEvents();
    ASSERT_TRUE(t.field(2)->editing());
    t.shell.setBoard({{"B43012", 9}, {"B43016", 4}});
    ASSERT_TRUE(RunEventsUntil([&] { return t.field(5)->text() == "04"; }));
    EXPECT_EQ(t.field(2)->text(), "07") << "the field being edited keeps its text";

    // The arrows write straight to the board (online only). Limits, messages, the ways out of
    // a field: EntryFieldsTest; a button pressed with a refused text: MainDisplay.
    t.recordWrites();
    t.button("cmdOk")->setFocus(Qt::TabFocusReason);
    t.field(7)->setText("25");
    t.field(7)->upDown()->stepUp();
    EXPECT_EQ(t.written, (decltype(t.written){{43017, 26}}));

    t.link().OnlineMode = false; // offline nothing goes to the board
    t.written.clear();
    t.field(7)->upDown()->stepUp();
    EXPECT_TRUE(t.written.empty());
}

// The PC clock shows once a second. Each clock button takes one reading of it for its three
// writes, and reads them back: a value the board did not keep is reported.
// Opened modally from the Target Board menu: TargetBoardMenu in the shell tests.
TEST(TargetBoard,
     thePcClockShowsAndTheClockButtonsWriteOneReadingOfItAndSayWhatTheBoardDidNotHold) {
    TargetBoard t;
    auto& clock = t.shell.rig.clock;
    clock.setDate({2026, 12, 6, 14, 3, 9, 1});
    t.openOnline('6');
    // The clock shows at the end of a pass, after the address poll that follows the online pass.
    ASSERT_TRUE(RunEventsUntil([&] { return t.label("lblCurrTime") == "14 : 03 : 09"; }));
    EXPECT_EQ(t.label("lblCurrDate"), "12 - 06 - 2026");
    clock.setDate({2026, 12, 6, 14, 3, 10, 1});
    EXPECT_TRUE(RunEventsUntil([&] { return t.label("lblCurrTime") == "14 : 03 : 10"; }));

    t.window->stopCycle(); // the writes alone on the link
    RunEvents();
    // The PC clock moves on into the new year as soon as the first value is written.
    t.board().setWriteObserver([&](std::uint16_t address) {
        t.written.push_back({address, t.board().peek(address)});
        clock.setDate({2027, 1, 1, 0, 0, 0, 6});
    });
    clock.setDate({2026, 12, 31, 23, 58, 41, 5});
    t.click("cmdSetToCurrDate");
    EXPECT_EQ(t.written, (decltype(t.written){{43016, 12}, {43015, 31}, {43017, 26}}));
    t.written.clear();
    clock.setDate({2026, 12, 31, 23, 58, 41, 5});
    t.click("cmdSetToCurrTime");
    EXPECT_EQ(t.written, (decltype(t.written){{43012, 23}, {43010, 58}, {43008, 41}}));
    EXPECT_TRUE(t.prompt().requests().empty());

    // The board's clock keeps a day of its own (no 31st in its month).
    clock.setDate({2026, 12, 31, 23, 59, 59, 5});
    t.board().setWriteObserver([&](std::uint16_t address) {
        if (address == 43015) t.board().poke(43015, 1);
    });
    t.click("cmdSetToCurrDate");
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
    TargetBoard t;
    t.board().setSilent(true);
    t.open();
    ASSERT_TRUE(RunEventsUntil([&] { return t.display(0) == kNoLink; }));
    EXPECT_EQ(t.shell.onlineStatusUpdates, 1);
    EXPECT_FALSE(t.link().OnlineMode);
    EXPECT_TRUE(t.shown("cmdGoOnline"));
    const auto received = t.board().trace().size();
    RunEvents(50);
    EXPECT_EQ(t.board().trace().size(), received) << "no second try on its own";
    EXPECT_FALSE(t.link().OnlineMode);

    t.board().setSilent(false);
    t.faults(9, 0);
    t.click("cmdGoOnline");
    EXPECT_TRUE(t.link().OnlineMode);
    ASSERT_TRUE(RunEventsUntil([&] { return t.window->onlinePassDone(); }));
    EXPECT_FALSE(t.shown("cmdGoOnline"));
    EXPECT_EQ(t.caption(0), "Current Fault: Code = 09H");
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
    broken.make();
    EXPECT_FALSE(broken.window->InitializeForm(hbx));
    EXPECT_FALSE(broken.window->isVisible());
    ASSERT_EQ(broken.prompt().titles(), std::vector<std::string>{"InitializeForm"});
}

} // namespace
} // namespace quelby::test
