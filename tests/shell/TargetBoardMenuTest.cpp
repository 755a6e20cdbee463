#include "diagnostics/frmTargetBoard.h"
#include "tests/shell/ShellRig.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

TEST(TargetBoardMenu, theChosenProgramIsCheckedThenTheWindowOpensModallyOverThePausedShell) {
    ShellRig rig;
    rig.window.show();
    const auto hbx = rig.home.write("programs/LINE.hbx", "D\r\n");
    rig.home.write("programs/LINE.rev", "LINE12AB\r\n");

    int opened = 0;
    bool pausedWhileOpen = false;
    std::function<void()> answerWindow = [&] {
        auto* window = qobject_cast<frmTargetBoard*>(QApplication::activeModalWidget());
        if (!window) return;
        ++opened;
        pausedWhileOpen = rig.window.cyclesPaused();
        window->findChild<QPushButton*>("cmdOk")->click();
    };

    rig.window.menus().viewTargetBoardStatus()->trigger(); // the dialog is cancelled
    EXPECT_EQ(rig.dialogs.requests().at(0).filter, "Halbix Files(*.hbx)|*.hbx|");
    EXPECT_TRUE(rig.prompt.requests().empty());

    const auto pls = rig.home.write("programs/PLS.hbx", "7\r\n");
    rig.dialogs.answerNext(pls);
    QTimer::singleShot(0, &rig.window, answerWindow);
    rig.window.menus().viewTargetBoardStatus()->trigger();
    QApplication::processEvents();
    EXPECT_EQ(rig.prompt.titles(), std::vector<std::string>{"PLS Program Download"});
    EXPECT_EQ(opened, 0) << "the link refused the program";

    rig.dialogs.answerNext(hbx);
    QTimer::singleShot(0, &rig.window, answerWindow);
    rig.window.menus().viewTargetBoardStatus()->trigger();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(pausedWhileOpen) << "the child window waits under the modal window";
    EXPECT_FALSE(rig.window.cyclesPaused());
    EXPECT_EQ(rig.window.programFilePath(), hbx);
    EXPECT_TRUE(rig.window.link().OnlineMode) << "the window went online as it opened";
    EXPECT_EQ(rig.panel(2), "ONLINE");
}

} // namespace
} // namespace quelby::test
