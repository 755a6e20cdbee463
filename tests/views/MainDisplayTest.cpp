#include "link/RSComm.h"
#include "tests/views/WindowRig.h"
#include "views/EntryMessages.h"
#include "views/EntryTextBox.h"
#include "views/FigureLabel.h"
#include "views/NumericEntryField.h"
#include "views/TrendChart.h"
#include "views/UpDownControl.h"
#include "views/frmMain.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

struct MainDisplay : WindowRig<frmMain> {
    sim::SimBoard& board = shell.rig.board;
    ScriptedPrompt& prompt = shell.rig.prompt;

    QString display(int i) const { return control<QLabel>(QString("lblDisplay_%1").arg(i))->text(); }
    QString spindle() const { return window->spindleField()->text(); }
    void click(const char* button) { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }
    // Online to a board whose spindle code is `spindle`, the window open and its cycle stopped
    // so the trace shows the commands alone.
    void openOnlineStopped(std::uint32_t spindle = 0) {
        shell.rig.goOnline();
        board.setValue("B2088", spindle);
        open();
        window->stopCycle();
        RunEvents();
        board.clearTrace();
    }
};

TEST(MainDisplay, offlineShowsTheDataSetCountersWithADashForTheSpeedAndDisablesCommands) {
    MainDisplay m;
    m.shell.data.CurrentData.Value[25] = 1234567;
    m.shell.data.CurrentData.Value[26] = 890;
    m.shell.message = "Fault Code (03H): Low air\r\nCheck supply";
    m.open();
    EXPECT_EQ(m.window->windowTitle(), "Main Display");
    ASSERT_TRUE(RunEventsUntil([&] { return m.display(1) == "1,234,567"; }));
    EXPECT_EQ(m.display(0), "-");
    EXPECT_EQ(m.display(2), "890");
    EXPECT_EQ(m.spindle(), "-");
    EXPECT_EQ(m.control<QPlainTextEdit>("txtMessageDisplay")->toPlainText(),
              "Fault Code (03H): Low air\nCheck supply");
    for (const char* name : {"cmdSingleBlowoff", "cmdBlanketBlowoff", "cmdMandrelBlowoff",
                             "cmdBadCanBlowoff", "txtSpindleBlowoff", "updSpindleNumber",
                             "fraQCBlowoff", "fraDisplay_0"})
        EXPECT_FALSE(m.control(name)->isEnabled()) << name;

    m.shell.data.CurrentData.Value[26] = 891; // e.g. after File Open
    EXPECT_TRUE(RunEventsUntil([&] { return m.display(2) == "891"; }));
    EXPECT_TRUE(m.board.trace().empty());
}

TEST(MainDisplay, onlineTheFiguresFollowTheBoardGroupedAndShrunkToFitUnlessTheCycleIsPaused) {
    MainDisplay m;
    m.shell.rig.goOnline();
    m.shell.setBoard({{"W182", 1200}, {"D1100", 655359999}, {"D1104", 7}});
    m.open();
    const int width = m.window->width();
    ASSERT_TRUE(m.waitPasses(2));
    EXPECT_EQ(m.display(0), "1200");
    EXPECT_EQ(m.display(1), "655,359,999");
    EXPECT_EQ(m.display(2), "7");
    EXPECT_TRUE(m.control("cmdSingleBlowoff")->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), m.control("cmdSingleBlowoff"));

    // The long count shrinks to fit its panel without widening the window.
    EXPECT_EQ(m.window->width(), width);
    auto* good = m.control<FigureLabel>("lblDisplay_1");
    auto* blowoffs = m.control<FigureLabel>("lblDisplay_2");
    QFont drawn = good->font();
    drawn.setBold(true);
    drawn.setPointSizeF(good->fittedPointSize());
    EXPECT_LE(QFontMetricsF(drawn).horizontalAdvance(good->text()), good->contentsRect().width());
    EXPECT_LT(good->fittedPointSize(), blowoffs->fittedPointSize());
    EXPECT_GT(blowoffs->fittedPointSize(), 2 * QApplication::font().pointSizeF())
        << "the figures are the largest text of the window";

    m.board.setValue("D1104", 4322);
    ASSERT_TRUE(m.waitPasses(2));
    EXPECT_EQ(m.display(2), "4,322");

    m.shell.paused = true;
    RunEvents(); // lets a pass already under way reach its next yield
    m.board.clearTrace();
    RunEvents(50);
    EXPECT_TRUE(m.board.trace().empty()) << "a paused cycle leaves the link alone";
    m.shell.paused = false;
    ASSERT_TRUE(m.waitPasses(2));

    // Offline the figures are disabled, in a grey dark enough to read.
    m.shell.rig.link.OnlineMode = false;
    ASSERT_TRUE(RunEventsUntil([&] { return !blowoffs->isEnabled(); }));
    EXPECT_LT(blowoffs->palette().color(QPalette::Disabled, QPalette::WindowText).lightness(), 128);
}

// The trend is drawn from the reads of the figures: online it grows, offline it keeps the
// last online period greyed.
TEST(MainDisplay, theTrendFollowsTheOnlineReadsAndKeepsThemGreyedOffline) {
    MainDisplay m;
    m.shell.rig.goOnline();
    m.board.setValue("W182", 1200);
    m.open();
    TrendChart* chart = m.window->trendChart();
    ASSERT_TRUE(RunEventsUntil([&] { return chart->polylines(0).size() == 1; }));
    const QPolygonF line = chart->polylines(0).at(0);
    EXPECT_DOUBLE_EQ(line.last().y(), chart->bandRect(0).top()) << "1200 at the top of its scale";

    m.shell.goOffline();
    ASSERT_TRUE(RunEventsUntil([&] { return !chart->isLive(); }));
    EXPECT_EQ(chart->polylines(0).size(), 1);
}

// A link failure turning the window offline: SetupWindow.aLinkFailureInARefresh...
TEST(MainDisplay, eachGoingOnlineFillsTheSpindleFieldFromTheBoardOnceAndOfflineClearsIt) {
    MainDisplay m;
    m.open();
    // Nothing (0) shows as 1, above 24 as 24.
    for (const auto& row : {std::pair{0u, "1"}, {1u, "1"}, {24u, "24"}, {25u, "24"}}) {
        const auto [board, shown] = row;
        m.board.setValue("B2088", board);
        RunEvents();
        EXPECT_EQ(m.spindle(), "-");
        m.shell.rig.goOnline();
        ASSERT_TRUE(RunEventsUntil([&, shown = shown] { return m.spindle() == shown; })) << board;
        m.window->spindleField()->setText("5");
        ASSERT_TRUE(m.waitPasses(2));
        EXPECT_EQ(m.spindle(), "5") << "the online preparation ran once only";
        m.shell.goOffline();
        ASSERT_TRUE(RunEventsUntil([&] { return m.spindle() == "-"; }));
    }
}

TEST(MainDisplay, blowoffCommandsWriteTheirCodeThenTheTwoTriggerFlagsInOrderAndStopAtAFailedWrite) {
    MainDisplay m;
    m.openOnlineStopped(7);
    const auto written = [&] {
        std::vector<std::uint16_t> addresses;
        for (auto [address, value] : std::exchange(m.writes, {})) addresses.push_back(address);
        return addresses;
    };
    const std::pair<const char*, std::uint32_t> commands[] = {
        {"cmdBlanketBlowoff", 25}, {"cmdMandrelBlowoff", 26}, {"cmdSingleBlowoff", 7}}; // the spindle field's
    for (auto [button, code] : commands) {
        for (const char* flag : {"F825", "F102"}) m.board.setValue(flag, 0);
        m.writes.clear();
        m.click(button);
        EXPECT_EQ(written(), (std::vector<std::uint16_t>{2088, ByteOf("F825"), ByteOf("F102")})) << button;
        EXPECT_EQ(m.board.value("B2088"), code) << button;
        EXPECT_EQ(m.board.value("F825"), 1u) << button;
        EXPECT_EQ(m.board.value("F102"), 1u) << button;
    }
    m.click("cmdBadCanBlowoff");
    EXPECT_EQ(written(), std::vector<std::uint16_t>{ByteOf("F830")});
    EXPECT_EQ(m.board.value("F830"), 1u);
    EXPECT_TRUE(m.prompt.requests().empty());

    // The spindle code not confirmed: no blow-off fires, the user is told once.
    for (const char* address : {"B2088", "F825", "F102"}) m.board.setValue(address, 0);
    m.board.setWriteObserver([&](std::uint16_t) { m.board.corruptAnswerAt(-1); });
    m.window->BlowoffCommand(25);
    for (const char* flag : {"F825", "F102"}) EXPECT_EQ(m.board.value(flag), 0u) << flag;
    EXPECT_EQ(m.prompt.requests(),
              std::vector<MessageRequest>{WriteNotConfirmedMessage("B2088", " 25")});
}

TEST(MainDisplay, theSpindleFieldChecksOneToTwentyFourBeforeAnyCommandAndOnlyItsArrowsWrite) {
    MainDisplay m;
    m.openOnlineStopped(7);
    auto* box = m.window->spindleField()->textBox();
    const auto type = [&](const char* text) {
        m.prompt.clear();
        ReplaceText(box, text);
    };
    const auto refused = [&](const char* button) {
        EXPECT_EQ(m.prompt.requests(),
                  std::vector<MessageRequest>{RangeMessage("Q.C. Blow-off", 1, 24)});
        EXPECT_EQ(m.spindle(), "7");
        EXPECT_EQ(QApplication::focusWidget(), box);
        EXPECT_FALSE(m.control<QPushButton>(button)->isDown()) << button;
    };
    // Refused on Return as any field's text (EntryFields); here before a command acts.
    for (const char* typed : {"25", "0"}) {
        SCOPED_TRACE(typed);
        type(typed);
        QTest::keyClick(box, Qt::Key_I, Qt::AltModifier); // S&ingle Blow-off
        refused("cmdSingleBlowoff");
        type(typed);
        m.click("cmdMandrelBlowoff");
        refused("cmdMandrelBlowoff");
    }
    // An access key's click comes a moment after the key; none may come at all.
    QTest::qWait(250);
    EXPECT_TRUE(m.board.trace().empty()) << "nothing reached the board";
    m.prompt.clear();
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_TRUE(m.prompt.requests().empty()) << "the message came once, not again";

    type("12");
    QTest::keyClick(box, Qt::Key_I, Qt::AltModifier);
    ASSERT_TRUE(RunEventsUntil([&] { return m.board.value("F102") == 1; }));
    EXPECT_EQ(m.board.value("B2088"), 12u);
    EXPECT_TRUE(m.prompt.requests().empty());
    EXPECT_EQ(m.window->spindleField()->rememberedValue(), 12) << "the field is entered again";

    // A valid value is only remembered; the arrows write the board, online with a healthy link.
    m.board.clearTrace();
    type("13");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), m.control("cmdSingleBlowoff"));
    EXPECT_TRUE(m.board.trace().empty()) << "a valid value is not written anywhere";
    m.window->spindleField()->setText("24");
    m.window->spindleField()->upDown()->stepUp();
    EXPECT_TRUE(m.board.trace().empty()) << "no step beyond the maximum";
    m.window->spindleField()->upDown()->stepDown();
    EXPECT_EQ(m.board.value("B2088"), 23u);
    m.board.clearTrace();
    m.shell.rig.link.CommError = true;
    m.window->spindleField()->upDown()->stepDown();
    EXPECT_EQ(m.spindle(), "22");
    EXPECT_TRUE(m.board.trace().empty());
}

TEST(MainDisplay, loadingAndUnloadingAThousandTimesLeavesNoCycleRunningNorGrowsTheStack) {
    MainDisplay m;
    m.shell.rig.goOnline();
    m.board.setTraceRecording(false);
    const char* deepest = nullptr;
    m.shell.onPass = [&] {
        const char marker = 0;
        if (!deepest || &marker < deepest) deepest = &marker;
    };
    const auto loadAndUnload = [&] {
        m.open();
        RunEvents(3);
        m.window.reset();
        RunEvents(1);
    };
    for (int i = 0; i < 10; ++i) loadAndUnload();
    const char* deepestEarly = deepest;
    ASSERT_NE(deepestEarly, nullptr) << "the cycle ran its passes";
    for (int i = 0; i < 990; ++i) loadAndUnload();
    EXPECT_GT(deepest + 64 * 1024, deepestEarly) << "the stack stays where it was";
    EXPECT_TRUE(RunEventsUntil([] { return RefreshCycleWindow::liveCycles() == 0; }));

    // Closed without being destroyed: the cycle ends as well and the link stays untouched.
    m.open();
    RunEvents(3);
    EXPECT_EQ(RefreshCycleWindow::liveCycles(), 1);
    m.window->close();
    EXPECT_TRUE(RunEventsUntil([] { return RefreshCycleWindow::liveCycles() == 0; }));
    EXPECT_TRUE(m.shell.rig.link.OnlineMode);
}

} // namespace
} // namespace quelby::test
