#include "tests/shell/ShellRig.h"
#include "views/EntryTextBox.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

namespace quelby::test {
namespace {

// The Main Display is maximised without a frame: no minimise, restore and close buttons moved
// into the menu bar, the child fills the window area and Ctrl+F4 closes nothing.
TEST(Startup, EndsUnnamedOfflineWithTheMainDisplayMaximisedFramelessAndPanelsThatFollowTheClock) {
    ShellRig rig(false);
    EXPECT_EQ(rig.window.windowTitle(), "QUELBY - [unnamed][*]");
    EXPECT_TRUE(rig.item("mnuWindowForm")->isChecked());
    EXPECT_FALSE(rig.window.link().OnlineMode);
    EXPECT_EQ(rig.port.bytesSent(), 0);
    // Nothing changed yet, so File New asked nothing.
    EXPECT_TRUE(rig.prompt.requests().empty());
    QWidget* child = rig.window.currentChild();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->objectName(), "frmMain");
    EXPECT_EQ(rig.panel(1), "System Message:");
    EXPECT_EQ(rig.panel(2), "OFFLINE");
    // 2026-01-05 08:00 on the rig's clock.
    EXPECT_EQ(rig.panel(3), QLocale().toString(QDate(2026, 1, 5), QLocale::ShortFormat));
    EXPECT_EQ(rig.panel(4), QLocale().toString(QTime(8, 0), QLocale::ShortFormat));

    EXPECT_FALSE(rig.window.backgroundTimer().isActive()) << "ticks only once shown";
    rig.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.window));
    EXPECT_TRUE(rig.window.backgroundTimer().isActive());
    auto* sub = qobject_cast<QMdiSubWindow*>(child->parentWidget());
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->isMaximized());
    EXPECT_TRUE(sub->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(sub->systemMenu(), nullptr);
    QWidget* corner = rig.window.menuBar()->cornerWidget(Qt::TopRightCorner);
    EXPECT_TRUE(corner == nullptr || !corner->isVisible());
    EXPECT_EQ(child->size(), sub->contentsRect().size());
    EXPECT_EQ(sub->geometry(), sub->mdiArea()->viewport()->rect());
    QTest::keyClick(child, Qt::Key_F4, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.window.currentChild(), child);

    rig.clock.setDate({2026, 3, 9, 17, 45, 10, 2});
    rig.window.statusPanels().refreshDateTime();
    EXPECT_EQ(rig.panel(3), QLocale().toString(QDate(2026, 3, 9), QLocale::ShortFormat));
    EXPECT_EQ(rig.panel(4), QLocale().toString(QTime(17, 45, 10), QLocale::ShortFormat));
}

TEST(ShowChildWindow, SwitchingUnloadsBeforeLoadingComingBackReloadsAndTheWindowShownStays) {
    ShellRig rig;
    QPointer<QWidget> first = rig.window.currentChild();
    rig.window.ShowChildWindow(3);
    EXPECT_EQ(rig.window.currentWindow(), 3);
    EXPECT_EQ(rig.window.currentChild()->objectName(), "window3");
    const QList<QAction*> items = rig.window.findChildren<QAction*>("mnuWindowForm");
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(items[i]->isChecked(), i == 3) << i;
    rig.window.ShowChildWindow(0);
    EXPECT_TRUE(first.isNull());
    items[0]->trigger(); // the menu flips the check mark of the window shown; the shell keeps it
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_EQ(rig.window.currentWindow(), 0);
    EXPECT_EQ(rig.windowLog,
              (std::vector<std::string>{"load window0", "unload window0", "load window3",
                                        "unload window3", "load window0"}));
    EXPECT_EQ(rig.window.findChildren<QMdiSubWindow*>().size(), 1);
}

// Opening a window never enters one of its fields: leaving a field checks it and writes a
// passing value, so a field entered by the opening would write what it showed before the
// board was read, or refuse a "-" nobody typed.
TEST(ShowChildWindow, EveryWindowOpensOnlineWithoutEnteringAFieldOrWritingAnything) {
    ShellRig rig(false);
    ASSERT_TRUE(rig.showActive());
    rig.board.setValue("F152", 1); // the DF1 driver is enabled: its window has nothing to say
    rig.window.goOnline();
    int writes = 0;
    rig.board.setWriteObserver([&](std::uint16_t) { ++writes; });
    for (int index : {1, 2, 3, 4, 5, 0}) {
        SCOPED_TRACE(index);
        rig.window.ShowChildWindow(index);
        QTest::qWait(300); // the online preparation and a few passes
        EXPECT_EQ(qobject_cast<EntryTextBox*>(QApplication::focusWidget()), nullptr)
            << QApplication::focusWidget()->objectName().toStdString();
        EXPECT_TRUE(rig.prompt.requests().empty()) << rig.prompt.requests().front().text();
        EXPECT_EQ(writes, 0);
        rig.prompt.clear();
    }
}

using Items = std::vector<std::string>;

// Every menu in order as this build offers it: each item's caption and shortcut, "-" for a
// separator, and the items hidden or disabled (commands not built yet, the passcode).
TEST(MainMenus, EveryMenuHasItsItemsInOrderWithTheirShortcutsAndStates) {
    ShellRig rig(false);
    const auto items = [&](const char* menu) {
        QWidget* owner =
            menu ? static_cast<QWidget*>(rig.window.findChild<QMenu*>(menu)) : rig.window.menuBar();
        Items texts;
        for (QAction* item : owner->actions()) {
            QString text = item->isSeparator() ? "-" : item->text();
            if (!item->shortcut().isEmpty()) text += " " + item->shortcut().toString();
            if (!item->isVisible()) text += " (hidden)";
            if (!item->isSeparator() && !item->isEnabled()) text += " (disabled)";
            texts.push_back(text.toStdString());
        }
        return texts;
    };
    EXPECT_EQ(items(nullptr), (Items{"&File", "&Edit", "&View", "&Window", "&Help"}));
    EXPECT_EQ(
        items("mnuFile"),
        (Items{"&New... Ctrl+N", "&Open... Ctrl+O", "&Save Ctrl+S", "Save &As...", "-",
               "Export Shift Data... Ctrl+X", "Compare with &Board...", "&Record Live Values...",
               "-", "&Upload (save) Data", "Download &Program", "&Download Data", "-",
               "&Print Report... Ctrl+P", "Print Set&up... (hidden) (disabled)", "-", "E&xit"}));
    Items edit{"Enable &Offline Editing F2", "-", "Co&mm Port Ctrl+M", "- (hidden)",
               "Set-up Passcode (hidden) (disabled)"};
#ifdef QUELBY_PUBLISH
    edit.insert(edit.begin() + 3, "&Publish Live Values...");
#endif
    EXPECT_EQ(items("mnuEdit"), edit);
    EXPECT_EQ(items("mnuView"), (Items{"&Target Board Interface", "Service &Log...", "-",
                                       "O&nline Data F3", "O&ffline Data F4"}));
    for (const char* name : {"mnuFileUpload", "mnuFileDownload"})
        EXPECT_EQ(items(name),
                  (Items{"Set-up &Parameters", "Timing &Channels", "Shift &Data", "-", "&All"}))
            << name;
    EXPECT_EQ(items("mnuWindow"),
              (Items{"&1 Main Display", "&2 Set-up Parameters", "&3 Serial Communications",
                     "&4 Machine Timing", "&5 Shift Data", "&6 I/O States"}));
    EXPECT_EQ(items("mnuHelp"),
              (Items{"&Help Topics Ctrl+H", "Link &Trace...", "-", "&About QUELBY"}));
}

TEST(StatusPoll, PanelAndSystemMessageFollowTheStateAndTheFaultCode) {
    const struct {
        bool online;
        std::uint32_t fault;
        const char* panel;
        const char* message;
    } cases[] = {
        {false, 0, "System Message:  Program is Currently OFFLINE",
         "Set-up Program is Currently OFFLINE"},
        {true, 0, "System Message: All Faults Normal",
         "-- System Normal --\r\nSet-up Program is Currently ONLINE"},
        {true, 42, "System Message: Fault Interlock Open",
         "***** SYSTEM ALARM *****\r\nFault Interlock Open\r\n\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.panel);
        ShellRig rig;
        if (c.online) rig.window.goOnline();
        rig.board.setValue("B8176", c.fault);
        rig.window.backgroundUpdate();
        EXPECT_EQ(rig.panel(1), c.panel);
        EXPECT_EQ(rig.window.systemMessage(), c.message);
        EXPECT_EQ(rig.port.bytesSent() == 0, !c.online);
    }
}

TEST(StatusPoll, SkipsItsTurnWhileALinkMessageIsOpenAndAFailedRequestKeepsBothTexts) {
    ShellRig rig;
    rig.board.setSilent(true);
    long sentDuringMessage = -1;
    rig.prompt.onAsk([&](const MessageRequest&) {
        const long before = rig.port.bytesSent();
        rig.window.backgroundUpdate();
        sentDuringMessage = rig.port.bytesSent() - before;
    });
    rig.window.goOnline(); // the probe times out and the link asks Retry/Cancel
    EXPECT_EQ(sentDuringMessage, 0);
    EXPECT_EQ(rig.panel(1), "System Message:");

    // A failed fault request keeps both texts.
    rig.prompt.onAsk({});
    rig.board.setSilent(false);
    rig.window.goOnline();
    rig.window.backgroundUpdate();
    rig.board.setSilent(true);
    rig.window.backgroundUpdate();
    EXPECT_TRUE(rig.window.link().CommError);
    EXPECT_EQ(rig.panel(1), "System Message: All Faults Normal");
    // The tick leaves the online state to the windows and UpdateOnlineStatus.
    EXPECT_TRUE(rig.window.link().OnlineMode);
}

} // namespace
} // namespace quelby::test
