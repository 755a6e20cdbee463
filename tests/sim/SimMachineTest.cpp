#include "SimMachine.h"

#include "BoardAddress.h"
#include "SimBoard.h"

#include <gtest/gtest.h>

#include <string>

using quelby::LocalDateTime;
using quelby::sim::SimBoard;
using quelby::sim::SimMachine;

namespace {

constexpr double kStart = 5000.0;

// Writes a value as the link does: write requests on the wire, one per byte; a bit address
// rewrites its whole byte with the bit changed.
void writeOnWire(SimBoard& board, const std::string& address, std::uint32_t value) {
    const auto parsed = quelby::ParseAddress(address);
    ASSERT_TRUE(parsed);
    std::vector<std::uint8_t> bytes;
    if (parsed->isBitAddress) {
        const std::uint8_t byte = board.peek(static_cast<std::uint16_t>(parsed->byteAddress));
        bytes.push_back(
            static_cast<std::uint8_t>(value ? byte | parsed->bitMask : byte & ~parsed->bitMask));
    } else {
        bytes = quelby::EncodeValue(parsed->addrType, value);
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto at = static_cast<unsigned>(parsed->byteAddress + static_cast<int>(i));
        for (unsigned byte : {0xFFu, 0x02u, at >> 8, at & 0xFFu, unsigned{bytes[i]}})
            board.receive(static_cast<std::uint8_t>(byte));
    }
}

std::uint32_t read(const SimBoard& board, const std::string& address) {
    return board.value(address).value_or(99999999);
}

std::uint32_t sumOfSpindles(const SimBoard& board, int firstWord) {
    std::uint32_t sum = 0;
    for (int s = 0; s < SimMachine::kSpindles; ++s)
        sum += read(board, "W" + std::to_string(firstWord + 2 * s));
    return sum;
}

// A board with a started machine, run for `seconds` in half-second ticks.
struct Line {
    SimBoard board;
    SimMachine machine{board};
    double now = kStart;
    explicit Line(double seconds = 0) {
        machine.start(kStart);
        run(seconds);
    }
    void run(double seconds) {
        for (const double end = now + seconds; now < end;)
            machine.tick(now += 0.5);
    }
};

bool sameMemory(const SimBoard& a, const SimBoard& b) {
    for (unsigned address = 0; address < 65536; ++address)
        if (a.peek(static_cast<std::uint16_t>(address)) !=
            b.peek(static_cast<std::uint16_t>(address)))
            return false;
    return true;
}

} // namespace

TEST(SimMachineDeterminism, sameTimesGiveTheSameBoardWhateverTheTickSpacing) {
    Line a(900), b(900);
    EXPECT_TRUE(sameMemory(a.board, b.board));

    SimBoard coarse;
    SimMachine machine(coarse);
    machine.start(kStart);
    for (double t = kStart; t < kStart + 900; t += 7.3)
        machine.tick(t);
    machine.tick(kStart + 900);
    EXPECT_TRUE(sameMemory(a.board, coarse));
}

TEST(SimMachineStart, fillsDefaultsIdentityAndAHealthyBoard) {
    Line line;
    const SimBoard& board = line.board;
    EXPECT_EQ(read(board, "B1012"), 45u);
    EXPECT_EQ(read(board, "W1004"), 32u);
    EXPECT_EQ(read(board, "B1018"), 8u);
    EXPECT_EQ(read(board, "B1009"), 20u);
    EXPECT_EQ(read(board, "B4011"), 10u);
    EXPECT_EQ(read(board, "D1100"), 0u);
    EXPECT_EQ(read(board, "B8176"), 0u);
    EXPECT_NE(read(board, "B8159"), 0u);
    EXPECT_EQ(read(board, "F152"), 1u);
    std::string ident;
    for (int i = 0; i < 8 && board.peek(static_cast<std::uint16_t>(0xEFF0 + i)); ++i)
        ident += static_cast<char>(board.peek(static_cast<std::uint16_t>(0xEFF0 + i)));
    EXPECT_EQ(ident, "K650SIM");
}

TEST(SimMachineRunning, speedHoldsNearNominalAndCountersOnlyGoUp) {
    Line line;
    const char* counters[] = {"D1100", "D1104", "D1108", "D1112"};
    std::uint32_t last[4] = {};
    std::uint32_t lastTrips = 0, fastest = 0;
    for (int i = 0; i < 1200; ++i) {
        line.run(0.5);
        for (int c = 0; c < 4; ++c) {
            ASSERT_GE(read(line.board, counters[c]), last[c]) << counters[c] << " at " << i;
            last[c] = read(line.board, counters[c]);
        }
        ASSERT_GE(sumOfSpindles(line.board, 1124), lastTrips);
        lastTrips = sumOfSpindles(line.board, 1124);
        fastest = std::max(fastest, read(line.board, "W182"));
        EXPECT_EQ(line.machine.resolverRpm(), static_cast<int>(read(line.board, "W182")));
    }
    EXPECT_GE(fastest, 1150u);
    EXPECT_LE(fastest, 1250u);
    EXPECT_GT(last[0], 5000u); // ten minutes at speed
    EXPECT_GT(last[1], 0u);
    EXPECT_GT(lastTrips, 0u);
    EXPECT_EQ(sumOfSpindles(line.board, 1020), lastTrips); // no reset yet
}

TEST(SimMachineRunning, stoppedLineCountsNothingAndRestartBlowsOffTheSetUpCount) {
    Line line(60);
    line.machine.setMainDrive(false);
    line.run(10);
    const auto good = read(line.board, "D1100");
    const auto restart = read(line.board, "D1112");
    line.run(60);
    EXPECT_EQ(read(line.board, "D1100"), good);
    EXPECT_EQ(read(line.board, "W182"), 0u);
    EXPECT_EQ(read(line.board, "B121.4"), 1u); // zero speed output
    EXPECT_EQ(read(line.board, "B101.0"), 0u); // main drive input

    writeOnWire(line.board, "B1001", 10); // print cans at restart; varnish stays 4
    line.machine.setMainDrive(true);
    line.run(20);
    EXPECT_EQ(read(line.board, "D1112"), restart + 14);
    EXPECT_EQ(read(line.board, "B1001"), 10u);
}

TEST(SimMachineCommands, blowoffCommandCountsOneBlowoffAndTheFlagsReturnToZero) {
    Line line(5);
    line.machine.setMainDrive(false);
    line.run(10);
    const auto total = read(line.board, "D1104");
    writeOnWire(line.board, "B2088", 7);
    writeOnWire(line.board, "F825", 1);
    EXPECT_EQ(read(line.board, "D1120"), 0u); // not before F102
    writeOnWire(line.board, "F102", 1);
    EXPECT_EQ(read(line.board, "D1120"), 1u);
    EXPECT_EQ(read(line.board, "D1104"), total + 1);
    EXPECT_EQ(read(line.board, "F825"), 0u);
    EXPECT_EQ(read(line.board, "F102"), 0u);

    writeOnWire(line.board, "B2088", 26); // mandrel
    writeOnWire(line.board, "F825", 1);
    writeOnWire(line.board, "F102", 1);
    EXPECT_EQ(read(line.board, "D1116"), 1u);

    writeOnWire(line.board, "F102", 1); // not armed: acknowledged, nothing blown off
    writeOnWire(line.board, "F830", 1);
    EXPECT_EQ(read(line.board, "D1104"), total + 3);
    EXPECT_EQ(read(line.board, "F830"), 0u);
    EXPECT_EQ(read(line.board, "D1120") + read(line.board, "D1116"), 2u);
}

TEST(SimMachineCommands, resetTripsHeldKeepsTripsPerSpindleAtZero) {
    Line line(300);
    const auto shiftTrips = sumOfSpindles(line.board, 1124);
    ASSERT_GT(sumOfSpindles(line.board, 1020), 0u);
    writeOnWire(line.board, "B1016.0", 1);
    EXPECT_EQ(sumOfSpindles(line.board, 1020), 0u);
    EXPECT_EQ(read(line.board, "B598"), 0u);
    line.run(300);
    EXPECT_EQ(sumOfSpindles(line.board, 1020), 0u);
    EXPECT_GT(sumOfSpindles(line.board, 1124), shiftTrips); // the shift still counts them
    writeOnWire(line.board, "B1016.0", 0);
    line.run(300);
    EXPECT_GT(sumOfSpindles(line.board, 1020), 0u);
}

TEST(SimMachineCommands, endOfShiftMovesCurrentTotalsIntoTheLastShiftOnce) {
    Line line(300);
    line.machine.setMainDrive(false);
    line.run(10);
    const auto good = read(line.board, "D1100");
    const auto blowoffs = read(line.board, "D1104");
    const auto trips = sumOfSpindles(line.board, 1124);
    ASSERT_GT(good, 0u);
    writeOnWire(line.board, "F133", 1);
    EXPECT_EQ(read(line.board, "D1200"), good);
    EXPECT_EQ(read(line.board, "D1204"), blowoffs);
    EXPECT_EQ(sumOfSpindles(line.board, 1224), trips);
    EXPECT_EQ(read(line.board, "D1100"), 0u);
    EXPECT_EQ(read(line.board, "D1104"), 0u);
    EXPECT_EQ(sumOfSpindles(line.board, 1124), 0u);
    EXPECT_EQ(read(line.board, "B101.5"), 0u); // shown from the next scan on
    line.run(1);
    EXPECT_EQ(read(line.board, "B101.5"), 1u);

    writeOnWire(line.board, "F133", 1); // still held: no second transfer
    EXPECT_EQ(read(line.board, "D1200"), good);
}

TEST(SimMachineClock, runsWithTimeAndRunsOnFromAWrittenTime) {
    SimBoard board;
    SimMachine machine(board);
    machine.start(kStart, LocalDateTime{2026, 12, 31, 23, 59, 50, 0});
    EXPECT_EQ(read(board, "B43008"), 50u);
    machine.tick(kStart + 15.05);
    EXPECT_EQ(read(board, "B43017"), 27u);
    EXPECT_EQ(read(board, "B43016"), 1u);
    EXPECT_EQ(read(board, "B43015"), 1u);
    EXPECT_EQ(read(board, "B43012"), 0u);
    EXPECT_EQ(read(board, "B43010"), 0u);
    EXPECT_EQ(read(board, "B43008"), 5u);
    EXPECT_EQ(read(board, "B43014"), 6u); // Friday

    writeOnWire(board, "B43012", 14);
    machine.tick(kStart + 75.05);
    EXPECT_EQ(read(board, "B43012"), 14u);
    EXPECT_EQ(read(board, "B43010"), 1u);
    EXPECT_EQ(read(board, "B43008"), 5u);
}
