// The simulated board's byte protocol, its faults and its PLS.
#include "sim/SimBoard.h"
#include "sim/SimPls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

using quelby::sim::PlsSetpoint;
using quelby::sim::SimBoard;
using quelby::sim::SimPls;

namespace {

// Feeds the bytes one by one; the answers as trace-style text, "--" where none came.
std::string answers(SimBoard& board, std::initializer_list<std::uint8_t> bytes) {
    std::string text;
    for (auto byte : bytes) {
        const auto answer = board.receive(byte);
        text += (text.empty() ? "" : " ") + quelby::sim::FormatTraceEntry({byte, answer}).substr(3);
    }
    return text;
}

} // namespace

// 0xFF as an address or data byte, and a handshake restarted, are met by the link's tests
// (RSCommProtocol, LostByte) against this board's trace.
TEST(SimBoardProtocol, anUnexpectedByteIsAnsweredZeroAndLeavesTheBoardIdle) {
    SimBoard fresh;
    EXPECT_EQ(answers(fresh, {0x01}), "00");
    EXPECT_EQ(answers(fresh, {0xFF, 0x09, 0x01}), "55 00 00");
    EXPECT_EQ(fresh.mode(), SimBoard::Mode::Idle);
}
TEST(SimBoardValues, aBitValueChangesOnlyItsBitAndValuesOutOfTheirItemsRangeAreRefused) {
    SimBoard board;
    board.poke(1016, 0x81);
    ASSERT_TRUE(board.setValue("B1016.3", 1));
    ASSERT_TRUE(board.setValue("B1016.0", 0));
    EXPECT_EQ(board.peek(1016), 0x88);
    EXPECT_EQ(board.value("B1016.3"), 1u);
    for (auto [address, value] : {std::pair{"B1016.3", 2u}, {"B10", 256u}, {"W10", 65536u}, {"X10", 1u}})
        EXPECT_FALSE(board.setValue(address, value)) << address;
}

// A byte lost at a given place is met through the link (LostByte, ProgramUpload) and end to
// end with its trace (CliTrust).
TEST(SimBoardFaults, randomLossRepeatsWithItsSeed) {
    auto lossPattern = [](std::uint32_t seed) {
        SimBoard lossy;
        lossy.setLossRate(0.25, seed);
        std::string pattern;
        for (int i = 0; i < 200; ++i) pattern += lossy.receive(0x00) ? '.' : 'x';
        return pattern;
    };
    const std::string first = lossPattern(7);
    EXPECT_EQ(first, lossPattern(7));
    EXPECT_NE(first, lossPattern(8));
    const auto lost = std::count(first.begin(), first.end(), 'x');
    EXPECT_GT(lost, 25);
    EXPECT_LT(lost, 75);
}

TEST(SimPlsResolver, positionFollowsTheSpeedAndReadsRelativeToTheOffset) {
    SimPls pls;
    pls.setRpm(60); // one turn a second
    pls.advanceTo(500.0);
    EXPECT_EQ(pls.position(), 0) << "the first time only sets the base";
    pls.advanceTo(500.25);
    EXPECT_EQ(pls.position(), 90);
    pls.advanceTo(501.25);
    EXPECT_EQ(pls.position(), 90) << "a whole turn later";

    pls.setOffset(100);
    EXPECT_EQ(pls.position(), 350);
    pls.setPosition(5);
    EXPECT_EQ(pls.position(), 5);

    pls.setScaleFactor(0);
    pls.advanceTo(600.0);
    EXPECT_EQ(pls.position(), 0);
}

TEST(SimPlsRequests, pulseTrainRepeatsAroundTheScaleAndAZeroScaleLeavesTheChannelClear) {
    SimPls pls;
    SimBoard board;
    board.addHandler(pls);
    pls.setScaleFactor(100);
    // Channel 2 from 90: ON 20, OFF 30.
    answers(board, {0xFF, 0x2B, 2, 90, 0, 20, 30, 0, 0x38, 0x55, 0x55});
    EXPECT_EQ(pls.channel(2), (std::vector<PlsSetpoint>{{1, 90}, {0, 10}, {1, 40}, {0, 60}}));

    pls.setScaleFactor(0);
    answers(board, {0xFF, 0x2B, 2, 0, 0, 1, 1, 0, 0x38, 0x55, 0x55});
    EXPECT_TRUE(pls.channel(2).empty());
}
