#include "app/data/ShiftDataTable.h"
#include "tests/views/WindowRig.h"
#include "views/EntryTextBox.h"
#include "views/NumericEntryField.h"
#include "views/PushHoldButton.h"
#include "views/SpindleBarChart.h"
#include "views/frmData.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

struct ShiftWindow : WindowRig<frmData> {
    PushHoldButton* resetTrips() const { return control<PushHoldButton>("cmdResetTrips"); }
    PushHoldButton* transferData() const { return control<PushHoldButton>("cmdTransferData"); }
    QLineEdit* offsetBox() const { return window->tripOffsetField()->textBox(); }
    std::uint32_t board(const char* address) const { return *shell.rig.board.value(address); }
    // Spindle k (1..24) of the trips, the current shift and the last shift.
    void setSpindles(int page, std::uint32_t base) {
        for (int k = 0; k < kSpindleCount; ++k)
            shell.rig.board.setValue(
                ShiftDataAddress(kShiftDataPages[static_cast<std::size_t>(page)].firstSpindle + k),
                base + static_cast<std::uint32_t>(k));
    }
    void openOnline() {
        shell.rig.goOnline();
        open();
    }
};

TEST(ShiftDataWindow, onlineShowsTheVisiblePageWithItsTotalTheTrippedSpindleAndTheTripOffset) {
    ShiftWindow w;
    w.setSpindles(0, 100); // 100..123: total 2676
    // Spindle #24 past 32767 (total 2676 - 123 + 40000), #7 tripped, offset 5.
    w.shell.setBoard(
        {{"W1066", 40000}, {"B598", 7}, {"B1011", 5}, {"D1100", 123456789}, {"D1112", 77}});
    w.setSpindles(1, 1000);           // total 24276
    w.openOnline();
    EXPECT_EQ(w.window->windowTitle(), "Shift Data");
    ASSERT_TRUE(RunEventsUntil([&] { return w.window->totalShown(0) == "42,553"; }));
    EXPECT_EQ(w.window->shown(0), "7");
    EXPECT_EQ(w.window->shown(24), "40,000");
    // The chart draws the page's spindles as the fields show them, the tripped one marked.
    auto* chart = w.window->findChild<SpindleBarChart*>("picTrips_0");
    EXPECT_EQ(chart->value(1), 100);
    EXPECT_EQ(chart->value(24), 40000) << "past 32767 as the field shows it";
    EXPECT_EQ(chart->marked(), 7);
    const QImage picture = chart->grab().toImage();
    EXPECT_EQ(picture.pixelColor(chart->barRect(7).center()), QColor(Qt::red));
    EXPECT_NE(picture.pixelColor(chart->barRect(6).center()), QColor(Qt::red));
    EXPECT_EQ(chart->barRect(1).bottom(), chart->barRect(24).bottom());
    EXPECT_NEAR(chart->barRect(1).height(), chart->barRect(24).height() * 100.0 / 40000, 1);
    EXPECT_EQ(w.window->tripOffsetField()->text(), "5");
    EXPECT_EQ(w.window->shown(25), "0") << "page 2 is not read while page 1 shows";
    EXPECT_TRUE(w.resetTrips()->isEnabled());

    // The user switches to page 2 while the refresh is at spindle #6 of page 1.
    w.setSpindles(0, 0);
    QString totalAtSwitch;
    w.shell.rig.board.setReadObserver([&](std::uint16_t address) {
        w.reads.push_back(address);
        if (address != 1030 || w.window->currentPage() != 0) return;
        totalAtSwitch = w.window->totalShown(0);
        w.window->showPage(1);
    });
    ASSERT_TRUE(RunEventsUntil([&] { return w.window->currentPage() == 1; }));
    w.reads.clear();
    ASSERT_TRUE(RunEventsUntil([&] { return w.window->totalShown(1) == "24,276"; }));
    EXPECT_EQ(w.reads.front(), 1100) << "the next read is the first of page 2";
    EXPECT_EQ(w.window->totalShown(0), totalAtSwitch) << "page 1 never reached its last spindle";
    EXPECT_EQ(w.window->shown(25), "123,456,789");
    EXPECT_EQ(w.window->shown(30), "77") << "restart blow-offs come from D1112";
    for (std::uint16_t address : w.reads)
        EXPECT_TRUE(address >= 1100 && address < 1172) << address;

    // The trip offset field follows B1011 on page 1, except while it is being edited.
    w.shell.rig.board.setReadObserver({});
    w.window->showPage(0);
    w.shell.rig.board.setValue("B1011", 9);
    ASSERT_TRUE(RunEventsUntil([&] { return w.window->tripOffsetField()->text() == "9"; }));
    w.offsetBox()->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(w.offsetBox(), "1");
    w.shell.rig.board.setValue("B1011", 10);
    ASSERT_TRUE(w.waitPasses(2));
    EXPECT_EQ(w.window->tripOffsetField()->text(), "1");
    QTest::keyClick(w.offsetBox(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), w.resetTrips());
    EXPECT_EQ(w.board("B1011"), 1u);
}

TEST(ShiftDataWindow, offlineFillsAllThreePagesFromTheDataSetWithADashForTheTrippedSpindle) {
    ShiftWindow w;
    auto& values = w.shell.data.CurrentData.Value;
    for (int i = 1; i < kShiftDataEntries; ++i) values[static_cast<std::size_t>(i)] = i * 1000;
    values[0] = 12;
    values[84] = 2'000'000'000; // a file may hold anything: the total must not overflow
    w.open();
    ASSERT_TRUE(RunEventsUntil([&] { return w.window->shown(84) == "2,000,000,000"; }));
    EXPECT_EQ(w.window->shown(0), "-");
    EXPECT_EQ(w.window->shown(1), "1,000");
    EXPECT_EQ(w.window->shown(55), "55,000");
    EXPECT_EQ(w.window->totalShown(2), "2,001,656,000"); // the page totals: ShiftDataTable
    EXPECT_EQ(w.window->findChild<SpindleBarChart*>("picTrips_2")->value(24), 2'000'000'000);
    EXPECT_EQ(w.window->findChild<SpindleBarChart*>("picTrips_0")->marked(), std::nullopt)
        << "offline no spindle is marked";
    EXPECT_EQ(w.window->tripOffsetField()->text(), "12");
    for (const char* name : {"cmdResetTrips", "cmdTransferData", "txtSpindleTripOffset", "lblTrippedSpindle"})
        EXPECT_FALSE(w.control(name)->isEnabled()) << name;

    w.shell.editing = true;
    ASSERT_TRUE(w.waitPasses(2));
    EXPECT_TRUE(w.offsetBox()->isEnabled());
    EXPECT_FALSE(w.resetTrips()->isEnabled());
}

TEST(ShiftDataWindow, aSpindleTheLinkCouldNotConfirmKeepsItsTextAndStaysOutOfTheTotal) {
    ShiftWindow w;
    w.setSpindles(0, 100); // total 2676
    w.openOnline();
    ASSERT_TRUE(RunEventsUntil([&] { return w.window->totalShown(0) == "2,676"; }));
    // The read after the trip offset's is spindle #1's: its address echo comes back wrong.
    bool spoil = true;
    int spoiled = 0;
    w.shell.rig.board.setReadObserver([&](std::uint16_t address) {
        if (!spoil || address != 1011) return;
        w.shell.rig.board.corruptAnswerAt(0);
        if (++spoiled > 1) return;
        w.shell.setBoard({{"W1020", 5000}, {"W1022", 0}}); // from the first spoiled read on
    });
    ASSERT_TRUE(RunEventsUntil([&] { return spoiled >= 3 && w.window->shown(2) == "0"; }));
    EXPECT_EQ(w.window->shown(1), "100") << "never 0, never the misread";
    EXPECT_EQ(w.window->totalShown(0), "2,676");
    spoil = false;
    EXPECT_TRUE(RunEventsUntil([&] { return w.window->totalShown(0) == "7,475"; }));

    // A push-and-hold press waits for the check of a half-typed offset: refused, nothing held.
    w.writes.clear();
    w.offsetBox()->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(w.offsetBox(), "99");
    QTest::mousePress(w.resetTrips(), Qt::LeftButton);
    QTest::mouseRelease(w.resetTrips(), Qt::LeftButton);
    EXPECT_EQ(w.shell.rig.prompt.titles(), std::vector<std::string>{"Spindle #1 Trip Offset:"});
    EXPECT_TRUE(w.writes.empty());
    EXPECT_EQ(w.shell.data.CurrentData.Value[0], 0);
}

// What the machine does with the bits: SimMachineTest.
TEST(ShiftDataWindow, holdingTheCommandsKeepsTheirBitsSetUntilRelease) {
    ShiftWindow w;
    w.openOnline();
    ASSERT_TRUE(w.waitPasses(1));

    QTest::mousePress(w.resetTrips(), Qt::RightButton); // any mouse button
    EXPECT_EQ(w.board("B1016.0"), 1u);
    ASSERT_TRUE(w.waitPasses(2));
    EXPECT_EQ(w.board("B1016.0"), 1u) << "held down";
    QTest::mouseRelease(w.resetTrips(), Qt::RightButton);
    EXPECT_EQ(w.board("B1016.0"), 0u);

    // The keyboard does nothing: Space and the access key only move the focus.
    w.resetTrips()->setFocus();
    QTest::keyClick(w.resetTrips(), Qt::Key_Space);
    QTest::keyClick(w.window.get(), Qt::Key_R, Qt::AltModifier);
    EXPECT_EQ(w.board("B1016.0"), 0u);
    EXPECT_FALSE(w.resetTrips()->held());

    w.window->showPage(1);
    QTest::mousePress(w.transferData(), Qt::LeftButton);
    EXPECT_EQ(w.board("F133"), 1u);
    QTest::mouseRelease(w.transferData(), Qt::LeftButton);
    EXPECT_EQ(w.board("F133"), 0u);
    EXPECT_TRUE(w.shell.rig.prompt.requests().empty());
}

// However the hold ends without a release, the bit goes back to 0 while the link works (the
// program going offline is covered with the real shell, in the shell's tests).
TEST(ShiftDataWindow, aHoldThatLosesItsReleaseStillWritesTheZero) {
    const auto holdThen = [](const char* what, const std::function<void(ShiftWindow&)>& lose) {
        ShiftWindow w;
        w.openOnline();
        ASSERT_TRUE(w.waitPasses(1)) << what;
        QTest::mousePress(w.resetTrips(), Qt::LeftButton);
        ASSERT_EQ(w.board("B1016.0"), 1u) << what;
        lose(w);
        RunEvents();
        EXPECT_EQ(w.board("B1016.0"), 0u) << what;
        EXPECT_FALSE(w.shell.beforeGoingOffline) << what;
    };
    holdThen("page switched", [](ShiftWindow& w) { w.window->showPage(2); });
    holdThen("window unloaded", [](ShiftWindow& w) { w.window.reset(); });
    holdThen("link message", [](ShiftWindow& w) {
        // The status poll's read fails; its message takes the focus from the held button
        // while the link is busy; Retry brings the line back.
        QWidget messageBox;
        bool zeroWhileBusy = false;
        w.shell.rig.board.setSilent(true);
        w.shell.rig.prompt.answerNext(MessageAnswer::Retry);
        w.shell.rig.prompt.onAsk([&](const MessageRequest&) {
            ShowActive(messageBox);
            zeroWhileBusy = *w.shell.rig.board.value("B1016.0") == 0;
            w.shell.rig.board.setSilent(false);
        });
        w.shell.rig.link.RSRead("B8176");
        EXPECT_FALSE(zeroWhileBusy) << "the link is never entered twice";
        EXPECT_FALSE(w.resetTrips()->held());
        ASSERT_FALSE(w.shell.rig.link.CommError);
        EXPECT_TRUE(RunEventsUntil([&] { return w.board("B1016.0") == 0; }));
    });

    // With the link failed nothing is written, neither the 1 nor the 0.
    ShiftWindow w;
    w.openOnline();
    ASSERT_TRUE(w.waitPasses(1));
    w.window->stopCycle();
    w.shell.rig.link.CommError = true;
    w.shell.rig.board.clearTrace();
    QTest::mousePress(w.resetTrips(), Qt::LeftButton);
    QTest::mouseRelease(w.resetTrips(), Qt::LeftButton);
    EXPECT_TRUE(w.shell.rig.board.trace().empty());
}

} // namespace
} // namespace quelby::test
