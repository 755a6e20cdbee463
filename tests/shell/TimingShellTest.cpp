#include "tests/shell/ShellRig.h"
#include "views/NumericEntryField.h"
#include "views/frmTiming.h"

#include <QAction>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace quelby::test {
namespace {

template <typename Condition>
bool WaitFor(Condition condition) {
    for (int i = 0; i < 3000 && !condition(); ++i) QTest::qWait(1);
    return condition();
}

TEST(MachineTimingInTheShell, TheWindowMenuOpensItAndATimingDownloadMakesItRecallAgain) {
    ShellRig rig(false);
    rig.window.show();
    rig.window.goOnline();
    rig.pls.setChannel(6, {{1, 60}, {0, 70}});
    QAction* item = rig.window.menus().windowForm(3);
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    auto* timing = qobject_cast<frmTiming*>(rig.window.currentChild());
    ASSERT_NE(timing, nullptr);
    ASSERT_TRUE(WaitFor([&] { return timing->onlineReady(); }));
    EXPECT_EQ(timing->channelField(6)->text(), "60");

    rig.window.dataSet().CurrentData.Setpoint[6] = {61, 71};
    rig.prompt.answerNext(MessageAnswer::Yes);
    rig.window.menus().fileDownloadData(1)->trigger(); // Timing Channels
    EXPECT_EQ(rig.pls.channel(6).front().position, 61);
    ASSERT_TRUE(WaitFor([&] { return timing->channelField(6)->text() == "61"; }));
    EXPECT_EQ(timing->channelField(22)->text(), "71");
    EXPECT_FALSE(rig.window.dataSet().TimingDownloaded);
}

TEST(MachineTimingInTheShell, RecallChannelThenATimingUploadStoresThePairTheBoardHolds) {
    ShellRig rig(false);
    rig.window.show();
    rig.window.goOnline();
    rig.pls.setChannel(0, {{1, 25}, {0, 65}});
    rig.window.menus().windowForm(3)->trigger();
    auto* timing = qobject_cast<frmTiming*>(rig.window.currentChild());
    ASSERT_NE(timing, nullptr);
    ASSERT_TRUE(WaitFor([&] { return timing->onlineReady(); }));
    timing->tmgField(1)->setText("0");
    QTest::mouseClick(timing->findChild<QPushButton*>("cmdRecallChannel"), Qt::LeftButton);
    ASSERT_EQ(timing->channelField(16)->text(), "65");

    rig.prompt.answerNext(MessageAnswer::Yes);
    rig.window.menus().fileUploadData(1)->trigger(); // Timing Channels
    EXPECT_EQ(rig.window.dataSet().CurrentData.Setpoint[0], (std::array<std::int16_t, 2>{25, 65}));
}

} // namespace
} // namespace quelby::test
