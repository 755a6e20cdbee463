#include "tests/shell/ShellRig.h"
#include "tests/views/WindowRig.h"
#include "views/EntryTextBox.h"
#include "views/NumericEntryField.h"
#include "views/frmMain.h"
#include "views/frmSetup.h"

#include <QMenuBar>

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
    ASSERT_TRUE(rig.showActive());
    rig.item("mnuViewOnline")->trigger();
    ExpectShown(rig, true);
    const long probed = rig.port.bytesSent();
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
    for (bool online : {true, false}) {
        QTest::mouseClick(rig.window.statusPanels().panel(2), Qt::LeftButton);
        ExpectShown(rig, online);
    }
    EXPECT_TRUE(rig.prompt.requests().empty());
}

// With the Main Display's refresh cycle running, as in the program: the cycle turns every
// link failure into an online status update, even when the link went offline by itself. (A
// missing port fails the same way here; each failure's message: RSCommFailure.)
TEST(OnlineState, ASilentBoardOrRefusedPLCModeEndOfflineAndThePortClosesAtTheNextPass) {
    ShellRig rig(false);
    rig.window.show();
    rig.board.setSilent(true);
    for (bool byMenu : {true, false}) {
        rig.prompt.clear();
        rig.item("mnuViewOnline")->trigger(); // Cancel on "Cannot Communicate with Target Board."
        ExpectShown(rig, false, false);
        EXPECT_TRUE(rig.window.link().CommError);
        EXPECT_EQ(rig.prompt.titles(),
                  (std::vector<std::string>{"WARNING - Communication Error!"}));
        EXPECT_TRUE(rig.port.isOpen()) << "the probe leaves the port to the next update";
        if (byMenu) rig.item("mnuViewOffline")->trigger(); // which closes it too
        EXPECT_TRUE(QTest::qWaitFor([&] { return !rig.port.isOpen(); }, 5000))
            << "the port stayed open and locked";
        ExpectShown(rig, false);
    }
    rig.window.backgroundUpdate();
    EXPECT_EQ(rig.panel(1), "System Message:  Comm Fault with K650");
    EXPECT_EQ(rig.window.systemMessage(), "Set-up Program is Currently OFFLINE");

    // "Cannot Set PLC Mode Within Target Board." cancelled: offline in the panel and the menus.
    rig.board.setSilent(false);
    rig.prompt.clear();
    rig.window.goOnline();
    ExpectShown(rig, true);
    rig.port.setEmulateLineSpeed(true); // lets the clock move while the handshake loops
    rig.board.setRefuseModes(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.panel(2) == "OFFLINE"; }, 5000));
    ExpectShown(rig, false);
}

TEST(OnlinePrompt, NoAbandonsYesGoesOnlineAndOnlineAsksNothing) {
    ShellRig rig;
    EXPECT_FALSE(rig.window.ConfirmOnline());
    ExpectShown(rig, false);
    EXPECT_EQ(rig.prompt.requests(),
              (std::vector<MessageRequest>{{"Program Offline",
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
    // An empty answer and Cancel write nothing: neither changes the board nor is logged.
    for (const auto& answer : {std::optional<std::string>(""), std::optional<std::string>()}) {
        rig.prompt.answerNextInput(answer);
        rig.window.SetupPasscode();
    }
    EXPECT_EQ(rig.board.value("W1070"), 1234u);

    rig.prompt.answerNextInput("4321");
    rig.item("mnuEditPasscode")->trigger();
    const InputRequest& asked = rig.prompt.inputRequests().back();
    EXPECT_EQ(asked.title, "Keypad Set-up Passcode");
    EXPECT_EQ(asked.prompt, "Please Enter New Passcode (0-65535)");
    EXPECT_EQ(asked.defaultText, "1234");
    EXPECT_EQ(rig.board.value("W1070"), 4321u);
    EXPECT_EQ(rig.logged(),
              std::vector<std::string>{"Set-up Passcode; Set-up Passcode; W1070; "
                                       "(concealed) -> (concealed); 1 of 1 confirmed"})
        << "answers that wrote nothing are not changes";

    rig.window.link().CommError = true;
    rig.board.clearTrace();
    rig.prompt.answerNextInput("77");
    rig.window.SetupPasscode();
    EXPECT_EQ(rig.prompt.inputRequests().back().defaultText, "");
    EXPECT_TRUE(rig.board.trace().empty()) << "a failed link is neither read nor written";
}

// A push-and-hold command of the Shift Data window held while the program goes offline: its
// bit is back at 0 before the port closes. (Switching windows unloads it, which the Shift Data
// window's own tests cover.)
TEST(OnlineState, GoingOfflineEndsAHeldShiftDataCommandOnTheBoard) {
    ShellRig rig(false);
    rig.window.show();
    rig.item("mnuViewOnline")->trigger();
    rig.window.ShowChildWindow(4);
    ASSERT_EQ(rig.window.currentChild()->objectName(), "frmData");
    QTest::mousePress(rig.window.currentChild()->findChild<QWidget*>("cmdResetTrips"),
                      Qt::LeftButton);
    EXPECT_EQ(rig.board.value("B1016.0"), 1u);
    rig.item("mnuViewOffline")->trigger();
    EXPECT_EQ(rig.board.value("B1016.0"), 0u);
    EXPECT_TRUE(rig.prompt.requests().empty());
    // The press and its release are one change; nothing was confirmed at the address before.
    EXPECT_EQ(
        rig.logged(),
        (std::vector<std::string>{
            "Shift Data window; Reset Trips; B1016.0; unknown -> 1, then 0; 2 of 2 confirmed"}));
}

// The status bar says what the state means for the values shown: the data set's greyed
// fields while offline editing is off, a file loaded while the windows show the board, and a
// link that failed (unlike one the user left).
TEST(OnlineState,
     OfflineEditingAndTheStatusBarExplainingGreyedFieldsAFileOpenedOnlineAndALostLink) {
    ShellRig rig;
    const auto hint = [&] { return rig.window.statusPanels().hint()->text(); };
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
    rig.withFile("mnuFileSaveAs", file);
    rig.withFile("mnuFileOpen", file);
    const QString loaded =
        "LINE7.sdt is loaded; the online windows show the board (F4 shows the file)";
    EXPECT_EQ(rig.notice(), loaded);
    rig.window.goOffline();
    EXPECT_EQ(rig.notice(), loaded) << "going offline by choice loses nothing";
    rig.window.goOnline();
    rig.board.setSilent(true);
    rig.window.link().RSRead("W182"); // "Cannot Communicate with Target Board." answered Cancel
    ASSERT_TRUE(rig.window.link().CommError);
    rig.window.link().OnlineMode = false; // as a window's cycle does on a failure
    rig.window.updateOnlineStatus();
    EXPECT_EQ(rig.notice(), "Link to the K650 lost 08:00: the values shown are no longer live");
}

// A field's write is one event: the value the board last confirmed (read or written), the
// value asked for and the board's verdict.
TEST(ServiceLog, AFieldsConfirmedAndUnconfirmedWritesAreLoggedWithTheValueBefore) {
    ShellRig rig(false);
    rig.board.setValue("B1017", 2);
    ASSERT_TRUE(rig.showActive());
    rig.window.goOnline();
    rig.window.ShowChildWindow(1);
    NumericEntryField* shifts = qobject_cast<frmSetup*>(rig.window.currentChild())->field(4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shifts->text() == "2"; }, 5000));
    const auto enter = [&](const char* text) {
        ReplaceText(shifts->textBox(), text);
        QTest::keyClick(shifts->textBox(), Qt::Key_Return);
    };
    enter("3");
    rig.board.setWriteObserver([&](std::uint16_t) { rig.board.corruptAnswerAt(-1); });
    enter("4");
    rig.board.setWriteObserver({});

    const std::string field = "Set-Up window; Number of Shifts to Varnish Unit; B1017; ";
    EXPECT_EQ(rig.logged(), (std::vector<std::string>{field + "2 -> 3; 1 of 1 confirmed",
                                                      field + "3 -> 4; 0 of 1"}));

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

// Each way to a command, with the Main Display's spindle field holding a number it refuses:
// the field's message once, the focus kept in the field, no menu opened, nothing switched.
TEST(CommandGuard, MenuShortcutsMenusAndTheModePanelWaitForTheCheckOfTheFieldBeingEdited) {
    ShellRig rig(false);
    ASSERT_TRUE(rig.showActive());
    rig.window.goOnline();
    EntryTextBox* box =
        qobject_cast<frmMain*>(rig.window.currentChild())->spindleField()->textBox();
    // The online preparation fills the field and puts the focus on a button.
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->text() != "-"; }, 5000));
    const auto type = [&](const char* text) {
        rig.prompt.clear();
        ReplaceText(box, text);
    };
    QMenuBar* bar = rig.window.menuBar();
    const struct {
        const char* typed;
        const char* way;
        std::function<void()> command;
    } ways[] = {
        {"abc", "F4", [&] { QTest::keyClick(box, Qt::Key_F4); }},
        {"25", "menu bar",
         [&] {
             QTest::mousePress(bar, Qt::LeftButton, {},
                               bar->actionGeometry(rig.item("mnuFile")).center());
         }},
        {"0", "Alt+F", [&] { QTest::keyClick(box, Qt::Key_F, Qt::AltModifier); }},
        // As an item chosen in an open menu.
        {"-1", "Enable Offline Editing", [&] { rig.item("mnuEditOfflineEditing")->trigger(); }},
        {"", "MODE panel",
         [&] { QTest::mouseClick(rig.window.statusPanels().panel(2), Qt::LeftButton); }},
    };
    for (const auto& w : ways) {
        type(w.typed);
        w.command();
        EXPECT_EQ(rig.prompt.titles(), std::vector<std::string>{"Q.C. Blow-off"}) << w.way;
        EXPECT_EQ(QApplication::focusWidget(), box) << w.way;
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << w.way;
        EXPECT_FALSE(rig.item("mnuEditOfflineEditing")->isChecked()) << w.way;
        EXPECT_FALSE(rig.window.offlineEditing()) << w.way;
        ExpectShown(rig, true);
    }
    // A number in range passes its check and the command acts.
    type("12");
    QTest::keyClick(box, Qt::Key_F4);
    EXPECT_TRUE(rig.prompt.requests().empty());
    ExpectShown(rig, false);
}

} // namespace
} // namespace quelby::test
