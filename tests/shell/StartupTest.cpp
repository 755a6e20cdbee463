#include "app/shell/MainStatusBar.h"
#include "tests/shell/ShellRig.h"

#include "views/EntryTextBox.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

namespace quelby::test {
namespace {

TEST(Startup, EndsUnnamedOfflineWithTheMainDisplayMaximisedAndThePanelsTexts) {
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
}

TEST(Startup, DateAndTimePanelsFollowTheClock) {
    ShellRig rig;
    rig.clock.setDate({2026, 3, 9, 17, 45, 10, 2});
    rig.window.statusPanels().refreshDateTime();
    EXPECT_EQ(rig.panel(3), QLocale().toString(QDate(2026, 3, 9), QLocale::ShortFormat));
    EXPECT_EQ(rig.panel(4), QLocale().toString(QTime(17, 45, 10), QLocale::ShortFormat));
}

TEST(ShowChildWindow, SwitchingUnloadsBeforeLoadingAndComingBackReloadsFromScratch) {
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

TEST(ShowChildWindow, TheWindowShownOrAnIndexOutsideTheTableChangesNothing) {
    ShellRig rig;
    rig.windowLog.clear();
    QAction* first = rig.item("mnuWindowForm");
    first->trigger(); // the menu flips the check mark; the shell keeps it
    EXPECT_TRUE(first->isChecked());
    rig.window.ShowChildWindow(6);
    rig.window.ShowChildWindow(-1);
    EXPECT_EQ(rig.window.currentWindow(), 0);
    EXPECT_TRUE(rig.windowLog.empty());
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

} // namespace
} // namespace quelby::test
