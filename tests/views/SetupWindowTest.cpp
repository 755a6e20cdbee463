#include "app/data/SetupParameters.h"
#include "tests/views/WindowRig.h"
#include "views/EntryMessages.h"
#include "views/EntryTextBox.h"
#include "views/NumericEntryField.h"
#include "views/UpDownControl.h"
#include "views/frmSetup.h"

#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpontaneKeyEvent>

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

// Board values in range and distinct per field, so a field reading the wrong address shows.
constexpr std::array<std::uint32_t, kSetupFieldCount> kBoardValues{
    10, 11, 12, 13, 4, 700, 9, 14, 40, 41, 42, 20, 7, 21, 22, 23, 24};

struct SetupWindow : WindowRig<frmSetup> {
    QString text(int i) const { return window->field(i)->text(); }
    QLineEdit* box(int i) const { return window->field(i)->textBox(); }
    bool pageShowsBoard(int page) const {
        const IndexRange range = kSetupPages[static_cast<std::size_t>(page)];
        for (int i = range.first; i <= range.last; ++i)
            if (text(i) != QString::number(kBoardValues[static_cast<std::size_t>(i)])) return false;
        return true;
    }
    // Online, each field's address holding its kBoardValues value, the first page showing them.
    void openOnlineWithBoardValues() {
        shell.rig.goOnline();
        for (int i = 0; i < kSetupFieldCount; ++i)
            shell.rig.board.setValue(kSetupParameters[static_cast<std::size_t>(i)].address,
                                     kBoardValues[static_cast<std::size_t>(i)]);
        open();
        ASSERT_TRUE(RunEventsUntil([&] { return pageShowsBoard(0); }));
    }
    std::vector<QWidget*> testButtons() const {
        return {control("cmdBadCanTest_0"), control("cmdBadCanTest_1"), control("cmdQCTest")};
    }
};

// Each field shows its own address: EntryFields (every field's window opened online).
TEST(SetupWindow, onlineAHiddenPageIsNotReadAndTheLabelsLeadToTheirFields) {
    SetupWindow s;
    s.openOnlineWithBoardValues();
    EXPECT_EQ(s.window->windowTitle(), "Set-Up");
    EXPECT_EQ(s.text(13), "5") << "a hidden page is not read";
    for (QWidget* button : s.testButtons())
        EXPECT_TRUE(button->isEnabled());

    // Labels carry the access keys and lead to their fields; the solenoid grid tabs row-wise.
    auto* segments = s.control<QLabel>("lblSetup_12");
    EXPECT_EQ(segments->text(), "Number of Se&gments on Blanket Wheel:");
    EXPECT_EQ(segments->buddy(), s.box(12));
    EXPECT_EQ(s.control<QLabel>("lblSetup_15")->buddy(), s.box(15));
    s.window->showPage(2);
    s.box(13)->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(s.box(13), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), s.box(14)) << "ON then OFF of the same row";
    QTest::keyClick(s.box(14), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), s.box(15));
}

TEST(SetupWindow, aPageChangeMidRefreshStopsAfterTheCurrentReadAndTheNextPassReadsTheNewPage) {
    SetupWindow s;
    s.openOnlineWithBoardValues();
    s.window->showPage(1);
    ASSERT_TRUE(RunEventsUntil([&] { return s.pageShowsBoard(1); }));
    s.shell.rig.board.setReadObserver([&](std::uint16_t address) {
        if (address == ByteOf("B1019") && s.window->currentPage() == 1) {
            s.window->showPage(2); // the user picks tab 3 while B1019 is being read
            s.shell.rig.board.setValue("B1000", 60);
            s.reads.clear();
            return;
        }
        s.reads.push_back(address);
    });
    ASSERT_TRUE(RunEventsUntil([&] { return s.window->currentPage() == 2 && s.reads.size() >= 4; }));
    EXPECT_EQ(std::vector<std::uint16_t>(s.reads.begin(), s.reads.begin() + 4),
              (std::vector<std::uint16_t>{1006, 1007, 1008, 1009}));
    EXPECT_EQ(s.window->refreshRange().first, 13);
    EXPECT_EQ(s.text(8), "40") << "the stopped pass read no further field of page 2";
}

// Minimising ends an edit once, writing the half-typed value, while the refresh runs on; a
// field being edited keeps its text (online and offline the window shows its values through
// the same step). Offline edits stay in the data set: NumericEntryField.
TEST(SetupWindow, minimisingEndsAnEditOnceAndAFieldBeingEditedKeepsItsText) {
    SetupWindow s;
    s.openOnlineWithBoardValues();
    s.box(0)->setFocus(Qt::MouseFocusReason);
    s.box(0)->selectAll();
    QTest::keyClicks(s.box(0), "66");
    s.writes.clear();
    QHideEvent minimised; // as the window system sends it when the main window is minimised
    QSpontaneKeyEvent::setSpontaneous(&minimised);
    static_cast<QObject*>(s.window.get())->event(&minimised); // sendEvent clears "spontaneous"
    EXPECT_EQ(s.shell.rig.board.value("B1012"), 66u) << "the half-typed value is checked and written";
    EXPECT_EQ(s.writes.size(), 1u);
    EXPECT_FALSE(s.window->field(0)->editing());
    EXPECT_TRUE(s.window->runFlag());
    s.shell.rig.board.setValue("B1012", 70);
    EXPECT_TRUE(RunEventsUntil([&] { return s.text(0) == "70"; })) << "the field refreshes again";

    s.box(0)->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(s.box(0), "7");
    const QString typed = s.text(0);
    s.shell.setBoard({{"B1012", 50}, {"B1013", 51}});
    ASSERT_TRUE(RunEventsUntil([&] { return s.text(1) == "51"; }));
    ASSERT_TRUE(s.waitPasses(2));
    EXPECT_EQ(s.text(0), typed);
}

TEST(SetupWindow, testBlowoffsWriteTheirBitsAndTheQcTestStopsAtTheFirstFailedWrite) {
    SetupWindow s;
    s.openOnlineWithBoardValues();
    s.window->stopCycle();
    RunEvents();
    s.writes.clear();
    QTest::mouseClick(s.control<QPushButton>("cmdBadCanTest_0"), Qt::LeftButton);
    EXPECT_EQ(s.writes, (decltype(s.writes){{ByteOf("F830"), 1 << (830 % 8)}}));
    s.window->showPage(1);
    s.shell.rig.board.setValue("F830", 0);
    QTest::mouseClick(s.control<QPushButton>("cmdBadCanTest_1"), Qt::LeftButton);
    EXPECT_EQ(s.shell.rig.board.value("F830"), 1u);
    s.shell.rig.board.setValue("F830", 0); // shares its byte with F825
    s.writes.clear();
    QTest::mouseClick(s.control<QPushButton>("cmdQCTest"), Qt::LeftButton);
    EXPECT_EQ(s.writes, (decltype(s.writes){{2088, 1}, {ByteOf("F825"), 1 << (825 % 8)},
                                            {ByteOf("F102"), 1 << (102 % 8)}}));

    // The spindle code not confirmed: no blow-off fires, the user is told once.
    auto& board = s.shell.rig.board;
    for (const char* address : {"B2088", "F825", "F102"}) board.setValue(address, 0);
    board.setWriteObserver([&](std::uint16_t) { board.corruptAnswerAt(-1); });
    s.window->cmdQCTest_Click();
    for (const char* flag : {"F825", "F102"}) EXPECT_EQ(board.value(flag), 0u) << flag;
    EXPECT_EQ(s.shell.rig.prompt.requests(),
              std::vector<MessageRequest>{WriteNotConfirmedMessage("B2088", "1")});
}

// Offline the fields show the data set, greyed, until offline editing is switched on.
TEST(SetupWindow, aLinkFailureInARefreshTurnsTheProgramAndTheWindowOfflineWithoutItsOwnMessage) {
    SetupWindow s;
    s.openOnlineWithBoardValues();
    for (int i = 0; i < kSetupFieldCount; ++i)
        s.shell.data.CurrentData.Value[static_cast<std::size_t>(85 + i)] = 60 + i;
    s.shell.rig.board.setSilent(true);
    ASSERT_TRUE(RunEventsUntil([&] { return !s.shell.rig.link.OnlineMode; }));
    EXPECT_EQ(s.shell.onlineStatusUpdates, 1);
    ASSERT_TRUE(RunEventsUntil([&] { return s.text(0) == "60"; }));
    s.shell.rig.board.clearTrace();
    ASSERT_TRUE(s.waitPasses(5));
    EXPECT_EQ(s.shell.onlineStatusUpdates, 1) << "once per failure, not on every idle pass";
    for (const auto& title : s.shell.rig.prompt.titles())
        EXPECT_EQ(title, "WARNING - Communication Error!");
    for (int i = 0; i < kSetupFieldCount; ++i) {
        EXPECT_EQ(s.text(i), QString::number(60 + i));
        EXPECT_FALSE(s.box(i)->isEnabled()) << i;
        EXPECT_FALSE(s.window->field(i)->upDown()->isEnabled()) << i;
    }
    for (QWidget* button : s.testButtons()) EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(s.control("fraBlowoffSetup")->isEnabled());

    s.shell.editing = true;
    ASSERT_TRUE(s.waitPasses(2));
    for (int i = 0; i < kSetupFieldCount; ++i) EXPECT_TRUE(s.box(i)->isEnabled()) << i;
    EXPECT_TRUE(s.control("fraBlowoffSetup")->isEnabled());
    for (QWidget* button : s.testButtons()) EXPECT_FALSE(button->isEnabled());
    s.shell.editing = false;
    ASSERT_TRUE(s.waitPasses(2));
    EXPECT_FALSE(s.box(3)->isEnabled());
    EXPECT_TRUE(s.shell.rig.board.trace().empty());
}

} // namespace
} // namespace quelby::test
