#include "SimulatedLine.h"

#include <gtest/gtest.h>

namespace quelby::sim {
namespace {

TEST(SimulatedLine, theMachinesSpeedDrivesTheResolverTheLinkReads) {
    SimulatedLine line;
    line.start(0.0);
    const int before = line.pls().position();
    for (double t = 0.1; t <= 60.0; t += 0.1) line.tick(t);

    EXPECT_GT(*line.board().value("W182"), 0u);
    EXPECT_GT(*line.board().value("D1100"), 0u);
    EXPECT_EQ(line.pls().rpm(), line.machine().resolverRpm());
    line.tick(60.05);
    EXPECT_NE(line.pls().position(), before);
}

TEST(SimulatedLine, theBoardAnswersPlsAndProgramModeRequests) {
    SimulatedLine line;
    line.start(0.0);
    // Read the scale factor: handshake with mode byte 0x18, then fetch low and high.
    EXPECT_EQ(line.board().receive(0xFF), 0x55);
    EXPECT_EQ(line.board().receive(0x18), 0x55);
    EXPECT_EQ(line.board().receive(0x55), 360 % 256);
    EXPECT_EQ(line.board().receive(0x55), 360 / 256);
    // Program mode is closed until the computer arms it.
    EXPECT_EQ(line.board().receive(0xFF), 0x55);
    EXPECT_NE(line.board().receive(0x03), 0x55);
    line.board().setValue("B8181", 86);
    EXPECT_EQ(line.board().receive(0xFF), 0x55);
    EXPECT_EQ(line.board().receive(0x03), 0x55);
    EXPECT_TRUE(line.programMode().active());
}

} // namespace
} // namespace quelby::sim
