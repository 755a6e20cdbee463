#include "LinkRig.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

const MessageRequest kCannotCommunicate{
    "WARNING - Communication Error!",
    {"Cannot Communicate with Target Board.", "Verify RS-232 Cable is Connected Between",
     "COMM Port and PROG Port."},
    MessageButtons::RetryCancel,
    MessageIcon::Critical};

TEST(RSCommSilence, threeTimeOutsResynchroniseTwiceThenAskAndCancelFailsTheLink) {
    LinkRig rig;
    rig.goOnline();
    rig.board.setSilent(true);
    const double start = rig.clock.monotonicSeconds();
    double askedAfter = 0;
    rig.prompt.onAsk([&](const MessageRequest&) { askedAfter = rig.clock.monotonicSeconds() - start; });

    EXPECT_EQ(rig.link.RSRead("W182"), "0");
    ASSERT_EQ(rig.prompt.requests().size(), 1u);
    EXPECT_EQ(rig.prompt.requests()[0], kCannotCommunicate);
    EXPECT_NEAR(askedAfter, 5.0, 0.01) << "1 s, then twice 2 s";
    EXPECT_TRUE(rig.link.CommError);
    EXPECT_TRUE(rig.link.CommErrorAlert);
    EXPECT_EQ(rig.link.CurrentMode(), 0);
    // The handshake's 0xFF, then one 0xFF per resynchronisation.
    std::vector<std::uint8_t> sent;
    for (const auto& entry : rig.takeTrace()) sent.push_back(entry.received);
    EXPECT_EQ(sent, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF}));

    EXPECT_EQ(rig.link.RSRead("W182"), "0");
    rig.link.RSWrite("W182", "5");
    EXPECT_TRUE(rig.takeTrace().empty()) << "a failed link sends nothing";
    EXPECT_EQ(rig.prompt.requests().size(), 1u);
}

TEST(RSCommSilence, retryKeepsWaitingAndAnAnswerThenCarriesOn) {
    LinkRig rig;
    rig.goOnline();
    rig.board.setValue("B1003", 42);
    rig.board.setSilent(true);
    rig.prompt.answerNext(MessageAnswer::Retry);
    rig.prompt.onAsk([&](const MessageRequest&) {
        if (rig.prompt.requests().size() == 1) rig.board.setSilent(false);
    });

    // After Retry the pending deadline has passed, so the link resynchronises at once, the
    // board answers 0x55 and the handshake goes on from there.
    EXPECT_EQ(rig.link.RSRead("B1003"), "42");
    EXPECT_FALSE(rig.link.CommError);
    EXPECT_FALSE(rig.link.CommErrorAlert);
    EXPECT_EQ(rig.prompt.requests().size(), 1u);
}

TEST(RSCommSilence, retryThenSilenceAgainAsksAgainAfterThreeMoreTimeOuts) {
    LinkRig rig;
    rig.goOnline();
    rig.board.setSilent(true);
    rig.prompt.answerNext(MessageAnswer::Retry);
    const double start = rig.clock.monotonicSeconds();
    std::vector<double> askedAt;
    rig.prompt.onAsk([&](const MessageRequest&) { askedAt.push_back(rig.clock.monotonicSeconds() - start); });

    rig.link.RSRead("B1003");
    ASSERT_EQ(askedAt.size(), 2u);
    EXPECT_NEAR(askedAt[1] - askedAt[0], 6.0, 0.01);
    EXPECT_TRUE(rig.link.CommError);
}

TEST(RSCommSilence, aBoardThatNeverAnswersTheProbeLeavesTheProgramOffline) {
    LinkRig rig;
    rig.board.setSilent(true);
    rig.link.OpenRSComm(rig.port);
    EXPECT_EQ(rig.prompt.titles(), std::vector<std::string>{"WARNING - Communication Error!"});
    EXPECT_FALSE(rig.link.OnlineMode);
    EXPECT_TRUE(rig.link.CommError);

    rig.board.clearTrace();
    rig.link.CloseRSComm();
    EXPECT_TRUE(rig.takeTrace().empty()) << "closing a failed link sends nothing";
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_FALSE(rig.link.OnlineMode);
}

TEST(RSCommSilence, aLateAnswerAfterAResynchronisationIsNotTakenForTheData) {
    LinkRig rig;
    rig.goOnline();
    rig.board.setValue("W182", 300);
    rig.link.RSRead("W182");
    // The next answer arrives 1.5 s late: after the first resynchronisation has gone out.
    rig.port.setExtraDelay(1.5);
    const std::string late = rig.link.RSRead("W182");
    rig.port.setExtraDelay(0);
    EXPECT_FALSE(rig.link.CommError);
    EXPECT_NE(late, "300");
    EXPECT_EQ(rig.link.RSRead("W182"), "300") << "the next read recovers with a fresh handshake";
}

TEST(RSCommEcho, aWrongHighAddressEchoOnAReadGivesZeroAndResetsTheMode) {
    LinkRig rig;
    rig.goOnline();
    rig.board.setValue("W182", 77);
    rig.link.RSRead("W182");
    rig.board.corruptAnswerAt(0);

    EXPECT_EQ(rig.link.RSRead("W182"), "0");
    EXPECT_FALSE(rig.link.CommError);
    EXPECT_EQ(rig.link.CurrentMode(), 0);
    rig.board.clearTrace();
    EXPECT_EQ(rig.link.RSRead("W182"), "77");
    EXPECT_EQ(rig.takeTrace().front().received, 0xFF) << "the next read handshakes again";
}

TEST(RSCommEcho, anAlteredDataByteIsWrittenOnceMoreFromTheStartAndASecondMismatchIsSilent) {
    LinkRig rig;
    rig.goOnline();
    // Handshake (2), high, low, then the data byte's echo comes back altered.
    rig.board.corruptAnswerAt(4);
    rig.link.RSWrite("B1003", "9");
    auto trace = rig.takeTrace();
    EXPECT_EQ(trace.size(), 10u) << "two whole writes, each with its handshake";
    EXPECT_FALSE(rig.link.WriteFailed());
    EXPECT_EQ(rig.board.value("B1003"), 9u);

    LinkRig twice;
    twice.goOnline();
    twice.board.corruptAnswerAt(4);
    twice.board.corruptAnswerAt(9);
    twice.link.RSWrite("B1003", "9");
    EXPECT_EQ(twice.takeTrace().size(), 10u) << "no third attempt";
    EXPECT_TRUE(twice.link.WriteFailed());
    EXPECT_TRUE(twice.prompt.requests().empty()) << "a second mismatch is not reported";
    EXPECT_FALSE(twice.link.CommError);
}

TEST(RSCommPort, aPortThatCannotBeOpenedSaysWhyAndLeavesTheLinkFailed) {
    LinkRig rig;
    rig.port.setMissing(true);
    rig.link.OpenRSComm(rig.port);
    ASSERT_EQ(rig.prompt.requests().size(), 1u);
    const MessageRequest& message = rig.prompt.requests()[0];
    EXPECT_EQ(message.title, "Comm Port Error");
    EXPECT_EQ(message.lines[0], "Error Number = 2");
    EXPECT_EQ(message.lines[1], "Error Source = Simulated board");
    EXPECT_EQ(message.lines[2], "");
    EXPECT_EQ(message.lines[3], "The simulated serial port for port 1 does not exist.");
    EXPECT_EQ(message.buttons, MessageButtons::OK);
    EXPECT_EQ(message.icon, MessageIcon::Critical);
    EXPECT_TRUE(rig.link.CommError);
    EXPECT_FALSE(rig.link.OnlineMode);
    EXPECT_TRUE(rig.board.trace().empty());
}

TEST(RSCommPort, anAdapterPulledOutMidReadIsALinkFailureWithoutAWait) {
    LinkRig rig;
    rig.goOnline();
    rig.port.setOnSend([&](long sent) {
        if (sent == 4) rig.port.unplug();
    });
    const double start = rig.clock.monotonicSeconds();
    EXPECT_EQ(rig.link.RSRead("W182"), "0");
    EXPECT_TRUE(rig.link.CommError);
    EXPECT_LT(rig.clock.monotonicSeconds() - start, 1.0) << "no time-out is waited for";
    EXPECT_TRUE(rig.prompt.requests().empty());
    rig.link.CloseRSComm();
    EXPECT_FALSE(rig.link.OnlineMode);
}

TEST(RSCommPort, theLinkIsNeverEnteredASecondTimeWhileItsMessageIsOpen) {
    LinkRig rig;
    rig.goOnline();
    rig.board.setSilent(true);
    std::string nestedRead = "unset";
    bool busyDuringMessage = false;
    rig.prompt.onAsk([&](const MessageRequest&) {
        busyDuringMessage = rig.link.Busy();
        rig.board.clearTrace();
        nestedRead = rig.link.RSRead("W182");
        rig.link.RSWrite("W182", "1");
    });
    rig.link.RSRead("B1003");
    EXPECT_TRUE(busyDuringMessage);
    EXPECT_EQ(nestedRead, "0");
    EXPECT_TRUE(rig.board.trace().empty());
    EXPECT_FALSE(rig.link.Busy());
}

TEST(RSCommHandshake, aModeNeverAcknowledgedAsksAfterTwoSecondsAndCancelClosesTheLink) {
    LinkRig rig;
    rig.goOnline();
    rig.board.setRefuseModes(true);
    const double start = rig.clock.monotonicSeconds();
    rig.port.setEmulateLineSpeed(true); // lets the clock move while the handshake loops

    EXPECT_EQ(rig.link.RSRead("W182"), "0");
    ASSERT_EQ(rig.prompt.requests().size(), 1u);
    EXPECT_EQ(rig.prompt.requests()[0],
              (MessageRequest{"WARNING - Communication Error!",
                              {"Cannot Set PLC Mode Within Target Board."},
                              MessageButtons::RetryCancel,
                              MessageIcon::Critical}));
    EXPECT_GE(rig.clock.monotonicSeconds() - start, 2.0);
    EXPECT_TRUE(rig.link.CommError);
    EXPECT_FALSE(rig.link.OnlineMode);
    EXPECT_FALSE(rig.port.isOpen());
}

TEST(RSCommHandshake, retryGivesTheHandshakeAnotherTwoSeconds) {
    LinkRig rig;
    rig.goOnline();
    rig.board.setValue("B1003", 8);
    rig.board.setRefuseModes(true);
    rig.port.setEmulateLineSpeed(true);
    rig.prompt.answerNext(MessageAnswer::Retry);
    rig.prompt.onAsk([&](const MessageRequest&) { rig.board.setRefuseModes(false); });

    EXPECT_EQ(rig.link.RSRead("B1003"), "8");
    EXPECT_EQ(rig.prompt.requests().size(), 1u);
    EXPECT_FALSE(rig.link.CommError);
    EXPECT_TRUE(rig.link.OnlineMode);
}

} // namespace
} // namespace quelby::test
