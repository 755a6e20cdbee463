#include "app/shell/ShellMessages.h"
#include "tests/shell/ShellRig.h"
#include "views/EntryTextBox.h"
#include "views/NumericEntryField.h"
#include "views/frmMain.h"
#include "views/frmSetup.h"

#include <QApplication>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

namespace quelby::test {
namespace {

// The online state and what the display shows of it; after a switch that worked the port
// follows the state.
void ExpectShown(ShellRig& rig, bool online, bool portFollows = true) {
    EXPECT_EQ(rig.window.link().OnlineMode, online);
    EXPECT_EQ(rig.panel(2), online ? "ONLINE" : "OFFLINE");
    EXPECT_EQ(rig.item("mnuViewOnline")->isChecked(), online);
    EXPECT_EQ(rig.item("mnuViewOffline")->isChecked(), !online);
    EXPECT_EQ(rig.window.menus().passcodeEnabled(), online);
    EXPECT_TRUE(!portFollows || rig.port.isOpen() == online);
}

TEST(OnlineState, MenuItemsF3F4AndTheModePanelSwitchButOtherPanelsDoNothing) {
    ShellRig rig;
    rig.window.show();
    rig.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&rig.window));
    rig.item("mnuViewOnline")->trigger();
    ExpectShown(rig, true);
    long probed = rig.port.bytesSent();
    EXPECT_GT(probed, 0); // the link probed the board
    rig.item("mnuViewOnline")->trigger();
    EXPECT_GT(rig.port.bytesSent(), probed) << "online while online opens the port again";
    ExpectShown(rig, true);
    rig.item("mnuViewOffline")->trigger();
    ExpectShown(rig, false);

    QTest::keyClick(&rig.window, Qt::Key_F3);
    ExpectShown(rig, true);
    QTest::keyClick(&rig.window, Qt::Key_F4);
    ExpectShown(rig, false);
    for (int index : {1, 3, 4})
        QTest::mouseClick(rig.window.statusPanels().panel(index), Qt::LeftButton);
    ExpectShown(rig, false);
    QLabel* mode = rig.window.statusPanels().panel(2);
    QTest::mouseClick(mode, Qt::LeftButton);
    ExpectShown(rig, true);
    QTest::mouseClick(mode, Qt::LeftButton);
    ExpectShown(rig, false);
    EXPECT_TRUE(rig.prompt.requests().empty());
}

TEST(OnlineState, ASilentBoardEndsOfflineWithCommFaultAMissingPortWithThePortError) {
    ShellRig rig;
    rig.board.setSilent(true);
    rig.item("mnuViewOnline")->trigger();
    // The failed probe leaves the port to the next update: going offline closes it.
    ExpectShown(rig, false, false);
    EXPECT_TRUE(rig.window.link().CommError);
    EXPECT_EQ(rig.prompt.titles(), (std::vector<std::string>{"WARNING - Communication Error!"}));

    rig.window.backgroundUpdate();
    EXPECT_EQ(rig.panel(1), "System Message:  Comm Fault with K650");
    EXPECT_EQ(rig.window.systemMessage(), "Set-up Program is Currently OFFLINE");

    rig.item("mnuViewOffline")->trigger();
    ExpectShown(rig, false);

    rig.prompt.clear();
    rig.port.setMissing(true);
    rig.window.goOnline();
    ExpectShown(rig, false);
    EXPECT_EQ(rig.prompt.titles(), (std::vector<std::string>{"Comm Port Error"}));
}

// With the Main Display's refresh cycle running, as in the program: the cycle turns every
// link failure into an online status update, even when the link went offline by itself.
TEST(OnlineState, AGoOnlineGivenUpAtTheProbeClosesThePortAtTheNextPassAsDoesARefusedPLCMode) {
    ShellRig rig(false);
    rig.window.show();
    rig.board.setSilent(true);
    rig.window.goOnline(); // Cancel on "Cannot Communicate with Target Board."
    EXPECT_TRUE(rig.window.link().CommError);
    EXPECT_TRUE(rig.port.isOpen()) << "the probe leaves the port to the next update";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !rig.port.isOpen(); }, 5000))
        << "the port stayed open and locked";
    ExpectShown(rig, false);

    // "Cannot Set PLC Mode Within Target Board." cancelled: offline in the panel and the menus.
    rig.board.setSilent(false);
    rig.prompt.clear();
    rig.window.goOnline();
    ExpectShown(rig, true);
    rig.port.setEmulateLineSpeed(true); // lets the clock move while the handshake loops
    rig.board.setRefuseModes(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.panel(2) == "OFFLINE"; }, 5000));
    ExpectShown(rig, false);
    ASSERT_FALSE(rig.prompt.requests().empty());
    EXPECT_EQ(rig.prompt.requests()[0].text(), "Cannot Set PLC Mode Within Target Board.");
}

TEST(OnlinePrompt, NoAbandonsYesGoesOnlineAndOnlineAsksNothing) {
    ShellRig rig;
    EXPECT_FALSE(rig.window.ConfirmOnline());
    ExpectShown(rig, false);
    EXPECT_EQ(rig.prompt.requests(),
              (std::vector<MessageRequest>{
                  {"Program Offline",
                   {"Program is Currently OFFLINE", "",
                    "Do You Wish to Switch to ONLINE MODE to Continue?"},
                   MessageButtons::YesNo,
                   MessageIcon::Question}}));
    rig.prompt.answerNext(MessageAnswer::Yes);
    EXPECT_TRUE(rig.window.ConfirmOnline());
    ExpectShown(rig, true);
    rig.prompt.clear();
    EXPECT_TRUE(rig.window.ConfirmOnline());
    EXPECT_TRUE(rig.prompt.requests().empty());
}

TEST(SetupPasscode, OffersTheBoardsPasscodeAndWritesTheAnswerButNotAnEmptyOrCancelledOne) {
    ShellRig rig;
    rig.window.goOnline();
    rig.board.setValue("W1070", 1234);
    for (std::optional<std::string> answer :
         {std::optional<std::string>(""), std::optional<std::string>()}) {
        rig.prompt.answerNextInput(answer);
        rig.board.clearTrace();
        rig.window.SetupPasscode();
        for (const sim::TraceEntry& entry : rig.board.trace())
            EXPECT_NE(entry.received, 0x02) << "write mode entered";
    }
    EXPECT_EQ(rig.board.value("W1070"), 1234u);

    rig.prompt.answerNextInput("4321");
    rig.item("mnuEditPasscode")->trigger();
    const InputRequest& asked = rig.prompt.inputRequests().back();
    EXPECT_EQ(asked.title, "Keypad Set-up Passcode");
    EXPECT_EQ(asked.prompt, "Please Enter New Passcode (0-65535)");
    EXPECT_EQ(asked.defaultText, "1234");
    EXPECT_EQ(rig.board.value("W1070"), 4321u);
    const std::vector<ServiceEvent> logged = rig.loggedEvents();
    ASSERT_EQ(logged.size(), 1u) << "answers that wrote nothing are not changes";
    EXPECT_EQ(logged[0].item, "Set-up Passcode");
    EXPECT_EQ(logged[0].before + logged[0].asked, "(concealed)(concealed)");
    EXPECT_TRUE(logged[0].confirmed);

    rig.window.link().CommError = true;
    rig.board.clearTrace();
    rig.prompt.answerNextInput("77");
    rig.window.SetupPasscode();
    EXPECT_EQ(rig.prompt.inputRequests().back().defaultText, "");
    EXPECT_TRUE(rig.board.trace().empty()) << "a failed link is neither read nor written";
}

// A push-and-hold command of the Shift Data window held while the program goes offline or the
// user switches windows from the keyboard: its bit is back at 0 before the port closes.
TEST(OnlineState, GoingOfflineOrSwitchingWindowsEndsAHeldShiftDataCommandOnTheBoard) {
    ShellRig rig(false);
    rig.window.show();
    rig.item("mnuViewOnline")->trigger();
    rig.window.ShowChildWindow(4);
    QWidget* child = rig.window.currentChild();
    ASSERT_NE(child, nullptr);
    ASSERT_EQ(child->objectName(), "frmData");
    auto* resetTrips = child->findChild<QWidget*>("cmdResetTrips");
    QTest::mousePress(resetTrips, Qt::LeftButton);
    EXPECT_EQ(rig.board.value("B1016.0"), 1u);
    rig.item("mnuViewOffline")->trigger();
    EXPECT_EQ(rig.board.value("B1016.0"), 0u);
    ExpectShown(rig, false);

    rig.item("mnuViewOnline")->trigger();
    rig.window.ShowChildWindow(4);
    QTest::mousePress(rig.window.currentChild()->findChild<QWidget*>("cmdResetTrips"),
                      Qt::LeftButton);
    EXPECT_EQ(rig.board.value("B1016.0"), 1u);
    rig.window.ShowChildWindow(1);
    EXPECT_EQ(rig.board.value("B1016.0"), 0u);
    EXPECT_EQ(rig.window.currentChild()->objectName(), "frmSetup");
    rig.item("mnuViewOffline")->trigger();
    EXPECT_TRUE(rig.prompt.requests().empty());
    // Each press and its release are one change.
    const std::vector<ServiceEvent> logged = rig.loggedEvents();
    ASSERT_EQ(logged.size(), 2u);
    for (const ServiceEvent& event : logged) {
        EXPECT_EQ(event.source, "Shift Data window");
        EXPECT_EQ(event.item, "Reset Trips");
        EXPECT_EQ(event.address, "B1016.0");
        EXPECT_EQ(event.asked, "1, then 0");
        EXPECT_EQ(event.confirmedCount, 2);
        EXPECT_TRUE(event.confirmed);
    }
}

// The status bar says what the state means for the values shown: the data set's greyed
// fields while offline editing is off, a file loaded while the windows show the board, and a
// link that failed (unlike one the user left).
TEST(OnlineState, OfflineEditingAndTheStatusBarExplainingGreyedFieldsAFileOpenedOnlineAndALostLink) {
    ShellRig rig;
    const auto hint = [&] { return rig.window.statusPanels().hint()->text(); };
    const auto notice = [&] { return rig.window.statusPanels().notice()->text(); };
    const QString greyed = "Offline: Edit > Enable Offline Editing (F2) allows edits";
    EXPECT_EQ(hint(), "") << "the Main Display edits nothing";
    rig.window.ShowChildWindow(1);
    EXPECT_EQ(hint(), greyed);
    QAction* offlineEditing = rig.item("mnuEditOfflineEditing");
    offlineEditing->trigger();
    EXPECT_EQ(hint(), "");
    EXPECT_TRUE(offlineEditing->isChecked() && rig.window.offlineEditing());
    EXPECT_FALSE(rig.window.link().OnlineMode);
    offlineEditing->trigger();
    EXPECT_EQ(hint(), greyed);
    EXPECT_FALSE(offlineEditing->isChecked() || rig.window.offlineEditing());
    rig.window.goOnline();
    EXPECT_EQ(hint(), "");

    const auto file = rig.home.path() / "LINE7.sdt";
    rig.dialogs.answerNext(file);
    rig.item("mnuFileSaveAs")->trigger();
    rig.dialogs.answerNext(file);
    rig.item("mnuFileOpen")->trigger();
    EXPECT_EQ(notice(), "LINE7.sdt is loaded; the online windows show the board (F4 shows the file)");

    rig.window.goOffline();
    EXPECT_EQ(notice(), "LINE7.sdt is loaded; the online windows show the board (F4 shows the file)")
        << "going offline by choice loses nothing";
    rig.window.goOnline();
    rig.board.setSilent(true);
    rig.window.link().RSRead("W182"); // "Cannot Communicate with Target Board." answered Cancel
    ASSERT_TRUE(rig.window.link().CommError);
    rig.window.link().OnlineMode = false; // as a window's cycle does on a failure
    rig.window.updateOnlineStatus();
    EXPECT_EQ(notice(), "Link to the K650 lost 08:00: the values shown are no longer live");
}

// The shell with the Main Display online, its spindle field ready for typing.
struct EditingShell : ShellRig {
    EditingShell() : ShellRig(false) {
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        window.goOnline();
        // The online preparation fills the field and puts the focus on a button.
        EXPECT_TRUE(QTest::qWaitFor([&] { return spindle()->text() != "-"; }, 5000));
    }
    NumericEntryField* spindle() const {
        return qobject_cast<frmMain*>(window.currentChild())->spindleField();
    }
    void type(const char* text) {
        prompt.clear();
        EntryTextBox* box = spindle()->textBox();
        box->setFocus(Qt::MouseFocusReason);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }
    // The command was refused: the field's message once, the focus kept in the field.
    void expectRefused(const char* command) {
        EXPECT_EQ(prompt.titles(), std::vector<std::string>{"Q.C. Blow-off"}) << command;
        EXPECT_EQ(QApplication::focusWidget(), spindle()->textBox()) << command;
        EXPECT_TRUE(window.link().OnlineMode) << command;
        EXPECT_TRUE(port.isOpen()) << command;
    }
};

// A field's write is one event: the value the board last confirmed (read or written), the
// value asked for and the board's verdict.
TEST(ServiceLog, AFieldsConfirmedAndUnconfirmedWritesAreLoggedWithTheValueBefore) {
    ShellRig rig(false);
    rig.board.setValue("B1017", 2);
    rig.window.show();
    QApplication::setActiveWindow(&rig.window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&rig.window));
    rig.window.goOnline();
    rig.window.ShowChildWindow(1);
    NumericEntryField* shifts = qobject_cast<frmSetup*>(rig.window.currentChild())->field(4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shifts->text() == "2"; }, 5000));
    const auto enter = [&](const char* text) {
        shifts->textBox()->setFocus(Qt::MouseFocusReason);
        shifts->textBox()->selectAll();
        QTest::keyClicks(shifts->textBox(), text);
        QTest::keyClick(shifts->textBox(), Qt::Key_Return);
    };
    enter("3");
    rig.board.setWriteObserver([&](std::uint16_t) { rig.board.corruptAnswerAt(-1); });
    enter("4");
    rig.board.setWriteObserver({});

    const std::vector<ServiceEvent> logged = rig.loggedEvents();
    ASSERT_EQ(logged.size(), 2u);
    const struct {
        std::string before, asked;
        bool confirmed;
    } expected[] = {{"2", "3", true}, {"3", "4", false}};
    for (std::size_t i = 0; i < logged.size(); ++i) {
        EXPECT_EQ(logged[i].source, "Set-Up window") << i;
        EXPECT_EQ(logged[i].address, "B1017") << i;
        EXPECT_EQ(logged[i].item, "Number of Shifts to Varnish Unit") << i;
        EXPECT_EQ(logged[i].before, expected[i].before) << i;
        EXPECT_EQ(logged[i].asked, expected[i].asked) << i;
        EXPECT_EQ(logged[i].confirmed, expected[i].confirmed) << i;
    }

    // A log that cannot be written is said once; the board is written all the same.
    std::filesystem::remove(ServiceLogFile(rig.home.path()));
    std::filesystem::create_directories(ServiceLogFile(rig.home.path()));
    rig.prompt.clear();
    enter("5");
    enter("6");
    QTest::qWait(50);
    EXPECT_EQ(rig.prompt.titles(), std::vector<std::string>{"Service Log"});
    EXPECT_EQ(rig.board.value("B1017"), 6u);
}

TEST(CommandGuard, MenuShortcutsMenusAndTheModePanelWaitForTheCheckOfTheFieldBeingEdited) {
    EditingShell rig;
    rig.type("abc");
    QTest::keyClick(rig.spindle()->textBox(), Qt::Key_F4); // O&ffline Data
    rig.expectRefused("F4");

    rig.type("25");
    QMenuBar* bar = rig.window.menuBar();
    QAction* file = rig.item("mnuFile");
    QTest::mousePress(bar, Qt::LeftButton, {}, bar->actionGeometry(file).center());
    rig.expectRefused("menu bar");
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "the menu did not open";

    rig.type("0");
    QTest::keyClick(rig.spindle()->textBox(), Qt::Key_F, Qt::AltModifier); // &File
    rig.expectRefused("Alt+F");
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    rig.type("-1");
    QAction* offlineEditing = rig.item("mnuEditOfflineEditing");
    offlineEditing->trigger(); // as an item chosen in an open menu
    rig.expectRefused("Enable Offline Editing");
    EXPECT_FALSE(offlineEditing->isChecked()) << "the item keeps its mark";
    EXPECT_FALSE(rig.window.offlineEditing());

    rig.type("");
    QTest::mouseClick(rig.window.statusPanels().panel(2), Qt::LeftButton);
    rig.expectRefused("MODE panel");
    EXPECT_EQ(rig.panel(2), "ONLINE");

    // A number in range passes its check and the command acts.
    rig.type("12");
    QTest::keyClick(rig.spindle()->textBox(), Qt::Key_F4);
    EXPECT_TRUE(rig.prompt.requests().empty());
    EXPECT_FALSE(rig.window.link().OnlineMode);
    EXPECT_EQ(rig.panel(2), "OFFLINE");
}

} // namespace
} // namespace quelby::test
