#include "tests/shell/ShellRig.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

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

TEST(StatusPoll, AFailedFaultRequestKeepsBothTexts) {
    ShellRig rig;
    rig.window.goOnline();
    rig.window.backgroundUpdate();
    rig.board.setSilent(true);
    rig.window.backgroundUpdate();
    EXPECT_TRUE(rig.window.link().CommError);
    EXPECT_EQ(rig.panel(1), "System Message: All Faults Normal");
    // The tick leaves the online state to the windows and UpdateOnlineStatus.
    EXPECT_TRUE(rig.window.link().OnlineMode);
}

TEST(StatusPoll, SkipsItsTurnWhileALinkMessageIsOpen) {
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
}

} // namespace
} // namespace quelby::test
