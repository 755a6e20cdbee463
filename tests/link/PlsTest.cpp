#include "tests/link/LinkRig.h"
#include "sim/SimPls.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

using Trace = std::vector<sim::TraceEntry>;

// The link and the board with its PLS, online.
struct PlsRig : LinkRig {
    sim::SimPls pls;
    PlsRig() {
        board.addHandler(pls);
        goOnline();
    }
};

Trace operator+(Trace a, const Trace& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Trace Handshake(int code) {
    return Exchanges({{0xFF, 0x55}, {code, 0x55}});
}
Trace ReadWord(int code, int value) {
    return Handshake(code) + Exchanges({{0x55, value & 0xFF}, {0x55, value >> 8}});
}
// Data bytes, each taken with 0x55.
Trace Data(std::initializer_list<int> bytes) {
    Trace trace;
    for (int byte : bytes)
        trace.push_back({static_cast<std::uint8_t>(byte), 0x55});
    return trace;
}
// A recall of `channel` answered with a setpoint.
Trace Recall(int channel, int state, int position) {
    return Handshake(0x09) + Exchanges({{channel, 0x55}, {0x55, state}, {0x55, position & 0xFF},
                                        {0x55, position >> 8}});
}
const Trace kBusyPoll = Exchanges({{0x38, 0x55}, {0x55, 0x55}});
const Trace kReadyPoll = Exchanges({{0x38, 0x55}, {0x55, 0x00}, {0x55, 0x55}});
const Trace kReadScale = ReadWord(0x18, 360);

MessageRequest PulseRefusal(std::vector<std::string> lines,
                            MessageIcon icon = MessageIcon::Exclamation) {
    lines.insert(lines.end(), {"", "PLS Channel will not be Programmed."});
    return OkBox("PLS Pulse Train", std::move(lines), icon);
}

TEST(PlsReadings, eachReadingHandshakesWithItsCodeAndFetchesLowThenHigh) {
    PlsRig rig;
    rig.pls.setScaleFactor(1000);
    rig.pls.setOffset(0x0102);
    rig.pls.setPosition(0x02FF);
    rig.pls.setRpm(0x0304);

    EXPECT_EQ(rig.link.PLSScaleFactor(), "1000");
    EXPECT_EQ(rig.link.PLSOffset(), "258");
    EXPECT_EQ(rig.link.PLSPos(), "767");
    EXPECT_EQ(rig.link.PLSRpm(), "772");
    EXPECT_EQ(rig.takeTrace(), ReadWord(0x18, 1000) + ReadWord(0x28, 0x0102) +
                                   ReadWord(0x48, 0x02FF) + ReadWord(0x58, 0x0304));
    EXPECT_EQ(rig.link.CurrentMode(), 0);

    // A failed link gives -9999 at once, without traffic.
    rig.link.CommError = true;
    EXPECT_EQ(rig.link.PLSRpm(), "-9999");
    EXPECT_TRUE(rig.takeTrace().empty());
    EXPECT_TRUE(rig.prompt.requests().empty());
}

TEST(PlsSingleSetpoint, clearsThenProgramsThePairLowBytesFirstPollsUntilReadyAndRefusesBadValues) {
    PlsRig rig;
    rig.pls.setChannel(4, {{1, 7}, {0, 9}});
    rig.pls.setBusyPolls(2);

    // 255 as a data byte must not be taken for the start of a new request.
    EXPECT_TRUE(rig.link.SingleSetpoint(4, 255, 300, true));
    EXPECT_EQ(rig.takeTrace(), kReadScale + Handshake(0x1B) + Data({4, 0, 0, 0, 0, 0}) +
                                   kBusyPoll + kBusyPoll + kReadyPoll + Handshake(0x1B) +
                                   Data({4, 0xFF, 0x00, 0x2C, 0x01, 1}) + kReadyPoll);
    EXPECT_EQ(rig.pls.channel(4), (std::vector<sim::PlsSetpoint>{{1, 255}, {0, 300}}));

    EXPECT_TRUE(rig.link.SingleSetpoint(4, 10, 20));
    EXPECT_EQ(rig.pls.channel(4).size(), 4u) << "without the clear the pair is added";
    rig.board.clearTrace();

    // A setpoint beyond the scale or its bytes is refused and nothing is programmed.
    EXPECT_FALSE(rig.link.SingleSetpoint(2, 360, 10, true));
    EXPECT_FALSE(rig.link.SingleSetpoint(2, 10, 400));
    // Values that do not fit their bytes are refused before the request starts.
    EXPECT_FALSE(rig.link.SingleSetpoint(2, -1, 10));
    EXPECT_FALSE(rig.link.SingleSetpoint(300, 1, 10));
    EXPECT_EQ(rig.takeTrace(), kReadScale + kReadScale + kReadScale + kReadScale);
    ASSERT_EQ(rig.prompt.requests().size(), 2u) << "the OFF setpoint is checked too";
    EXPECT_EQ(rig.prompt.requests()[0],
              OkBox("PLS Single Setpoint",
                    {"Setpoint setting 360 is greater than scale factor.", "",
                     "Channel can not be programmed."},
                    MessageIcon::Exclamation));

    EXPECT_TRUE(rig.link.SingleSetpoint(2, 359, 0));
    EXPECT_EQ(rig.pls.channel(2), (std::vector<sim::PlsSetpoint>{{1, 359}, {0, 0}}));
}

TEST(PlsPulseTrain, programsStartAndBothDivisionsInTheOffPlacesAfterChecksWithTheirMessages) {
    PlsRig rig;
    EXPECT_TRUE(rig.link.PulseTrain(3, 10, 20, 300));
    EXPECT_EQ(rig.takeTrace(),
              kReadScale + Handshake(0x2B) + Data({3, 0x2C, 0x01, 10, 20, 0}) + kReadyPoll);

    EXPECT_FALSE(rig.link.PulseTrain(3, 0, 20, 0));
    EXPECT_FALSE(rig.link.PulseTrain(3, -10, 10, 0)) << "a negative division is no division";
    EXPECT_FALSE(rig.link.PulseTrain(3, 10, 25, 0));
    EXPECT_FALSE(rig.link.PulseTrain(3, 300, 60, 0));
    EXPECT_FALSE(rig.link.PulseTrain(3, 10, 20, 360));
    EXPECT_FALSE(rig.link.PulseTrain(16, 10, 20, 0)) << "the board has no channel 16";
    rig.pls.setScaleFactor(0);
    EXPECT_FALSE(rig.link.PulseTrain(1, 1, 1, 0));
    EXPECT_EQ(rig.prompt.requests(),
              (std::vector<MessageRequest>{
                  PulseRefusal({"ON Division and OFF Division Must be Greater Than 0."}),
                  PulseRefusal({"ON Division and OFF Division Must be Greater Than 0."}),
                  PulseRefusal({"ON Division Plus OFF Division", "Must be a Multiple of 360."}),
                  PulseRefusal({"ON Division or OFF Division Must be Less Than 255."}),
                  PulseRefusal({"Start Position Must Not Be Greater Than 359."}),
                  PulseRefusal({"Error Encountered while Programming Pulse Train."},
                               MessageIcon::Information),
                  PulseRefusal({"The Target Board Reports a PLS Scale Factor of 0."})}));
    EXPECT_EQ(rig.takeCount(0x2B), 1) << "only the request for channel 16 was sent";
    EXPECT_FALSE(rig.link.CommError);
}

TEST(PlsSetOffset, theNewOffsetMakesThePresentPositionReadAsWantedUpToTheScale) {
    PlsRig rig;
    rig.pls.setOffset(10);
    rig.pls.setPosition(100);
    EXPECT_TRUE(rig.link.SetPLSOffset(0));
    EXPECT_EQ(rig.takeTrace(), ReadWord(0x28, 10) + ReadWord(0x48, 100) + kReadScale +
                                   Handshake(0x2A) + Data({110, 0}) + kReadyPoll);
    EXPECT_EQ(rig.pls.offset(), 110);

    rig.pls.setOffset(10);
    rig.pls.setPosition(100);
    EXPECT_TRUE(rig.link.SetPLSOffset(200));
    EXPECT_EQ(rig.pls.offset(), 270);
    EXPECT_EQ(rig.pls.position(), 200);

    rig.board.clearTrace();
    EXPECT_FALSE(rig.link.SetPLSOffset(361));
    rig.pls.setScaleFactor(0);
    EXPECT_FALSE(rig.link.SetPLSOffset(0));
    EXPECT_EQ(rig.takeCount(0x2A), 0);
    EXPECT_EQ(rig.pls.offset(), 270);
    const auto refusal = [](const char* line) {
        return OkBox("Set PLS Offset", {line, "", "PLS Offset will not be Programmed."},
                     MessageIcon::Exclamation);
    };
    EXPECT_EQ(rig.prompt.requests(),
              (std::vector<MessageRequest>{
                  refusal("Desired Position cannot be greater than Scale Factor of 360."),
                  refusal("The Target Board Reports a PLS Scale Factor of 0.")}));
}

TEST(PlsReadyWait, aPlsThatStaysBusyGivesTheMessageAfterThreeSecondsAndCancelFailsTheLink) {
    PlsRig rig;
    rig.port.setEmulateLineSpeed(true); // polls take the time the wire takes
    rig.pls.setAlwaysBusy(true);
    std::optional<double> firstPoll;
    rig.board.setTraceSink([&](const sim::TraceEntry& entry) {
        if (entry.received == 0x38 && !firstPoll) firstPoll = rig.clock.monotonicSeconds();
    });
    std::vector<double> askedAfter;
    rig.prompt.answerNext(MessageAnswer::Retry);
    rig.prompt.onAsk([&](const MessageRequest&) {
        askedAfter.push_back(rig.clock.monotonicSeconds() - *firstPoll);
        // A request made while the message is open is refused without traffic.
        EXPECT_EQ(rig.link.PLSRpm(), "-9999");
    });

    EXPECT_FALSE(rig.link.ClearPLSChan(5));
    const MessageRequest notReady{"WARNING - Communication Error!",
                                  {"Cannot Determine PLS READY Mode Within Target Board."},
                                  MessageButtons::RetryCancel,
                                  MessageIcon::Critical};
    EXPECT_EQ(rig.prompt.requests(), (std::vector<MessageRequest>{notReady, notReady}));
    ASSERT_EQ(askedAfter.size(), 2u);
    EXPECT_NEAR(askedAfter[0], 3.0, 0.01);
    EXPECT_NEAR(askedAfter[1], 5.0, 0.01) << "Retry waits two seconds more";
    EXPECT_TRUE(rig.link.CommError);
    EXPECT_EQ(rig.link.CurrentMode(), 0);
}

TEST(PlsRecall, aListStartsAtItsFirstSetpointOnlyAfterAnotherChannelAndASequenceMakesSureOfIt) {
    PlsRig rig;
    rig.pls.setChannel(8, {{1, 20}, {0, 0x1FF}});
    rig.pls.setChannel(3, {{1, 7}});
    auto recall = [&](int channel) {
        const bool recalled = rig.link.RecallChannel(channel);
        return std::tuple{recalled, rig.link.ChannelRecallState(), rig.link.ChannelRecallPos()};
    };
    EXPECT_EQ(recall(8), std::tuple(true, 1, 20));
    EXPECT_EQ(rig.takeTrace(), Recall(8, 1, 20));
    EXPECT_EQ(recall(8), std::tuple(true, 0, 0x1FF));
    EXPECT_EQ(recall(8), std::tuple(true, 2, 0));
    EXPECT_EQ(recall(8), std::tuple(true, 2, 0)) << "past its end a list stays ended";
    EXPECT_EQ(recall(3), std::tuple(true, 1, 7));
    EXPECT_EQ(recall(8), std::tuple(true, 1, 20)) << "another channel came between";

    // A sequence starts with a recall of another channel, whose answer it drops.
    rig.board.clearTrace();
    EXPECT_TRUE(rig.link.RecallFirstSetpoint(8));
    EXPECT_EQ(std::pair(rig.link.ChannelRecallState(), rig.link.ChannelRecallPos()),
              std::pair(1, 20));
    EXPECT_EQ(rig.takeTrace(), Recall(0, 2, 0) + Recall(8, 1, 20));
    EXPECT_TRUE(rig.link.RecallFirstSetpoint(0));
    EXPECT_EQ(rig.takeTrace(), Recall(1, 2, 0) + Recall(0, 2, 0));

    // A position high byte above 16 fails with state 2 and position 0.
    rig.pls.setChannel(1, {{1, 0x10FF}, {1, 0x1100}});
    EXPECT_EQ(recall(1), std::tuple(true, 1, 0x10FF));
    EXPECT_EQ(recall(1), std::tuple(false, 2, 0));
    EXPECT_FALSE(rig.link.CommError);

    // Recalling a whole list reads it to its end and cuts off a list that never ends.
    rig.pls.setChannel(2, {{1, 5}, {0, 15}});
    EXPECT_EQ(recall(2), std::tuple(true, 1, 5));
    auto list = rig.link.RecallAllSetpoints(2);
    EXPECT_EQ(list.end, RSComm::RecallEnd::EndOfList);
    EXPECT_EQ(list.setpoints, (std::vector<RSComm::RecalledSetpoint>{{true, 5}, {false, 15}}));
    EXPECT_EQ(rig.link.RecallAllSetpoints(2).setpoints.size(), 2u) << "read again from the first";
    EXPECT_EQ(rig.link.RecallAllSetpoints(9).end, RSComm::RecallEnd::EndOfList);
    EXPECT_EQ(rig.link.RecallAllSetpoints(16).end, RSComm::RecallEnd::Failed);

    rig.pls.setEndlessRecall(true);
    rig.board.clearTrace();
    list = rig.link.RecallAllSetpoints(2, 5);
    EXPECT_EQ(list.end, RSComm::RecallEnd::CutOff);
    EXPECT_EQ(list.setpoints.size(), 5u);
    EXPECT_EQ(rig.takeCount(0x09), 7)
        << "one recall to start the list, five, and one past the bound to tell a cut-off";
}

TEST(PlsConfiguration, downloadWritesFourBlocksAndTheScaleUploadReadsItBackOrSaysItFailed) {
    PlsRig rig;
    RSComm::PlsConfigDownloadValues values{};
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<std::int16_t>(100 + i);
    values[0] = 0xFF;

    ASSERT_TRUE(rig.link.PLSConfigDownload(values, 720));
    Trace blocks;
    for (std::size_t k = 0; k < 4; ++k) {
        blocks = blocks + Handshake(0x3B + 0x10 * static_cast<int>(k));
        for (std::size_t i = 0; i < 6; ++i) blocks = blocks + Data({values[6 * k + i]});
        blocks = blocks + kReadyPoll;
    }
    EXPECT_EQ(rig.takeTrace(), blocks + Handshake(0x1A) + Data({0xD0, 0x02}) + kReadyPoll);
    EXPECT_EQ(rig.pls.scaleFactor(), 720);

    const RSComm::PlsConfiguration read = rig.link.PLSConfigUpload();
    // Channels were written at 18, the PLS program at 0, the speed compensations at 1..4, 6..9.
    EXPECT_EQ(std::vector<std::int16_t>(read.begin(), read.begin() + 10),
              (std::vector<std::int16_t>{118, 0xFF, 101, 102, 103, 104, 106, 107, 108, 109}));
    EXPECT_EQ(rig.takeTrace().size(), 2u + 19u);
    EXPECT_TRUE(rig.prompt.requests().empty());

    // A value that does not fit its byte, or a zero scale, sends nothing and says which.
    values[23] = 256;
    EXPECT_FALSE(rig.link.PLSConfigDownload(values, 360));
    values[23] = 0;
    EXPECT_FALSE(rig.link.PLSConfigDownload(values, 0));
    EXPECT_TRUE(rig.takeTrace().empty());
    const auto refused = [](const char* what) {
        return OkBox("PLS Download", {what, "", "PLS Configuration will not be Downloaded."},
                     MessageIcon::Exclamation);
    };
    EXPECT_EQ(rig.prompt.requests(),
              (std::vector<MessageRequest>{
                  refused("Configuration block 4, value 6 = 256 does not fit a byte (0-255)."),
                  refused("Scale Factor = 0 is outside 1-65535.")}));
    rig.prompt.clear();

    // A failed upload shows its message and returns the old values, partly overwritten.
    RSComm::PlsConfigDownloadValues sevens{};
    sevens.fill(7);
    ASSERT_TRUE(rig.link.PLSConfigDownload(sevens, 360));
    rig.board.stopAnsweringAfter(2 + 5); // the handshake and five bytes, then silence
    const RSComm::PlsConfiguration after = rig.link.PLSConfigUpload();
    EXPECT_TRUE(rig.link.CommError);
    ASSERT_EQ(rig.prompt.requests().size(), 2u);
    EXPECT_EQ(rig.prompt.requests()[0].title, "WARNING - Communication Error!");
    EXPECT_EQ(rig.prompt.requests()[1],
              OkBox("PLS Upload", {"Not able to Upload Configuration from PLS."},
                    MessageIcon::Exclamation));
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i], i < 5 ? 7 : read[i]) << "entry " << i;
}

} // namespace
} // namespace quelby::test
