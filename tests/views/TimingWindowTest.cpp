#include "app/data/TimingChannels.h"
#include "app/data/TimingMessages.h"
#include "link/RSComm.h"
#include "sim/SimPls.h"
#include "tests/views/WindowRig.h"
#include "views/EntryMessages.h"
#include "views/EntryTextBox.h"
#include "views/NumericEntryField.h"
#include "views/TimingDiagram.h"
#include "views/UpDownControl.h"
#include "views/frmTiming.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

using Setpoints = std::vector<sim::PlsSetpoint>;
using Row = std::array<std::int16_t, 2>; // a channel's ON and OFF setpoint in the data set
using Messages = std::vector<MessageRequest>;
using Shown = std::initializer_list<std::pair<int, const char*>>;

Setpoints Pair(int on, int off) {
    return {{1, static_cast<std::uint16_t>(on)}, {0, static_cast<std::uint16_t>(off)}};
}

struct TimingRig : WindowRig<frmTiming> {
    ScriptedPrompt& prompt = shell.rig.prompt;
    MachineData& data = shell.data.CurrentData;
    sim::SimPls pls;

    TimingRig() { shell.rig.board.addHandler(pls); }
    ~TimingRig() { window.reset(); } // before the PLS goes: closing may still program a row
    void openOnline() {
        shell.rig.goOnline();
        open();
        ASSERT_TRUE(RunEventsUntil([&] { return window->onlineReady(); }));
    }
    NumericEntryField* field(int index) const { return window->channelField(index); }
    QString text(int index) const { return field(index)->text(); }
    QString label(const QString& name) const { return control<QLabel>(name)->text(); }
    QString configuration(int i) const { return label(QString("lblPLSCfg_%1").arg(i)); }
    void expectTexts(Shown expected) const {
        for (auto [index, shown] : expected) EXPECT_EQ(text(index), shown) << "field " << index;
    }
    void expectConfiguration(Shown expected) const {
        for (auto [i, shown] : expected) EXPECT_EQ(configuration(i), shown) << "lblPLSCfg_" << i;
    }
    void expectPanels(Shown expected) const {
        for (auto [i, shown] : expected) EXPECT_EQ(window->panelText(i), shown) << "panel " << i;
    }
    // Enters the field, replaces its text as the user would, and leaves it with Enter.
    void type(NumericEntryField* target, const QString& typed) { typeAndEnter(target->textBox(), typed); }
    void click(const char* button) { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }
    // Runs the cycle until the status bar has been read again.
    // Waits for a whole pass that began after the test's last change: the pass under way may
    // have read the board before it.
    void refreshPass() {
        for (int pass = 0; pass < 2; ++pass) {
            control<QLabel>("sbrPanel_4")->setText("");
            control<QLabel>("lblSensorOn")->setText("");
            ASSERT_TRUE(RunEventsUntil([&] {
                return !window->panelText(4).isEmpty() && !label("lblSensorOn").isEmpty();
            }));
        }
    }
};

TEST(TimingWindow, goingOnlineRecallsAllStoringNothingAMarkIsNoNumberAndAnEmptyChannelWaitsForBoth) {
    TimingRig t;
    t.pls.setChannel(0, Pair(10, 20));
    t.pls.setChannel(1, {{1, 30}, {1, 40}}); // two ON answers: the second wins
    t.pls.setChannel(3, {{0, 5}, {1, 7}});
    t.pls.setChannel(4, {{1, 17 * 256}}); // position high byte 17: no position the scale has
    t.pls.setChannel(8, Pair(100, 200));
    t.pls.setPosition(123);
    t.shell.rig.board.setValue("W52", 77);
    // Program 2, the first and last speed compensations 11 and 18, 9 channels.
    const RSComm::PlsConfigDownloadValues sent{2, 11, 0, 0, 0, 0, 0, 0, 0, 18, 0, 0, 0, 0, 0, 0, 0, 0, 9};
    t.shell.rig.goOnline();
    ASSERT_TRUE(t.shell.rig.link.PLSConfigDownload(sent, 360));
    const MachineData before = t.data;

    t.open();
    EXPECT_EQ(t.window->windowTitle(), "Machine Timing");
    EXPECT_EQ(t.text(0), "-") << "not yet recalled";
    EXPECT_FALSE(t.control("cmdRecallChannel")->isEnabled());
    ASSERT_TRUE(RunEventsUntil([&] { return t.window->onlineReady(); }));
    t.refreshPass();

    // Channel 2 has no setpoints: "****"; channel 4's answer the link refuses: "---".
    t.expectTexts({{0, "10"}, {16, "20"}, {1, "40"}, {17, "-"}, {2, "****"}, {18, "****"},
                   {3, "7"}, {19, "5"}, {4, "---"}, {20, "---"}, {8, "100"}, {24, "200"}});
    // The diagram draws what the fields show: marks leave a row empty, ON after OFF wraps.
    using Pieces = std::vector<TimingDiagram::Piece>;
    const auto* diagram = t.window->findChild<TimingDiagram*>("picTimingDiagram");
    const std::pair<int, Pieces> rows[] = {{0, {{10, 20}}}, {1, {}}, {2, {}},
                                           {3, {{7, 359}, {0, 5}}}, {4, {}}, {8, {{100, 200}}}};
    for (const auto& [row, pieces] : rows) EXPECT_EQ(diagram->pieces(row), pieces) << row;
    EXPECT_EQ(diagram->position(), 123);
    EXPECT_EQ(t.data, before) << "opening recalls without storing";
    ASSERT_EQ(t.prompt.requests(), Messages{TimingMessages::RecallFailed(4)});
    EXPECT_EQ(t.prompt.requests()[0].lines[0], "Unable to Recall Channel ch4");

    t.expectConfiguration({{0, "9"}, {1, "2"}, {2, "11"}, {9, "18"}});
    EXPECT_EQ(t.label("lblSensorOn"), "77");
    t.expectPanels({{1, "RPM: 0"}, {2, "Position: 123"}, {3, "Offset: 0"}, {4, "Scale: 360"}});
    for (const char* name : {"cmdRecallChannel", "cmdClearChannel", "cmdBadCanBlowoff",
                             "cmdQCBlowoff", "cmdResetPLSConfig", "txtChannel_24", "txtTmg_1"})
        EXPECT_TRUE(t.control(name)->isEnabled()) << name;
    EXPECT_TRUE(t.control("cmdSetOffset")->isEnabled()) << "a standing machine counts as just stopped";

    // A mark is never taken for a number: Esc, Tab or a refused entry bring it back.
    t.prompt.clear();
    for (int index : {2, 17, 4}) {
        const QString mark = t.text(index);
        auto* box = t.field(index)->textBox();
        box->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(box, Qt::Key_Escape);
        QTest::keyClick(box, Qt::Key_Tab);
        EXPECT_EQ(t.text(index), mark) << index;
    }
    EXPECT_TRUE(t.prompt.requests().empty());
    t.type(t.field(17), "abc");
    QTest::keyClick(t.field(17)->textBox(), Qt::Key_Tab);
    EXPECT_EQ(t.prompt.requests(), Messages{RangeMessage("Set-up", 0, 359)});
    EXPECT_EQ(t.text(17), "-") << "a refused entry brings the mark back, not its number";
    EXPECT_EQ(t.shell.rig.takeCount(0x1B), 0);

    // A typed ON in an empty channel waits, marked, until the OFF is a number too.
    t.prompt.clear();
    const Row rowBefore = t.data.Setpoint[2];
    t.type(t.field(2), "100");
    EXPECT_TRUE(t.window->setpointPending(2));
    EXPECT_EQ(t.text(2), "100");
    EXPECT_EQ(t.shell.rig.takeCount(0x1B), 0);
    EXPECT_EQ(t.data.Setpoint[2], rowBefore);
    t.type(t.field(18), "100");
    EXPECT_EQ(t.prompt.requests(), Messages{TimingMessages::EqualSetpoints()});
    t.type(t.field(18), "200");
    EXPECT_EQ(t.pls.channel(2), Pair(100, 200));
    EXPECT_FALSE(t.window->setpointPending(2));
    EXPECT_EQ(t.data.Setpoint[2], (Row{100, 200}));
}

TEST(TimingWindow, theOffsetControlsFollowTheMachineStoppingAndStartingAndPositionHidesAbove50) {
    TimingRig t;
    t.pls.setRpm(51);
    t.openOnline();
    t.refreshPass();
    EXPECT_FALSE(t.control("cmdSetOffset")->isEnabled()) << "running at the start";
    EXPECT_EQ(t.window->panelText(2), "Position: 888");
    const auto* diagram = t.window->findChild<TimingDiagram*>("picTimingDiagram");
    EXPECT_EQ(diagram->position(), std::nullopt) << "no position line above 50 rpm";
    t.pls.setRpm(50);
    t.pls.setPosition(42);
    t.refreshPass();
    t.expectPanels({{1, "RPM: 50"}, {2, "Position: 42"}});
    EXPECT_EQ(diagram->position(), 42);

    t.pls.setRpm(0);
    t.refreshPass();
    for (const char* name : {"cmdSetOffset", "txtTmg_0", "updTmg_0", "fraResolverOffset"})
        EXPECT_TRUE(t.control(name)->isEnabled()) << name;
    t.window->tmgField(0)->textBox()->setEnabled(false); // the edges move them, not every pass
    t.refreshPass();
    EXPECT_FALSE(t.control("txtTmg_0")->isEnabled());
    t.pls.setRpm(5);
    t.refreshPass();
    EXPECT_FALSE(t.control("cmdSetOffset")->isEnabled());
    EXPECT_FALSE(t.control("updTmg_0")->isEnabled());
}

TEST(TimingWindow, setpointEditsProgramBothSetpointsOnlyWhenChangedAndNeverEqualOnAndOff) {
    TimingRig t;
    t.pls.setChannel(0, Pair(10, 20));
    t.openOnline();
    t.type(t.field(0), "10");
    EXPECT_EQ(t.shell.rig.takeCount(0x1B), 0) << "the remembered value programs nothing";

    t.type(t.field(0), "+13");
    EXPECT_EQ(t.text(0), "13");
    EXPECT_EQ(t.pls.channel(0), Pair(13, 20)) << "cleared first, then the pair";
    EXPECT_EQ(t.data.Setpoint[0], (Row{13, 20})) << "both setpoints as programmed";

    t.type(t.field(0), "20");
    EXPECT_EQ(t.prompt.requests(), Messages{TimingMessages::EqualSetpoints()});
    EXPECT_EQ(t.text(0), "13") << "the remembered value comes back";
    EXPECT_EQ(QApplication::focusWidget(), t.field(0)->textBox());
    for (const char* bad : {"360", "-1", "12abc"}) {
        t.prompt.clear();
        t.type(t.field(16), bad);
        EXPECT_EQ(t.prompt.requests(), Messages{RangeMessage("Set-up", 0, 359)}) << bad;
        EXPECT_EQ(t.text(16), "20") << bad;
    }
    EXPECT_EQ(t.pls.channel(0), Pair(13, 20));

    // Each arrow click programs at once; stepping back to the entry value programs again.
    t.prompt.clear();
    t.field(16)->upDown()->stepUp();
    EXPECT_EQ(t.pls.channel(0), Pair(13, 21));
    t.field(16)->upDown()->stepDown();
    EXPECT_EQ(t.pls.channel(0), Pair(13, 20));
    EXPECT_EQ(t.data.Setpoint[0][kOffSetpoint], 20);
    EXPECT_TRUE(t.prompt.requests().empty());

    // An arrow steps from what a recall put into the field, whatever the field held when the
    // user was last in it, and programs.
    t.pls.setChannel(0, Pair(14, 20));
    t.window->tmgField(1)->setText("0");
    t.click("cmdRecallChannel");
    ASSERT_EQ(t.text(0), "14");
    t.field(0)->upDown()->stepDown();
    EXPECT_EQ(t.text(0), "13");
    EXPECT_EQ(t.pls.channel(0), Pair(13, 20));
}

TEST(TimingWindow, aRowNotKnownYetIsRecalledBeforeItIsProgrammed) {
    TimingRig t;
    t.pls.setChannel(7, Pair(100, 200));
    t.pls.setChannel(4, {{1, 17 * 256}}); // "---" until the board holds a pair
    // The preparation's recall stops after channel 4's message, channel 7 still showing "-".
    t.prompt.onAsk([&](const MessageRequest&) { t.shell.paused = true; });
    t.shell.rig.goOnline();
    t.open();
    ASSERT_TRUE(RunEventsUntil([&] { return !t.prompt.requests().empty(); }));
    RunEvents();
    ASSERT_EQ(t.text(23), "-");
    t.type(t.field(7), "1");
    EXPECT_EQ(t.pls.channel(7), Pair(1, 200));
    EXPECT_EQ(t.text(23), "200");

    t.prompt.onAsk({});
    t.shell.paused = false;
    ASSERT_TRUE(RunEventsUntil([&] { return t.window->onlineReady(); }));
    EXPECT_EQ(t.text(7), "1");
    ASSERT_EQ(t.text(20), "---");
    t.pls.setChannel(4, Pair(5, 6));
    t.type(t.field(20), "9");
    EXPECT_EQ(t.pls.channel(4), Pair(5, 9));
    EXPECT_EQ(t.text(4), "5");
}

TEST(TimingWindow, aWriteTheBoardDidNotConfirmIsReportedAndABusyPlsTakesTheWindowOffline) {
    TimingRig t;
    t.pls.setChannel(5, Pair(1, 2));
    t.pls.setChannel(6, Pair(1, 2));
    t.openOnline();
    const MachineData before = t.data;
    // The answer to the flag byte of the clear that goes before the pair comes back wrong:
    // the row shows what the board holds.
    t.shell.rig.board.corruptAnswerAt(11);
    t.type(t.field(5), "3");
    EXPECT_EQ(t.prompt.requests(), Messages{TimingMessages::ProgramFailed(5)});
    EXPECT_FALSE(t.shell.rig.link.CommError);
    EXPECT_TRUE(t.pls.channel(5).empty());
    t.expectTexts({{5, "****"}, {21, "****"}});
    EXPECT_EQ(t.data, before);

    // A busy PLS ends programming with the link's message (Cancel, the default answer).
    t.prompt.clear();
    t.shell.rig.port.setEmulateLineSpeed(true); // the ready polls take the wire's time
    t.pls.setAlwaysBusy(true);
    t.type(t.field(6), "3");
    EXPECT_TRUE(t.shell.rig.link.CommError);
    EXPECT_EQ(t.prompt.titles(), std::vector<std::string>{"WARNING - Communication Error!"});
    EXPECT_EQ(t.data, before) << "an unconfirmed write leaves the data set as it was";
    ASSERT_TRUE(RunEventsUntil([&] { return !t.shell.rig.link.OnlineMode; }));
    ASSERT_TRUE(RunEventsUntil([&] { return t.window->panelText(1) == "RPM: -"; }));
    EXPECT_EQ(t.text(6), QString::number(before.Setpoint[6][kOnSetpoint])) << "offline: the data set";
    EXPECT_FALSE(t.control("txtChannel_6")->isEnabled());
}

TEST(TimingWindow, theChannelFieldSkipsEightAndNineClearOfTenClearsEightAndAFailedClearRetries) {
    TimingRig t;
    t.pls.setChannel(8, Pair(100, 200));
    t.pls.setChannel(7, Pair(1, 2));
    t.pls.setChannel(3, Pair(10, 20));
    t.openOnline();
    NumericEntryField* channel = t.window->tmgField(1);
    t.type(channel, "9");
    EXPECT_EQ(channel->text(), "10");
    t.type(channel, "11");
    EXPECT_EQ(t.prompt.requests(), Messages{RangeMessage("Resolver Offset", 0, 10)});
    EXPECT_EQ(channel->text(), "10");
    channel->setText("7");
    channel->upDown()->stepUp();
    EXPECT_EQ(channel->text(), "10");
    channel->upDown()->stepDown();
    EXPECT_EQ(channel->text(), "7");
    EXPECT_EQ(t.shell.rig.takeCount(0x1B), 0) << "the arrows only choose a channel";

    t.prompt.answerNext(MessageAnswer::No);
    t.click("cmdClearChannel");
    EXPECT_EQ(t.prompt.requests().back(), TimingMessages::ClearQuestion(7));
    EXPECT_EQ(t.pls.channel(7), Pair(1, 2));

    channel->setText("10");
    t.data.Setpoint[8] = {100, 200};
    t.prompt.answerNext(MessageAnswer::Yes);
    t.click("cmdClearChannel");
    EXPECT_EQ(t.prompt.requests().back().lines,
              (std::vector<std::string>{"You are about to Clear Channel CH10.", "",
                                        "Do you wish to continue?"}));
    EXPECT_TRUE(t.pls.channel(8).empty());
    t.expectTexts({{8, "****"}, {24, "****"}});
    EXPECT_EQ(t.data.Setpoint[8], (Row{0, 0}));

    // A clear the board did not confirm offers Retry; Cancel marks the row; a failed link
    // ends without the clear's own message.
    // The board answers the flag byte wrongly: the clear fails with the link healthy.
    t.window->tmgField(1)->setText("3");
    t.prompt.clear();
    t.prompt.onAsk([&](const MessageRequest& request) {
        if (request.buttons == MessageButtons::YesNoCancel && t.prompt.requests().size() == 1)
            t.shell.rig.board.corruptAnswerAt(7);
    });
    for (MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::Retry, MessageAnswer::Yes})
        t.prompt.answerNext(answer);
    t.click("cmdClearChannel");
    EXPECT_EQ(t.prompt.titles(), (std::vector<std::string>(3, "Clear Channel")));
    EXPECT_EQ(t.prompt.requests()[1], TimingMessages::ClearFailed());
    EXPECT_TRUE(t.pls.channel(3).empty()) << "the retry cleared the channel";
    EXPECT_EQ(t.text(3), "****");
    EXPECT_FALSE(t.shell.rig.link.CommError);

    t.pls.setChannel(3, Pair(10, 20));
    t.prompt.onAsk([&](const MessageRequest& request) {
        if (request.buttons == MessageButtons::YesNoCancel) t.shell.rig.board.corruptAnswerAt(7);
    });
    t.prompt.answerNext(MessageAnswer::Yes);
    t.prompt.answerNext(MessageAnswer::Cancel);
    t.click("cmdClearChannel");
    t.expectTexts({{3, "---"}, {19, "---"}});

    t.prompt.clear();
    t.prompt.onAsk({});
    t.shell.rig.board.setSilent(true);
    t.prompt.answerNext(MessageAnswer::Yes); // then Cancel on every link message
    t.click("cmdClearChannel");
    EXPECT_TRUE(t.shell.rig.link.CommError);
    for (const auto& request : t.prompt.requests())
        EXPECT_NE(request, TimingMessages::ClearFailed()) << "a failed link ends silently";
}

TEST(TimingWindow, setOffsetAsksNoResetsTheFieldYesStoresTheTypedValue) {
    TimingRig t;
    t.pls.setOffset(10);
    t.pls.setPosition(100);
    t.openOnline();
    t.refreshPass();
    NumericEntryField* offset = t.window->tmgField(0);
    offset->textBox()->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(offset->textBox(), "200");
    QTest::keyClick(offset->textBox(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), t.control("cmdSetOffset"));
    t.prompt.answerNext(MessageAnswer::No);
    t.click("cmdSetOffset");
    EXPECT_EQ(t.prompt.requests().back(), TimingMessages::OffsetQuestion());
    EXPECT_EQ(offset->text(), "0");
    EXPECT_EQ(t.pls.offset(), 10);

    t.type(offset, "400");
    EXPECT_EQ(t.prompt.requests().back(), RangeMessage("Resolver Offset", 0, 359));

    offset->setText("200");
    t.prompt.answerNext(MessageAnswer::Yes);
    t.click("cmdSetOffset");
    EXPECT_EQ(t.pls.position(), 200);
    EXPECT_EQ(t.data.ResolverOffset, 200) << "the typed value, not the board's";
    t.refreshPass();
    EXPECT_EQ(t.window->panelText(3), QString("Offset: %1").arg(t.pls.offset()));
}

TEST(TimingWindow, resetPlsConfigShowsWhatTheBoardReportsAndTheTestButtonsWriteTheirFlags) {
    TimingRig t;
    t.openOnline();
    t.data.PLSProgram = 3;
    t.data.PLSChannels = 12;
    t.data.PLSScale = 720;
    t.data.SpeedComp = {20, 21, 22, 23, 24, 25, 26, 27};
    t.control<QLabel>("lblPLSCfg_1")->setText("99"); // shown values are not what is sent
    t.click("cmdResetPLSConfig");
    const std::array<std::uint8_t, 24> sent{3, 20, 21, 22, 23, 0, 24, 25, 26, 27, 0, 0,
                                            0, 0,  0,  0,  0,  0, 12, 0,  0,  0,  0, 0};
    EXPECT_EQ(t.pls.downloaded(), sent);
    EXPECT_EQ(t.pls.scaleFactor(), 720);
    t.expectConfiguration({{0, "12"}, {1, "3"}, {5, "23"}, {6, "24"}});
    EXPECT_TRUE(t.prompt.requests().empty());

    t.data.PLSScale = 0; // a scale the link refuses to send (and says so): Retry, then Cancel
    t.prompt.answerNext(MessageAnswer::OK);
    t.prompt.answerNext(MessageAnswer::Retry);
    t.click("cmdResetPLSConfig");
    EXPECT_EQ(t.prompt.titles(), (std::vector<std::string>{"PLS Download", "PLS Config Download",
                                                           "PLS Download", "PLS Config Download"}));
    EXPECT_EQ(t.prompt.requests().back(), TimingMessages::ResetFailed());
    EXPECT_EQ(t.configuration(9), "---");

    // A configuration read that fails after the reset shows no value as the board's.
    t.data.PLSScale = 360;
    t.prompt.clear();
    t.shell.rig.board.loseByteAt(51 + 10); // a fetch of the read that follows four blocks and the scale
    t.click("cmdResetPLSConfig");
    ASSERT_FALSE(t.prompt.requests().empty());
    EXPECT_EQ(t.prompt.requests().back().title, "PLS Upload");
    EXPECT_FALSE(t.shell.rig.link.CommError);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(t.configuration(i), "-") << i;

    // The test buttons write their flags; the Q.C. blow-off stops at an unconfirmed step.
    t.prompt.clear();
    t.window->stopCycle();
    RunEvents();
    // The spindle code not confirmed: no blow-off fires, the user is told once.
    auto& board = t.shell.rig.board;
    board.setWriteObserver([&](std::uint16_t) { board.corruptAnswerAt(-1); });
    t.click("cmdQCBlowoff");
    for (const char* flag : {"F825", "F102"}) EXPECT_EQ(board.value(flag), 0u) << flag;
    EXPECT_EQ(t.prompt.requests(), Messages{WriteNotConfirmedMessage("B2088", "1")});
    board.setWriteObserver({});
    t.prompt.clear();

    t.click("cmdBadCanBlowoff");
    EXPECT_EQ(t.shell.rig.board.value("F830"), 1u);
    t.click("cmdQCBlowoff");
    for (const char* flag : {"B2088", "F825", "F102"}) EXPECT_EQ(t.shell.rig.board.value(flag), 1u) << flag;
}

TEST(TimingWindow, offlineShowsTheDataSetAndEditsItOnlyWithOfflineEditing) {
    TimingRig t;
    t.data.Setpoint[0] = {15, 25};
    t.data.Setpoint[8] = {300, 310};
    t.data.ResolverOffset = 7;
    t.data.PLSScale = 360;
    t.data.PLSChannels = 9;
    t.open();
    t.expectTexts({{0, "15"}, {24, "310"}});
    t.expectPanels({{1, "RPM: -"}, {3, "Offset: 7"}, {4, "Scale: 360"}});
    EXPECT_EQ(t.configuration(0), "9");
    for (const char* name : {"txtChannel_0", "cmdClearChannel", "cmdRecallChannel", "cmdSetOffset",
                             "cmdResetPLSConfig", "cmdBadCanBlowoff", "txtTmg_1"})
        EXPECT_FALSE(t.control(name)->isEnabled()) << name;

    t.shell.editing = true;
    ASSERT_TRUE(RunEventsUntil([&] { return t.control("txtChannel_0")->isEnabled(); }));
    EXPECT_TRUE(t.control("cmdClearChannel")->isEnabled());
    EXPECT_FALSE(t.control("cmdRecallChannel")->isEnabled());
    t.type(t.field(16), "40");
    EXPECT_EQ(t.data.Setpoint[0][kOffSetpoint], 40);
    t.window->tmgField(1)->setText("10");
    t.prompt.answerNext(MessageAnswer::Yes);
    t.click("cmdClearChannel");
    EXPECT_EQ(t.text(8), "****");
    EXPECT_EQ(t.data.Setpoint[8][kOnSetpoint], 0);
    EXPECT_TRUE(t.shell.rig.board.trace().empty()) << "offline nothing is sent";

    t.data.Setpoint[1] = {33, 44}; // File Open
    t.shell.data.TimingReload = true;
    ASSERT_TRUE(RunEventsUntil([&] { return t.text(1) == "33"; }));
    EXPECT_FALSE(t.shell.data.TimingReload);
}

TEST(TimingWindow, closingTheWindowChecksAndProgramsAHalfTypedValueOnce) {
    TimingRig t;
    t.pls.setChannel(1, Pair(10, 20));
    t.openOnline();
    auto* box = t.field(1)->textBox();
    // A command pressed with a refused text: MainDisplay's spindle field, NumericEntryField.
    // Closing the window ends the edit: a changed value is checked and programmed once.
    box->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, "3");
    t.window->close();
    t.window.reset();
    RunEvents();
    EXPECT_EQ(t.pls.channel(1), Pair(3, 20));
    EXPECT_EQ(t.data.Setpoint[1][kOnSetpoint], 3);
    EXPECT_TRUE(t.prompt.requests().empty());
}

// Setpoints beyond 0..359 (an old file) are clipped; a piece covers its degrees of the plot,
// and the two pieces of a wrapped band meet the plot's ends.
TEST(TimingDiagram, bandsAreClippedAndAWrappedBandReachesBothEnds) {
    using Piece = TimingDiagram::Piece;
    EXPECT_EQ(TimingDiagram::Pieces(-5, 400), (std::vector<Piece>{{0, 359}}));
    EXPECT_EQ(TimingDiagram::Pieces(10, 10), (std::vector<Piece>{{10, 10}}));
    TimingDiagram diagram;
    diagram.resize(diagram.sizeHint().width() + 200, 300);
    diagram.setRow(5, 300, 40);
    diagram.setRow(6, 90, std::nullopt);
    EXPECT_TRUE(diagram.pieces(6).empty());
    EXPECT_EQ(diagram.rowTip(5), "CH05: ON 300, OFF 40");
    const QRect whole = diagram.pieceRect(5, {0, 359});
    const QRect late = diagram.pieceRect(5, diagram.pieces(5)[0]);
    const QRect early = diagram.pieceRect(5, diagram.pieces(5)[1]);
    EXPECT_EQ(late.right(), whole.right());
    EXPECT_EQ(early.left(), whole.left());
    EXPECT_NEAR(late.left() - whole.left(), whole.width() * 300.0 / 360, 1);
    EXPECT_NEAR(early.width(), whole.width() * 41.0 / 360, 1);
}

} // namespace
} // namespace quelby::test
