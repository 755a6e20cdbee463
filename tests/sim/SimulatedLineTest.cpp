#include "sim/SimulatedLine.h"

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

// The PLS and program mode behind the line's board are reached end to end by quelby-cli;
// what only shows here is that program mode stays closed until the computer arms it.
TEST(SimulatedLine, programModeIsClosedUntilTheComputerArmsIt) {
    SimulatedLine line;
    line.start(0.0);
    const auto enterProgramMode = [&] {
        line.board().receive(0xFF);
        return line.board().receive(0x03);
    };
    EXPECT_NE(enterProgramMode(), 0x55);
    line.board().setValue("B8181", 86);
    EXPECT_EQ(enterProgramMode(), 0x55);
}

} // namespace
} // namespace quelby::sim
