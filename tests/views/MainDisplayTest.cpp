#include "link/BoardAddress.h"
#include "views/EntryTextBox.h"
#include "views/FigureLabel.h"
#include "views/NumericEntryField.h"
#include "link/RSComm.h"
#include "tests/views/TestShell.h"
#include "views/UpDownControl.h"
#include "views/frmMain.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace quelby::test {
namespace {

struct MainDisplay {
    TestShell shell;
    std::unique_ptr<frmMain> window;

    void open() {
        window = std::make_unique<frmMain>(shell, shell.rig.prompt);
        ShowActive(*window);
    }
    template <typename T = QWidget>
    T* control(const char* name) const {
        return window->findChild<T*>(name);
    }
    QString display(int index) const {
        return control<QLabel>(QString("lblDisplay_%1").arg(index).toLatin1())->text();
    }
    QString spindle() const { return window->spindleField()->text(); }
    // Online to a board whose spindle code is `spindle`, the window open and its cycle stopped
    // so the trace shows the commands alone.
    void openOnlineStopped(std::uint32_t spindle = 0) {
        shell.rig.goOnline();
        shell.rig.board.setValue("B2088", spindle);
        open();
        window->stopCycle();
        RunEvents();
    }
    // Runs the cycle until a pass has read the board again.
    void refreshOnce() {
        shell.rig.board.clearTrace();
        ASSERT_TRUE(RunEventsUntil([&] { return shell.rig.board.trace().size() >= 8; }));
        RunEvents();
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
    EXPECT_TRUE(m.shell.rig.board.trace().empty());
}

TEST(MainDisplay, onlineShowsTheBoardFiguresWithDigitGrouping) {
    MainDisplay m;
    m.shell.rig.goOnline();
    m.shell.rig.board.setValue("W182", 1200);
    m.shell.rig.board.setValue("D1100", 123456789);
    m.shell.rig.board.setValue("D1104", 4321);
    m.open();
    m.refreshOnce();
    m.refreshOnce();
    EXPECT_EQ(m.display(0), "1200");
    EXPECT_EQ(m.display(1), "123,456,789");
    EXPECT_EQ(m.display(2), "4,321");
    EXPECT_TRUE(m.control("cmdSingleBlowoff")->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), m.control("cmdSingleBlowoff"));

    m.shell.rig.board.setValue("D1104", 4322);
    m.refreshOnce();
    m.refreshOnce();
    EXPECT_EQ(m.display(2), "4,322") << "the displays follow the board";

    m.shell.paused = true;
    RunEvents(); // lets a pass already under way reach its next yield
    m.shell.rig.board.clearTrace();
    RunEvents(50);
    EXPECT_TRUE(m.shell.rig.board.trace().empty()) << "a paused cycle leaves the link alone";
    m.shell.paused = false;
    m.refreshOnce();
}

TEST(MainDisplay, aLongCountShrinksToFitItsPanelWithoutWideningTheWindowAndStaysLegibleOffline) {
    MainDisplay m;
    m.shell.rig.goOnline();
    m.shell.rig.board.setValue("D1100", 655359999);
    m.shell.rig.board.setValue("D1104", 7);
    m.open();
    const int width = m.window->width();
    ASSERT_TRUE(RunEventsUntil([&] { return m.display(1) == "655,359,999"; })) << m.display(1).toStdString();
    ASSERT_TRUE(RunEventsUntil([&] { return m.display(2) == "7"; }));
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

    // Offline the figures are disabled, in a grey dark enough to read.
    m.shell.rig.link.OnlineMode = false;
    ASSERT_TRUE(RunEventsUntil([&] { return !blowoffs->isEnabled(); }));
    const QColor grey = blowoffs->palette().color(QPalette::Disabled, QPalette::WindowText);
    EXPECT_LT(grey.lightness(), 128);
}

TEST(MainDisplay, goingOnlineFillsTheSpindleFieldFromTheBoard) {
    const std::pair<int, const char*> cases[] = {{0, "1"}, {30, "24"}, {7, "7"}, {24, "24"}};
    for (auto [board, shown] : cases) {
        MainDisplay m;
        m.shell.rig.goOnline();
        m.shell.rig.board.setValue("B2088", static_cast<std::uint32_t>(board));
        m.open();
        EXPECT_EQ(m.spindle(), shown) << board;
    }
}

TEST(MainDisplay, eachChangeOfModeRunsTheMatchingPreparationOnceALinkFailureIncluded) {
    MainDisplay m;
    m.shell.rig.board.setValue("B2088", 9);
    m.open();
    RunEvents();
    EXPECT_EQ(m.spindle(), "-");
    m.shell.rig.goOnline();
    ASSERT_TRUE(RunEventsUntil([&] { return m.spindle() == "9"; }));
    EXPECT_TRUE(m.control("cmdBlanketBlowoff")->isEnabled());
    m.window->spindleField()->setText("5");
    m.refreshOnce();
    EXPECT_EQ(m.spindle(), "5") << "the online preparation ran once only";

    // A link failure in the cycle turns the program offline, and the offline preparation runs.
    m.shell.rig.board.setSilent(true);
    ASSERT_TRUE(RunEventsUntil([&] { return !m.shell.rig.link.OnlineMode; }));
    EXPECT_EQ(m.shell.onlineStatusUpdates, 1);
    ASSERT_TRUE(RunEventsUntil([&] { return m.spindle() == "-"; }));
    EXPECT_EQ(m.display(0), "-");
    EXPECT_FALSE(m.control("cmdBlanketBlowoff")->isEnabled());
}

TEST(MainDisplay, blowoffCommandsWriteTheirCodeThenTheTwoTriggerFlagsInOrder) {
    MainDisplay m;
    m.openOnlineStopped(7);

    std::vector<std::uint16_t> written;
    m.shell.rig.board.setWriteObserver([&](std::uint16_t address) { written.push_back(address); });
    const auto byteOf = [](const char* address) {
        return static_cast<std::uint16_t>(ParseAddress(address)->byteAddress);
    };
    const std::vector<std::uint16_t> order{2088, byteOf("F825"), byteOf("F102")};
    const auto clickAndCheck = [&](const char* button, std::uint32_t code) {
        for (const char* flag : {"F825", "F102"}) m.shell.rig.board.setValue(flag, 0);
        written.clear();
        QTest::mouseClick(m.control<QPushButton>(button), Qt::LeftButton);
        EXPECT_EQ(written, order) << button;
        EXPECT_EQ(m.shell.rig.board.value("B2088"), code) << button;
        EXPECT_EQ(m.shell.rig.board.value("F825"), 1u) << button;
        EXPECT_EQ(m.shell.rig.board.value("F102"), 1u) << button;
    };
    clickAndCheck("cmdBlanketBlowoff", 25);
    clickAndCheck("cmdMandrelBlowoff", 26);
    clickAndCheck("cmdSingleBlowoff", 7); // the spindle field's number

    written.clear();
    QTest::mouseClick(m.control<QPushButton>("cmdBadCanBlowoff"), Qt::LeftButton);
    EXPECT_EQ(written, std::vector<std::uint16_t>{byteOf("F830")});
    EXPECT_EQ(m.shell.rig.board.value("F830"), 1u);
    EXPECT_TRUE(m.shell.rig.prompt.requests().empty());
}

TEST(MainDisplay, aBlowoffStopsAtTheFirstFailedWrite) {
    MainDisplay m;
    m.openOnlineStopped();
    m.shell.rig.board.clearTrace();
    m.shell.rig.board.setSilent(true);
    m.shell.rig.prompt.onAsk([](const MessageRequest&) {}); // Cancel every retry offer
    m.window->BlowoffCommand(25);
    EXPECT_TRUE(m.shell.rig.link.CommError);
    EXPECT_EQ(m.shell.rig.board.value("B2088"), 0u);
    const auto asked = m.shell.rig.prompt.requests().size();
    m.shell.rig.board.setSilent(false);
    m.window->BlowoffCommand(25);
    EXPECT_EQ(m.shell.rig.prompt.requests().size(), asked) << "a failed link sends nothing";
    EXPECT_EQ(m.shell.rig.board.value("F825"), 0u);
}

TEST(MainDisplay, aValidSpindleIsOnlyRememberedAndTheArrowsWriteTheBoard) {
    MainDisplay m;
    m.openOnlineStopped(7);
    auto* box = m.window->spindleField()->textBox();
    box->setFocus(Qt::MouseFocusReason);
    m.shell.rig.board.clearTrace();
    m.shell.rig.board.setValue("B2088", 0);
    box->selectAll();
    QTest::keyClicks(box, "12");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), m.control("cmdSingleBlowoff"));
    EXPECT_TRUE(m.shell.rig.board.trace().empty()) << "a valid value is not written anywhere";

    m.window->spindleField()->setText("24");
    m.window->spindleField()->upDown()->stepUp();
    EXPECT_TRUE(m.shell.rig.board.trace().empty()) << "no step beyond the maximum";
    m.window->spindleField()->upDown()->stepDown();
    EXPECT_EQ(QApplication::focusWidget(), m.control("cmdDefault"));
    EXPECT_EQ(m.shell.rig.board.value("B2088"), 23u);
    m.shell.rig.board.clearTrace();

    m.shell.rig.link.CommError = true;
    m.window->spindleField()->upDown()->stepDown();
    EXPECT_EQ(m.spindle(), "22");
    EXPECT_TRUE(m.shell.rig.board.trace().empty()) << "written only online with a healthy link";
}

TEST(MainDisplay, theSpindleFieldChecksOneToTwentyFourOnReturnAndBeforeAnyCommand) {
    MainDisplay m;
    m.openOnlineStopped(7);
    m.shell.rig.board.clearTrace();
    auto* box = m.window->spindleField()->textBox();
    const std::vector<MessageRequest> rangeOnce{{"Q.C. Blow-off",
                                                 {"Only a Number Between 1 and 24 can be Entered"},
                                                 MessageButtons::OK,
                                                 MessageIcon::Information}};
    const auto type = [&](const char* text) {
        m.shell.rig.prompt.clear();
        box->setFocus(Qt::MouseFocusReason);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    };
    const auto refused = [&](const char* button) {
        EXPECT_EQ(m.shell.rig.prompt.requests(), rangeOnce);
        EXPECT_EQ(m.spindle(), "7");
        EXPECT_EQ(QApplication::focusWidget(), box);
        EXPECT_FALSE(m.control<QPushButton>(button)->isDown()) << button;
    };
    for (const char* typed : {"25", "0", "abc", "", "-3"}) {
        SCOPED_TRACE(typed);
        type(typed);
        QTest::keyClick(box, Qt::Key_Return);
        refused("cmdSingleBlowoff");
        type(typed);
        QTest::keyClick(box, Qt::Key_I, Qt::AltModifier); // S&ingle Blow-off
        refused("cmdSingleBlowoff");
        type(typed);
        QTest::keyClick(box, Qt::Key_B, Qt::AltModifier); // &Blanket Blow-off
        refused("cmdBlanketBlowoff");
        type(typed);
        QTest::mouseClick(m.control<QPushButton>("cmdMandrelBlowoff"), Qt::LeftButton);
        refused("cmdMandrelBlowoff");
    }
    // An access key's click comes a moment after the key; none may come at all.
    QTest::qWait(250);
    EXPECT_TRUE(m.shell.rig.board.trace().empty()) << "nothing reached the board";
    m.shell.rig.prompt.clear();
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_TRUE(m.shell.rig.prompt.requests().empty()) << "the message came once, not again";

    type("12");
    QTest::keyClick(box, Qt::Key_I, Qt::AltModifier);
    ASSERT_TRUE(RunEventsUntil([&] { return m.shell.rig.board.value("F102") == 1; }));
    EXPECT_EQ(m.shell.rig.board.value("B2088"), 12u);
    EXPECT_TRUE(m.shell.rig.prompt.requests().empty());
    EXPECT_EQ(m.window->spindleField()->rememberedValue(), 12) << "the field is entered again";
}

TEST(MainDisplay, loadingAndUnloadingAThousandTimesLeavesNoCycleRunningNorGrowsTheStack) {
    MainDisplay m;
    m.shell.rig.goOnline();
    m.shell.rig.board.setTraceRecording(false);
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
