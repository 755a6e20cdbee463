#include "tests/link/LinkRig.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

const MessageRequest kCannotCommunicate{
    "WARNING - Communication Error!",
    {"Cannot Communicate with Target Board.", "Verify RS-232 Cable is Connected Between",
     "COMM Port and PROG Port."},
    MessageButtons::RetryCancel,
    MessageIcon::Critical};

// A rig online, with the clock time it went online.
struct TimedRig : LinkRig {
    double start;
    std::vector<double> askedAfter; // the clock time of each message, from `start`
    TimedRig() {
        goOnline();
        start = clock.monotonicSeconds();
    }
};

// A board that never answers, or never acknowledges a mode: the link asks after its
// time-outs, Retry waits as long again, and Cancel fails the link.
TEST(RSCommNoAnswer, theLinkAsksAfterItsTimeOutsRetryWaitsAgainAndCancelFails) {
    struct Case {
        bool silent = true; // else the board answers mode bytes 0x00
        MessageRequest message;
        double first = 0, again = 0; // seconds to the message, and from there to the next
    };
    const Case cases[] = {
        // Silence: 1 s, then twice 2 s resynchronising; then three more time-outs.
        {true, kCannotCommunicate, 5.0, 6.0},
        {false,
         {"WARNING - Communication Error!",
          {"Cannot Set PLC Mode Within Target Board."},
          MessageButtons::RetryCancel,
          MessageIcon::Critical},
         2.0,
         2.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.silent ? "silent" : "modes refused");
        TimedRig rig;
        rig.board.setSilent(c.silent);
        rig.board.setRefuseModes(!c.silent);
        rig.port.setEmulateLineSpeed(!c.silent); // lets the clock move while the handshake loops
        rig.prompt.answerNext(MessageAnswer::Retry);
        rig.prompt.onAsk([&](const MessageRequest&) {
            rig.askedAfter.push_back(rig.clock.monotonicSeconds() - rig.start);
            // The link is never entered a second time while its message is open.
            EXPECT_TRUE(rig.link.Busy());
            const std::size_t sent = rig.board.trace().size();
            EXPECT_EQ(rig.link.RSRead("B1003"), "0");
            rig.link.RSWrite("W182", "1");
            EXPECT_EQ(rig.board.trace().size(), sent);
        });

        EXPECT_EQ(rig.link.RSRead("W182"), "0");
        EXPECT_EQ(rig.prompt.requests(), (std::vector<MessageRequest>{c.message, c.message}));
        ASSERT_EQ(rig.askedAfter.size(), 2u);
        EXPECT_NEAR(rig.askedAfter[0], c.first, 0.01);
        EXPECT_NEAR(rig.askedAfter[1] - rig.askedAfter[0], c.again, 0.01);
        EXPECT_TRUE(rig.link.CommError);
        EXPECT_EQ(rig.link.CommErrorAlert, c.silent) << "a time-out sets it, a 0x00 answer not";
        EXPECT_EQ(rig.link.CurrentMode(), 0);
        if (c.silent) { // the handshake's 0xFF, then one 0xFF per resynchronisation
            EXPECT_EQ(rig.takeTrace(), std::vector<sim::TraceEntry>(5, {0xFF, {}}));
        } else { // Cancel closes the port
            EXPECT_FALSE(rig.link.OnlineMode);
            EXPECT_FALSE(rig.port.isOpen());
        }

        rig.board.clearTrace();
        EXPECT_EQ(rig.link.RSRead("W182"), "0");
        rig.link.RSWrite("W182", "5");
        EXPECT_TRUE(rig.takeTrace().empty()) << "a failed link sends nothing";
        EXPECT_EQ(rig.prompt.requests().size(), 2u);
        EXPECT_FALSE(rig.link.Busy());
    }
}

TEST(RSCommSilence, retryKeepsWaitingAndAnAnswerThenCarriesOn) {
    LinkRig rig;
    rig.goOnline();
    rig.board.setValue("B1003", 42);
    rig.board.setSilent(true);
    rig.prompt.answerNext(MessageAnswer::Retry);
    rig.prompt.onAsk([&](const MessageRequest&) { rig.board.setSilent(false); });

    // After Retry the link resynchronises, the board answers 0x55 and the handshake goes on.
    EXPECT_EQ(rig.link.RSRead("B1003"), "42");
    EXPECT_FALSE(rig.link.CommError);
    EXPECT_FALSE(rig.link.CommErrorAlert);
    EXPECT_EQ(rig.prompt.requests().size(), 1u);
}

TEST(RSCommEcho, aLateOrAlteredDataEchoNeverConfirmsTheWriteWhichGoesOutOnceMoreFromTheStart) {
    for (const bool altered : {false, true}) {
        for (const int spoiled : {1, 2}) {
            SCOPED_TRACE(testing::Message() << (altered ? "altered " : "late ") << spoiled);
            LinkRig rig;
            rig.goOnline();
            int stores = 0;
            rig.board.setWriteObserver([&](std::uint16_t) {
                // The echo of the data byte arrives 1.5 s late: after the first time-out,
                // before the second, with nothing else sent meanwhile.
                if (++stores <= spoiled && !altered) rig.port.setExtraDelay(1.5);
            });
            rig.port.setOnSend([&](long) { rig.port.setExtraDelay(0); });
            // Handshake (2), high, low, then the data byte's echo comes back altered.
            if (altered) rig.board.corruptAnswerAt(4);
            if (altered && spoiled == 2) rig.board.corruptAnswerAt(9);
            rig.link.RSWrite("B1003", "9");
            EXPECT_EQ(stores, 2) << "the whole write is repeated once";
            if (altered) {
                EXPECT_EQ(rig.takeTrace().size(), 10u) << "two writes, each with its handshake";
            }
            EXPECT_EQ(rig.board.value("B1003"), 9u);
            EXPECT_EQ(rig.link.WriteConfirmed(), spoiled == 1);
            EXPECT_EQ(rig.link.WriteFailed(), spoiled == 2);
            EXPECT_FALSE(rig.link.CommError);
            EXPECT_TRUE(rig.prompt.requests().empty()) << "a second mismatch is not reported";
        }
    }
}

TEST(RSCommOpening, aPortThatCannotBeOpenedOrABoardThatNeverAnswersLeavesTheProgramOffline) {
    LinkRig rig;
    rig.port.setMissing(true);
    rig.link.OpenRSComm(rig.port);
    EXPECT_EQ(rig.prompt.requests(),
              std::vector{OkBox("Comm Port Error",
                                {"Error Number = 2", "Error Source = Simulated board", "",
                                 "The simulated serial port for port 1 does not exist."},
                                MessageIcon::Critical)});
    EXPECT_TRUE(rig.link.CommError);
    EXPECT_FALSE(rig.link.OnlineMode);
    EXPECT_TRUE(rig.board.trace().empty());

    LinkRig silent;
    silent.board.setSilent(true);
    silent.link.OpenRSComm(silent.port);
    EXPECT_EQ(silent.prompt.requests(), std::vector<MessageRequest>{kCannotCommunicate});
    EXPECT_FALSE(silent.link.OnlineMode);
    EXPECT_TRUE(silent.link.CommError);
    silent.board.clearTrace();
    silent.link.CloseRSComm();
    EXPECT_TRUE(silent.takeTrace().empty()) << "closing a failed link sends nothing";
    EXPECT_FALSE(silent.port.isOpen());
}

TEST(RSCommPort, anAdapterPulledOutMidReadIsALinkFailureWithoutAWait) {
    TimedRig rig;
    rig.port.setOnSend([&](long sent) {
        if (sent == 4) rig.port.unplug();
    });
    EXPECT_EQ(rig.link.RSRead("W182"), "0");
    EXPECT_TRUE(rig.link.CommError);
    EXPECT_LT(rig.clock.monotonicSeconds() - rig.start, 1.0) << "no time-out is waited for";
    EXPECT_TRUE(rig.prompt.requests().empty());
    rig.link.CloseRSComm();
    EXPECT_FALSE(rig.link.OnlineMode);
}

} // namespace
} // namespace quelby::test
