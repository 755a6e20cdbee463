#include "tests/shell/ShellRig.h"
#include "views/EntryTextBox.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

namespace quelby::test {
namespace {

TEST(Startup, EndsUnnamedOfflineWithTheMainDisplayMaximisedAndPanelsThatFollowTheClock) {
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
    EXPECT_TRUE(qobject_cast<QMdiSubWindow*>(child->parentWidget())->isMaximized());
    EXPECT_TRUE(rig.window.backgroundTimer().isActive());

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
    for (int i = 0; i < 6; ++i) EXPECT_EQ(items[i]->isChecked(), i == 3) << i;
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

TEST(ShowChildWindow, TheFramelessChildLeavesTheMenuBarAloneAndSurvivesCtrlF4) {
    ShellRig rig;
    rig.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.window));
    auto* sub = qobject_cast<QMdiSubWindow*>(rig.window.currentChild()->parentWidget());
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->isMaximized());
    EXPECT_TRUE(sub->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(sub->systemMenu(), nullptr);
    // No minimise, restore and close buttons were moved into the menu bar.
    QWidget* corner = rig.window.menuBar()->cornerWidget(Qt::TopRightCorner);
    EXPECT_TRUE(corner == nullptr || !corner->isVisible());
    // The child fills the window area.
    EXPECT_EQ(rig.window.currentChild()->size(), sub->contentsRect().size());
    EXPECT_EQ(sub->geometry(), sub->mdiArea()->viewport()->rect());

    QTest::keyClick(rig.window.currentChild(), Qt::Key_F4, Qt::ControlModifier);
    QCoreApplication::processEvents();
    ASSERT_NE(rig.window.currentChild(), nullptr);
    EXPECT_EQ(rig.window.currentChild()->objectName(), "window0");
}

// Opening a window never enters one of its fields: leaving a field checks it and writes a
// passing value, so a field entered by the opening would write what it showed before the
// board was read, or refuse a "-" nobody typed.
TEST(ShowChildWindow, EveryWindowOpensOnlineWithoutEnteringAFieldOrWritingAnything) {
    ShellRig rig(false);
    rig.window.show();
    rig.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&rig.window));
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

struct ItemRow {
    const char* name;
    const char* caption;
    const char* shortcut;
    bool enabled;
    bool visible;
};

// Every command item as the menus must offer it in this build: commands not built yet are
// present and disabled; the passcode and print set-up items are hidden.
const ItemRow kItems[] = {
    {"mnuFileNew", "&New...", "Ctrl+N", true, true},
    {"mnuFileOpen", "&Open...", "Ctrl+O", true, true},
    {"mnuFileSave", "&Save", "Ctrl+S", true, true},
    {"mnuFileSaveAs", "Save &As...", "", true, true},
    {"mnuFileExport", "Export Shift Data...", "Ctrl+X", true, true},
    {"mnuFileUpload", "&Upload (save) Data", "", true, true},
    {"mnuFileDownloadProgram", "Download &Program", "", true, true},
    {"mnuFileDownload", "&Download Data", "", true, true},
    {"mnuFilePrint", "&Print Report...", "Ctrl+P", true, true},
    {"mnuFilePrintSetup", "Print Set&up...", "", false, false},
    {"mnuFileExit", "E&xit", "", true, true},
    {"mnuEditOfflineEditing", "Enable &Offline Editing", "F2", true, true},
    {"mnuEditCommPort", "Co&mm Port", "Ctrl+M", true, true},
    {"mnuEditPasscode", "Set-up Passcode", "", false, false},
#ifdef QUELBY_PUBLISH
    {"mnuEditPublish", "&Publish Live Values...", "", true, true},
#endif
    {"mnuViewTargetBoardStatus", "&Target Board Interface", "", true, true},
    {"mnuViewOnline", "O&nline Data", "F3", true, true},
    {"mnuViewOffline", "O&ffline Data", "F4", true, true},
    {"mnuHelpHelpTopics", "&Help Topics", "Ctrl+H", true, true},
    {"mnuHelpLinkTrace", "Link &Trace...", "", true, true},
    {"mnuHelpAbout", "&About QUELBY", "", true, true},
};

TEST(MainMenus, EveryItemHasItsCaptionShortcutAndState) {
    ShellRig rig(false);
    for (const ItemRow& row : kItems) {
        SCOPED_TRACE(row.name);
        QAction* item = rig.item(row.name);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text(), row.caption);
        EXPECT_EQ(item->shortcut(), QKeySequence(row.shortcut));
        EXPECT_EQ(item->isEnabled(), row.enabled);
        EXPECT_EQ(item->isVisible(), row.visible);
    }
}

TEST(MainMenus, TheMenuBarTheTransferSubmenusAndTheWindowMenuInOrder) {
    ShellRig rig(false);
    const auto captions = [](const QList<QAction*>& actions) {
        QStringList texts;
        for (QAction* item : actions) texts << (item->isSeparator() ? "-" : item->text());
        return texts;
    };
    EXPECT_EQ(captions(rig.window.menuBar()->actions()),
              (QStringList{"&File", "&Edit", "&View", "&Window", "&Help"}));
    for (const char* name : {"mnuFileUpload", "mnuFileDownload"})
        EXPECT_EQ(captions(rig.window.findChild<QMenu*>(name)->actions()),
                  (QStringList{"Set-up &Parameters", "Timing &Channels", "Shift &Data", "-", "&All"}))
            << name;
    const QList<QAction*> windows = rig.window.findChild<QMenu*>("mnuWindow")->actions();
    EXPECT_EQ(captions(windows), (QStringList{"&1 Main Display", "&2 Set-up Parameters",
                                              "&3 Serial Communications", "&4 Machine Timing",
                                              "&5 Shift Data", "&6 I/O States"}));
    for (QAction* item : windows) EXPECT_TRUE(item->isEnabled()) << item->text().toStdString();
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
