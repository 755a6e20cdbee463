#include "diagnostics/frmR760DF1.h"
#include "tests/views/WindowRig.h"
#include "views/NumericEntryField.h"

#include <QComboBox>
#include <QLabel>

#include <gtest/gtest.h>

#include <algorithm>

namespace quelby::test {
namespace {

const MessageRequest kDriverWarning{"WARNING!!",
                                    {"The DF1 Serial Communications Driver is Not Enabled in "
                                     "the K650."},
                                    MessageButtons::OK,
                                    MessageIcon::Exclamation};

struct Df1Window : WindowRig<frmR760DF1> {
    int statusReads = 0;

    Df1Window() { shell.rig.board.setValue("F152", 1); }
    void open() {
        WindowRig::open();
        QObject::connect(window.get(), &frmR760DF1::statusReadFinished, [this] { ++statusReads; });
    }
    void openOnline() {
        shell.rig.goOnline();
        open();
    }
    QString display(int index) const {
        return control<QLabel>(QString("lblDisplay_%1").arg(index))->text();
    }
    QString field(int index) const { return window->numberField(index)->text(); }
    // Runs the cycle until `count` more status reads have finished.
    void runPasses(int count = 1) {
        const int target = statusReads + count;
        ASSERT_TRUE(RunEventsUntil([&] { return statusReads >= target; }));
    }
    bool wasRead(const char* address) const {
        return std::count(reads.begin(), reads.end(), ByteOf(address)) > 0;
    }
};

TEST(R760DF1Window, onlineEveryStatusShowsItsTextAndTheSetupRowsTheBoardsValues) {
    Df1Window w;
    w.shell.setBoard({{"B4023", 33}, {"B4021", 2}, {"B4022", 15}, {"W4016", 1234}, {"B4014", 1},
                      {"B4026", 40}, {"B4302.6", 1}, {"B4303", 0}, {"W4304", 1233}, {"B4001.0", 1},
                      {"B4050", 5}, {"B4011", 17}});
    w.openOnline();
    EXPECT_EQ(w.window->windowTitle(), "R760DF1");
    w.runPasses(2);
    const QStringList shown{"(33) Unknown Status", "(2) Done", "(15) Unknown Status",
                            "1234", "Write", "40", "Reply", "(00) Success - No Error", "1233"};
    for (int i = 0; i < shown.size(); ++i) EXPECT_EQ(w.display(i), shown[i]) << i;
    EXPECT_EQ(w.window->plcTypeList()->currentText(), "SLC500");
    EXPECT_EQ(w.field(0), "5");
    EXPECT_EQ(w.field(1), "17");
    EXPECT_FALSE(w.wasRead("B4018")) << "B4303 = 0 needs no status code";
    EXPECT_FALSE(w.wasRead("B4019"));
    EXPECT_TRUE(w.wasRead("B4303"));
    for (const char* name : {"fraSetup_0", "fraSetup_1", "fraSetup_2", "lblDescription_0",
                             "lblDisplay_8", "cboSetup", "txtSetup_0", "updSetup_1"})
        EXPECT_TRUE(w.control(name)->isEnabled()) << name;
    EXPECT_EQ(QApplication::focusWidget(), w.control("cmdDefault"));

    // The window's own settings of the list and fields are not edits: nothing is written.
    int writes = 0;
    w.shell.rig.board.setWriteObserver([&](std::uint16_t) { ++writes; });
    w.shell.setBoard({{"B4001.0", 0}, {"B4023", 2}});
    w.runPasses(2);
    EXPECT_EQ(w.window->plcTypeList()->currentText(), "PLC5");
    EXPECT_EQ(w.display(0), "(2) Success");
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(w.shell.data.CurrentData.Value[102], 0) << "the board's value is only shown";
}

TEST(R760DF1Window, theDriverWarningComesOnceEachTimeTheWindowTurnsOnline) {
    Df1Window w;
    w.shell.setBoard({{"F152", 0}, {"B4023", 2}});
    w.openOnline();
    w.runPasses(3);
    EXPECT_EQ(w.shell.rig.prompt.requests(), std::vector<MessageRequest>{kDriverWarning});

    w.shell.rig.link.OnlineMode = false;
    ASSERT_TRUE(RunEventsUntil([&] { return w.display(0) == "-"; }));
    w.shell.rig.link.OnlineMode = true;
    w.runPasses(3);
    EXPECT_EQ(w.shell.rig.prompt.requests(),
              (std::vector<MessageRequest>{kDriverWarning, kDriverWarning}));
    EXPECT_EQ(w.display(0), "(2) Success") << "the window works on after the warning";
}

TEST(R760DF1Window, aReadTheLinkCouldNotConfirmDecidesNeitherTheWarningNorTheStatus) {
    Df1Window w;
    w.shell.rig.goOnline();
    w.shell.rig.board.corruptAnswerAt(0); // the address echo of the first read, F152's
    w.open();
    w.runPasses(2);
    EXPECT_TRUE(w.shell.rig.prompt.requests().empty()) << "the driver is enabled";
    EXPECT_FALSE(w.window->driverCheckPending()) << "asked again and confirmed";

    // B4303 not 0: the link layer status comes from B4018 and B4019.
    w.shell.setBoard({{"B4303", 1}, {"B4018", 240}, {"B4019", 27}});
    w.runPasses(2);
    ASSERT_EQ(w.display(7), "(F0-1B) Another Node is the Program Owner");
    // The read after B4302's is B4303's: its echo comes back wrong on every pass.
    bool spoil = true;
    w.shell.rig.board.setReadObserver([&](std::uint16_t address) {
        if (!spoil || address != 4302) return;
        w.shell.rig.board.corruptAnswerAt(0);
        w.shell.rig.board.setValue("B4303", 0); // from the first spoiled read on
    });
    w.runPasses(3);
    EXPECT_EQ(w.display(7), "(F0-1B) Another Node is the Program Owner");
    spoil = false;
    w.runPasses(2);
    EXPECT_EQ(w.display(7), "(00) Success - No Error");
}

TEST(R760DF1Window, offlineTheSetupRowsShowTheDataSetAndFollowOfflineEditing) {
    Df1Window w;
    auto& values = w.shell.data.CurrentData.Value;
    values[102] = 1;
    values[103] = 7;
    values[104] = 200;
    w.open();
    ASSERT_TRUE(RunEventsUntil([&] { return w.field(1) == "200"; }));
    EXPECT_EQ(w.field(0), "7");
    EXPECT_EQ(w.window->plcTypeList()->currentText(), "SLC500");
    for (int i = 0; i < 9; ++i) EXPECT_EQ(w.display(i), "-") << i;
    for (const char* name : {"fraSetup_0", "fraSetup_2", "lblDescription_3", "lblDescription_9",
                             "lblDisplay_0", "cboSetup", "txtSetup_0", "updSetup_0", "txtSetup_1"})
        EXPECT_FALSE(w.control(name)->isEnabled()) << name;

    w.shell.editing = true; // Edit > Enable Offline Editing with the window open
    ASSERT_TRUE(RunEventsUntil([&] { return w.control("txtSetup_0")->isEnabled(); }));
    for (const char* name : {"fraSetup_2", "lblDescription_9", "lblDescription_11", "cboSetup",
                             "updSetup_0", "txtSetup_1", "updSetup_1"})
        EXPECT_TRUE(w.control(name)->isEnabled()) << name;
    for (const char* name : {"fraSetup_0", "fraSetup_1", "lblDescription_8", "lblDisplay_7"})
        EXPECT_FALSE(w.control(name)->isEnabled()) << name;

    // Edits go to the data set only.
    QComboBox* list = w.window->plcTypeList();
    list->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(w.window->listEditing());
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(values[102], 0);
    RunEvents(20);
    EXPECT_EQ(list->currentText(), "PLC5") << "the refresh leaves an edited list alone";
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_FALSE(w.window->listEditing());
    EXPECT_EQ(QApplication::focusWidget(), w.control("cmdDefault"));
    EXPECT_TRUE(w.shell.rig.board.trace().empty());

    values[102] = 7; // a data set value the list has no entry for
    ASSERT_TRUE(RunEventsUntil([&] { return list->currentIndex() == -1; }));
    EXPECT_EQ(values[102], 7) << "showing it changes nothing";

    w.shell.editing = false;
    ASSERT_TRUE(RunEventsUntil([&] { return !w.control("txtSetup_0")->isEnabled(); }));
    EXPECT_FALSE(w.control("cboSetup")->isEnabled());
}

// The number fields' writes: EntryFieldsTest.
TEST(R760DF1Window, theListWritesTheBoardOnlineButNotBeforeTheWindowSetIt) {
    Df1Window w;
    w.openOnline();
    w.runPasses();
    QComboBox* list = w.window->plcTypeList();
    list->setFocus(Qt::TabFocusReason);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(w.shell.rig.board.value("B4001.0"), 1u);
    EXPECT_EQ(w.shell.data.CurrentData.Value[102], 1);

    // Before the window has set the list once in this state a change stores nothing.
    frmR760DF1 fresh(w.shell, w.shell.rig.prompt);
    EXPECT_FALSE(fresh.listReady());
    fresh.cboSetup_Click(0);
    EXPECT_EQ(w.shell.data.CurrentData.Value[102], 1);
    EXPECT_EQ(w.shell.rig.board.value("B4001.0"), 1u);
}

// A link failure turning the window offline: SetupWindow.aLinkFailureInARefresh...; the
// offline look: offlineTheSetupRows... here.
TEST(R760DF1Window, aDriverFlagThatCouldNotBeReadIsNoDisabledDriver) {
    Df1Window w;
    w.shell.rig.goOnline();
    w.shell.rig.board.setSilent(true);
    w.open();
    ASSERT_TRUE(
        RunEventsUntil([&] { return !w.shell.rig.link.OnlineMode && w.display(0) == "-"; }));
    const auto titles = w.shell.rig.prompt.titles();
    EXPECT_FALSE(titles.empty()) << "the link reports its failure";
    EXPECT_EQ(std::count(titles.begin(), titles.end(), "WARNING!!"), 0);
}

} // namespace
} // namespace quelby::test
