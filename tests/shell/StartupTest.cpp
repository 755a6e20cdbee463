#include "MainStatusBar.h"
#include "ShellRig.h"

#include <QMdiSubWindow>
#include <QTest>
#include <gtest/gtest.h>

namespace quelby::test {
namespace {

TEST(Startup, EndsUnnamedOfflineWithTheMainDisplayChecked) {
    ShellRig rig(false);
    EXPECT_EQ(rig.window.windowTitle(), "QUELBY - [unnamed]");
    EXPECT_TRUE(rig.item("mnuWindowForm")->isChecked());
    EXPECT_EQ(rig.window.currentWindow(), 0);
    EXPECT_FALSE(rig.window.link().OnlineMode);
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.port.bytesSent(), 0);
    // Nothing changed yet, so File New asked nothing.
    EXPECT_TRUE(rig.prompt.requests().empty());
}

TEST(Startup, ShowsTheMainDisplayMaximised) {
    ShellRig rig(false);
    QWidget* child = rig.window.currentChild();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->objectName(), "frmMain");
    rig.window.show();
    EXPECT_TRUE(qobject_cast<QMdiSubWindow*>(child->parentWidget())->isMaximized());
}

TEST(Startup, StatusPanelsStartWithTheirDesignTexts) {
    ShellRig rig(false);
    struct Panel {
        int index;
        const char* key;
        const char* tip;
    };
    for (const Panel& p : {Panel{1, "STATUS", "System Status Display Messages"},
                           Panel{2, "MODE", "Communications Mode"},
                           Panel{3, "DATE", "Current Date"}, Panel{4, "TIME", "Current Time"}}) {
        SCOPED_TRACE(p.key);
        QLabel* label = rig.window.statusPanels().panel(p.index);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->objectName(), p.key);
        EXPECT_EQ(label->toolTip(), p.tip);
    }
    EXPECT_EQ(rig.panel(1), "System Message:");
    EXPECT_EQ(rig.panel(2), "OFFLINE");
    // 2026-01-05 08:00 on the rig's clock.
    EXPECT_EQ(rig.panel(3), QLocale().toString(QDate(2026, 1, 5), QLocale::ShortFormat));
    EXPECT_EQ(rig.panel(4), QLocale().toString(QTime(8, 0), QLocale::ShortFormat));
}

TEST(Startup, DateAndTimePanelsFollowTheClock) {
    ShellRig rig;
    rig.clock.setDate({2026, 3, 9, 17, 45, 10, 2});
    rig.window.statusPanels().refreshDateTime();
    EXPECT_EQ(rig.panel(3), QLocale().toString(QDate(2026, 3, 9), QLocale::ShortFormat));
    EXPECT_EQ(rig.panel(4), QLocale().toString(QTime(17, 45, 10), QLocale::ShortFormat));
}

TEST(Startup, BackgroundTimerTicksOnlyOnceTheWindowIsShown) {
    ShellRig rig;
    EXPECT_FALSE(rig.window.backgroundTimer().isActive());
    EXPECT_EQ(rig.window.backgroundTimer().interval(), 500);
    rig.window.show();
    EXPECT_TRUE(rig.window.backgroundTimer().isActive());
}

TEST(ShowChildWindow, SwitchingUnloadsTheCurrentWindowBeforeLoadingTheNext) {
    ShellRig rig;
    rig.windowLog.clear();
    rig.window.ShowChildWindow(3);
    EXPECT_EQ(rig.windowLog, (std::vector<std::string>{"unload window0", "load window3"}));
    EXPECT_EQ(rig.window.currentWindow(), 3);
    EXPECT_EQ(rig.window.currentChild()->objectName(), "window3");
    const QList<QAction*> items = rig.window.findChildren<QAction*>("mnuWindowForm");
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(items[i]->isChecked(), i == 3) << i;
}

TEST(ShowChildWindow, TheWindowAlreadyShownStaysAsItIs) {
    ShellRig rig;
    rig.windowLog.clear();
    QAction* first = rig.item("mnuWindowForm");
    first->trigger(); // the menu flips the check mark; the shell keeps it
    EXPECT_TRUE(rig.windowLog.empty());
    EXPECT_TRUE(first->isChecked());
}

TEST(ShowChildWindow, ComingBackReloadsFromScratch) {
    ShellRig rig;
    QPointer<QWidget> first = rig.window.currentChild();
    rig.window.ShowChildWindow(1);
    rig.window.ShowChildWindow(0);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(rig.windowLog,
              (std::vector<std::string>{"load window0", "unload window0", "load window1",
                                        "unload window1", "load window0"}));
    EXPECT_EQ(rig.window.findChildren<QMdiSubWindow*>().size(), 1);
}

TEST(ShowChildWindow, AnIndexOutsideTheTableChangesNothing) {
    ShellRig rig;
    rig.window.ShowChildWindow(6);
    rig.window.ShowChildWindow(-1);
    EXPECT_EQ(rig.window.currentWindow(), 0);
    EXPECT_EQ(rig.windowLog.size(), 1u);
}

} // namespace
} // namespace quelby::test
