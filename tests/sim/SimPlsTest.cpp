#include "sim/SimPls.h"
#include "sim/SimBoard.h"

#include <gtest/gtest.h>

#include <initializer_list>

using quelby::sim::PlsSetpoint;
using quelby::sim::SimBoard;
using quelby::sim::SimPls;

namespace {

struct PlsBoard {
    SimPls pls;
    SimBoard board;
    PlsBoard() { board.addHandler(pls); }

    void feed(std::initializer_list<std::uint8_t> bytes) {
        for (auto byte : bytes) board.receive(byte);
    }
};

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
    PlsBoard rig;
    rig.pls.setScaleFactor(100);
    // Channel 2 from 90: ON 20, OFF 30.
    rig.feed({0xFF, 0x2B, 2, 90, 0, 20, 30, 0, 0x38, 0x55, 0x55});
    EXPECT_EQ(rig.pls.channel(2), (std::vector<PlsSetpoint>{{1, 90}, {0, 10}, {1, 40}, {0, 60}}));

    rig.pls.setScaleFactor(0);
    rig.feed({0xFF, 0x2B, 2, 0, 0, 1, 1, 0, 0x38, 0x55, 0x55});
    EXPECT_TRUE(rig.pls.channel(2).empty());
}

} // namespace
