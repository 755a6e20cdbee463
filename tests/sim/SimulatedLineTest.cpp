// The simulated line: its board, PLS and machine together, and the dump of what they hold.
#include "sim/SimulatedLine.h"
#include "sim/BoardDump.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quelby::sim {
namespace {

TEST(SimulatedLine, theMachinesSpeedDrivesTheResolverAndProgramModeIsClosedUntilArmed) {
    SimulatedLine line;
    line.start(0.0);
    const int before = line.pls().position();
    for (double t = 0.1; t <= 60.0; t += 0.1) line.tick(t);

    EXPECT_EQ(line.pls().rpm(), line.machine().resolverRpm());
    line.tick(60.05);
    EXPECT_NE(line.pls().position(), before);

    // The PLS and program mode behind the line's board are reached end to end by quelby-cli;
    // what only shows here is that program mode stays closed until the computer arms it.
    const auto enterProgramMode = [&] {
        line.board().receive(0xFF);
        return line.board().receive(0x03);
    };
    EXPECT_NE(enterProgramMode(), 0x55);
    line.board().setValue("B8181", 86);
    EXPECT_EQ(enterProgramMode(), 0x55);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> all;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) all.push_back(line);
    return all;
}

TEST(BoardDump, holdsCountsPlsStateAndEveryMemoryByteAtItsPlace) {
    SimulatedLine line;
    SimBoard& board = line.board();
    board.loseByteAt(1);
    for (int byte : {0xFF, 0x02, 0x12, 0x34, 0x5A}) board.receive(static_cast<std::uint8_t>(byte));
    board.poke(0x0000, 0x01);
    board.poke(0xFFFF, 0xEE);
    line.pls().setChannel(3, {{1, 10}, {0, 20}, {2, 0}});
    line.pls().setOffset(7);

    const auto text = lines(FormatBoardDump(board, line.pls()));
    ASSERT_EQ(text.size(), 4u + 16u + 2048u);
    EXPECT_EQ(text[0], "received 5");
    EXPECT_EQ(text[1], "lost 1");
    EXPECT_EQ(text[2], "pls scale 360 offset 7");
    EXPECT_EQ(text[3].substr(0, 13), "pls download ");
    EXPECT_EQ(text[3].size(), 12u + 24u * 3u);
    EXPECT_EQ(text[4], "pls channel 0:");
    EXPECT_EQ(text[7], "pls channel 3: ON 10 OFF 20 S2 0");
    // The write lost its mode byte: 0x12 0x34 0x5A never made a write, so 0x1234 stays 0.
    EXPECT_EQ(text[20], "memory 0000 01" + std::string(62, '0'));
    EXPECT_EQ(text[20 + 0x1220 / 32], "memory 1220 " + std::string(64, '0'));
    EXPECT_EQ(text.back(), "memory FFE0 " + std::string(62, '0') + "EE");
}

TEST(BoardDump, isWrittenWholeOrNotAtAll) {
    test::TempFolder dir;
    SimulatedLine line;
    line.board().poke(0x0100, 0x42);
    std::string error;
    ASSERT_TRUE(WriteBoardDump(dir.path() / "board.txt", line.board(), line.pls(), error));
    EXPECT_EQ(dir.read("board.txt"), FormatBoardDump(line.board(), line.pls()));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "board.txt.part"));

    const std::filesystem::path missing = dir.path() / "missing" / "board.txt";
    EXPECT_FALSE(WriteBoardDump(missing, line.board(), line.pls(), error));
    EXPECT_NE(error.find(missing.string()), std::string::npos) << error;
}

} // namespace
} // namespace quelby::sim
