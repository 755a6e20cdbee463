#include "sim/SimMachine.h"

#include "link/BoardAddress.h"
#include "sim/SimBoard.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using quelby::LocalDateTime;
using quelby::sim::SimBoard;
using quelby::sim::SimMachine;

namespace {

constexpr double kStart = 5000.0;

// A board with a started machine, run for `seconds` in half-second ticks.
struct Line {
    SimBoard board;
    SimMachine machine{board};
    double now = kStart;
    explicit Line(double seconds = 0, std::optional<LocalDateTime> clock = {}) {
        clock ? machine.start(kStart, *clock) : machine.start(kStart);
        run(seconds);
    }
    void run(double seconds) {
        for (const double end = now + seconds; now < end;)
            machine.tick(now += 0.5);
    }
    std::uint32_t operator[](const std::string& address) const {
        return board.value(address).value_or(99999999);
    }
    std::uint32_t sumOfSpindles(int firstWord) const {
        std::uint32_t sum = 0;
        for (int s = 0; s < SimMachine::kSpindles; ++s)
            sum += (*this)["W" + std::to_string(firstWord + 2 * s)];
        return sum;
    }
    // Writes a value as the link does: write requests on the wire, one per byte; a bit
    // address rewrites its whole byte with the bit changed.
    void write(const std::string& address, std::uint32_t value) {
        const auto entry = quelby::CheckEntry(address, std::to_string(value));
        const auto start = static_cast<unsigned>(entry.address.byteAddress);
        const auto bytes = quelby::BytesToWrite(entry, board.peek(static_cast<std::uint16_t>(start)));
        for (unsigned at = start; at < start + bytes.size(); ++at)
            for (unsigned byte : {0xFFu, 0x02u, at >> 8, at & 0xFFu, unsigned{bytes[at - start]}})
                board.receive(static_cast<std::uint8_t>(byte));
    }
};

} // namespace

TEST(SimMachineDeterminism, sameTimesGiveTheSameBoardWhateverTheTickSpacing) {
    Line fine(900), coarse;
    for (double t = kStart; t < kStart + 900; t += 7.3) coarse.machine.tick(t);
    coarse.machine.tick(kStart + 900);
    for (unsigned a = 0; a < 0x10000; ++a) {
        const auto address = static_cast<std::uint16_t>(a);
        ASSERT_EQ(fine.board.peek(address), coarse.board.peek(address)) << a;
    }
}

TEST(SimMachineRunning, speedHoldsNearNominalAndCountersOnlyGoUp) {
    Line line;
    const char* counters[] = {"D1100", "D1104", "D1108", "D1112"};
    std::uint32_t last[4] = {};
    std::uint32_t lastTrips = 0, fastest = 0;
    for (int i = 0; i < 1200; ++i) {
        line.run(0.5);
        for (int c = 0; c < 4; ++c) {
            ASSERT_GE(line[counters[c]], last[c]) << counters[c] << " at " << i;
            last[c] = line[counters[c]];
        }
        ASSERT_GE(line.sumOfSpindles(1124), lastTrips);
        lastTrips = line.sumOfSpindles(1124);
        fastest = std::max(fastest, line["W182"]);
        EXPECT_EQ(line.machine.resolverRpm(), static_cast<int>(line["W182"]));
    }
    EXPECT_GE(fastest, 1150u);
    EXPECT_LE(fastest, 1250u);
    EXPECT_GT(last[0], 5000u); // ten minutes at speed
    EXPECT_GT(last[1], 0u);
    EXPECT_GT(lastTrips, 0u);
    EXPECT_EQ(line.sumOfSpindles(1020), lastTrips); // no reset yet
}

TEST(SimMachineStopped, countsNothingTakesBlowoffCommandsAndBlowsOffTheSetUpCountAtRestart) {
    Line line(60);
    line.machine.setMainDrive(false);
    line.run(10);
    const auto good = line["D1100"];
    const auto total = line["D1104"];
    const auto restart = line["D1112"];
    line.run(60);
    EXPECT_EQ(line["D1100"], good);
    EXPECT_EQ(line["W182"], 0u);
    EXPECT_EQ(line["B121.4"], 1u); // zero speed output
    EXPECT_EQ(line["B101.0"], 0u); // main drive input

    line.write("B2088", 7);
    line.write("F825", 1);
    EXPECT_EQ(line["D1120"], 0u); // not before F102
    line.write("F102", 1);
    EXPECT_EQ(line["D1120"], 1u);
    EXPECT_EQ(line["D1104"], total + 1);
    EXPECT_EQ(line["F825"] + line["F102"], 0u);
    line.write("B2088", 26); // mandrel
    line.write("F825", 1);
    line.write("F102", 1);
    EXPECT_EQ(line["D1116"], 1u);
    line.write("B2088", 0); // no spindle: armed, yet nothing blown off
    line.write("F825", 1);
    line.write("F102", 1);
    line.write("F102", 1); // not armed: acknowledged, nothing blown off
    line.write("F830", 1);
    EXPECT_EQ(line["D1104"], total + 3);
    EXPECT_EQ(line["F830"], 0u);
    EXPECT_EQ(line["D1120"] + line["D1116"], 2u);

    line.write("B1001", 10); // print cans at restart; varnish stays 4
    line.machine.setMainDrive(true);
    line.run(20);
    EXPECT_EQ(line["D1112"], restart + 14);
}

TEST(SimMachineCommands, resetTripsHeldKeepsTripsPerSpindleAtZeroAndEndOfShiftMovesTotals) {
    Line line(300);
    const auto shiftTrips = line.sumOfSpindles(1124);
    ASSERT_GT(line.sumOfSpindles(1020), 0u);
    line.write("B1016.0", 1);
    EXPECT_EQ(line.sumOfSpindles(1020), 0u);
    EXPECT_EQ(line["B598"], 0u);
    line.run(300);
    EXPECT_EQ(line.sumOfSpindles(1020), 0u);
    EXPECT_GT(line.sumOfSpindles(1124), shiftTrips); // the shift still counts them
    line.write("B1016.0", 0);
    line.run(300);
    EXPECT_GT(line.sumOfSpindles(1020), 0u);

    // End of shift moves the current totals into the last shift, once.
    line.machine.setMainDrive(false);
    line.run(10);
    const auto good = line["D1100"];
    const auto blowoffs = line["D1104"];
    const auto trips = line.sumOfSpindles(1124);
    ASSERT_GT(good, 0u);
    line.write("F133", 1);
    EXPECT_EQ(line["D1200"], good);
    EXPECT_EQ(line["D1204"], blowoffs);
    EXPECT_EQ(line.sumOfSpindles(1224), trips);
    EXPECT_EQ(line["D1100"] + line["D1104"] + line.sumOfSpindles(1124), 0u);
    EXPECT_EQ(line["B101.5"], 0u); // shown from the next scan on
    line.run(1);
    EXPECT_EQ(line["B101.5"], 1u);

    line.write("F133", 1); // still held: no second transfer
    EXPECT_EQ(line["D1200"], good);
}

TEST(SimMachineClock, runsWithTimeAndRunsOnFromAWrittenTime) {
    Line line(0, LocalDateTime{2026, 12, 31, 23, 59, 50, 0});
    EXPECT_EQ(line["B43008"], 50u);
    line.machine.tick(kStart + 15.05);
    std::string clock;
    for (const char* field : {"B43017", "B43016", "B43015", "B43012", "B43010", "B43008", "B43014"})
        clock += std::to_string(line[field]) + " ";
    EXPECT_EQ(clock, "27 1 1 0 0 5 6 ") << "year month day hour minute second weekday (Friday)";

    line.write("B43012", 14);
    line.machine.tick(kStart + 75.05);
    EXPECT_EQ(line["B43012"], 14u);
    EXPECT_EQ(line["B43010"], 1u);
    EXPECT_EQ(line["B43008"], 5u);
}
