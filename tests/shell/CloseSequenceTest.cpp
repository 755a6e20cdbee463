#include "app/data/DataSetMessages.h"
#include "tests/shell/ShellRig.h"

#include <QCloseEvent>
#include <gtest/gtest.h>

namespace quelby::test {
namespace {

// An edit that File Save would have to keep.
void ChangeData(ShellRig& rig) {
    rig.window.dataSet().CurrentData.Value[97] += 1;
}

TEST(CloseSequence, CancelKeepsTheProgramRunningWithItsData) {
    ShellRig rig;
    rig.window.goOnline();
    ChangeData(rig);
    const auto edited = rig.window.dataSet().CurrentData.Value[97];
    rig.prompt.answerNext(MessageAnswer::Cancel);
    EXPECT_FALSE(rig.window.close());
    EXPECT_EQ(rig.prompt.requests(), (std::vector<MessageRequest>{DataSetMessages::SaveChanges()}));
    EXPECT_EQ(rig.window.dataSet().CurrentData.Value[97], edited);
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_NE(rig.window.currentChild(), nullptr);
}

TEST(CloseSequence, NoClosesTheLinkAndUnloadsTheWindowWithoutSaving) {
    ShellRig rig;
    rig.window.goOnline();
    ChangeData(rig);
    rig.windowLog.clear();
    rig.prompt.answerNext(MessageAnswer::No);
    EXPECT_TRUE(rig.window.close());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_FALSE(rig.window.link().OnlineMode);
    EXPECT_EQ(rig.windowLog, (std::vector<std::string>{"unload window0"}));
    EXPECT_TRUE(rig.dialogs.requests().empty());
}

TEST(CloseSequence, YesSavesToTheChosenFileThenClosesOrKeepsRunningWhenTheSaveIsCancelled) {
    ShellRig rig;
    ChangeData(rig);
    rig.prompt.answerNext(MessageAnswer::Yes);
    rig.dialogs.answerNext(std::nullopt);
    EXPECT_FALSE(rig.window.close());
    EXPECT_TRUE(rig.window.dataSet().HasUnsavedChanges());

    const auto file = rig.home.path() / "LINE3.sdt";
    rig.prompt.answerNext(MessageAnswer::Yes);
    rig.dialogs.answerNext(file);
    EXPECT_TRUE(rig.window.close());
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_FALSE(rig.window.dataSet().HasUnsavedChanges());
}

TEST(CloseSequence, ExitWithoutChangesAsksNothing) {
    ShellRig rig;
    rig.item("mnuFileExit")->trigger();
    EXPECT_TRUE(rig.prompt.requests().empty());
    EXPECT_EQ(rig.window.currentChild(), nullptr);
}

TEST(FileNew, AsksOnlyAfterChangesAndKeepsTheCaption) {
    ShellRig rig;
    rig.item("mnuFileNew")->trigger();
    EXPECT_TRUE(rig.prompt.requests().empty());
    ChangeData(rig);
    rig.prompt.answerNext(MessageAnswer::No);
    rig.item("mnuFileNew")->trigger();
    EXPECT_EQ(rig.prompt.requests().size(), 1u);
    EXPECT_FALSE(rig.window.dataSet().HasUnsavedChanges());
    EXPECT_EQ(rig.window.windowTitle(), "QUELBY - [unnamed][*]");
}

} // namespace
} // namespace quelby::test
