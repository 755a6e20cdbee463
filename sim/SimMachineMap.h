#pragma once

// Where the simulated machine lives in the board's memory, and how its values sit there.
// Shared by the machine's source files only.

#include "link/BoardAddress.h"
#include "link/Clock.h"
#include "sim/SimBoard.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quelby::sim::machine {

// One bit of a board byte; flags are packed eight to a byte from byte 32 up.
struct BoardBit {
    std::uint16_t byte;
    std::uint8_t mask;
};
constexpr BoardBit Flag(int number) {
    return {static_cast<std::uint16_t>(32 + number / 8),
            static_cast<std::uint8_t>(1u << (number % 8))};
}

// Line state.
inline constexpr std::uint16_t kSpeed = 182;
inline constexpr std::uint16_t kGoodCans = 1100;
inline constexpr std::uint16_t kTotalBlowoffs = 1104;
inline constexpr std::uint16_t kBadCanBlowoffs = 1108;
inline constexpr std::uint16_t kRestartBlowoffs = 1112;
inline constexpr std::uint16_t kManualBlowoffs = 1116;
inline constexpr std::uint16_t kQcBlowoffs = 1120;
inline constexpr std::uint16_t kTripsPerSpindle = 1020; // W1020..W1066
inline constexpr std::uint16_t kShiftTrips = 1124;      // W1124..W1170
inline constexpr std::uint16_t kCurrentShiftFirst = 1100;
inline constexpr std::uint16_t kCurrentShiftEnd = 1172; // one past W1170
inline constexpr std::uint16_t kLastShiftOffset = 100;  // D1200 = D1100 + 100
inline constexpr std::uint16_t kTrippedSpindle = 598;

// Commands.
inline constexpr std::uint16_t kBlowoffCode = 2088;
inline constexpr BoardBit kBlowoffArmed = Flag(825);
inline constexpr BoardBit kBlowoffGo = Flag(102);
inline constexpr BoardBit kBadCanTest = Flag(830);
inline constexpr BoardBit kEndOfShift = Flag(133);
inline constexpr BoardBit kResetTrips{1016, 0x01};

// Set-up data points the line follows.
inline constexpr std::uint16_t kPrintRestartCans = 1001;
inline constexpr std::uint16_t kVarnishRestartCans = 1002;
inline constexpr std::uint16_t kMisloadCans = 1003;
inline constexpr std::uint16_t kTripOffset = 1011;

// I/O.
inline constexpr std::uint16_t kSlot00Inputs = 100;
inline constexpr std::uint16_t kSlot01Inputs = 110;
inline constexpr std::uint16_t kSlot02Outputs = 120;
inline constexpr std::uint16_t kTimingOutputs = 170;
inline constexpr BoardBit kCanSensor = Flag(16);
inline constexpr BoardBit kSpindleSensor = Flag(17);
inline constexpr std::uint16_t kAnalogIn0 = 162;
inline constexpr std::uint16_t kAnalogIn1 = 164;
inline constexpr std::uint16_t kAnalogOut0 = 166;
inline constexpr std::uint16_t kAnalogOut1 = 167;
inline constexpr std::uint16_t kResolverPosition = 180;
inline constexpr std::uint16_t kResolverPeriod = 184;
inline constexpr std::uint16_t kScaleFactor = 186;
inline constexpr std::uint16_t kResolverOffset = 188;

// Board clock, laid out as a real-time clock chip: alarm bytes between the fields.
inline constexpr std::uint16_t kClockSecond = 43008;
inline constexpr std::uint16_t kClockMinute = 43010;
inline constexpr std::uint16_t kClockHour = 43012;
inline constexpr std::uint16_t kClockWeekday = 43014;
inline constexpr std::uint16_t kClockDay = 43015;
inline constexpr std::uint16_t kClockMonth = 43016;
inline constexpr std::uint16_t kClockYear = 43017;

// DF1 link to the PLC.
inline constexpr std::uint16_t kDf1Transaction = 4016;
inline constexpr std::uint16_t kDf1ActiveCommand = 4014;
inline constexpr std::uint16_t kDf1BytesReceived = 4026;
inline constexpr std::uint16_t kDf1TransmitStatus = 4021;
inline constexpr std::uint16_t kDf1TransactionReceived = 4304;
inline constexpr int kStepsPerDf1Transaction = 5;

inline constexpr std::uint16_t kIdentity = 0xEFF0; // 8 ident characters, checksum, revision

// Board words and double words, as the board stores them.
// Board words and double words, as the board stores them; values past the largest saturate.
inline std::uint32_t Word(const SimBoard& board, std::uint16_t address) {
    return board.peek(address) | static_cast<std::uint32_t>(board.peek(address + 1)) << 8;
}
inline void SetWord(SimBoard& board, std::uint16_t address, std::uint32_t value) {
    value = std::min(value, kMaxWordValue);
    board.poke(address, static_cast<std::uint8_t>(value & 0xFF));
    board.poke(static_cast<std::uint16_t>(address + 1), static_cast<std::uint8_t>(value >> 8));
}
inline std::uint32_t Double(const SimBoard& board, std::uint16_t address) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(4);
    for (int i = 0; i < 4; ++i)
        bytes.push_back(board.peek(static_cast<std::uint16_t>(address + i)));
    return DecodeValue('D', bytes);
}
inline void SetDouble(SimBoard& board, std::uint16_t address, std::uint32_t value) {
    const auto bytes = EncodeValue('D', std::min(value, kMaxDoubleValue));
    for (std::size_t i = 0; i < bytes.size(); ++i)
        board.poke(static_cast<std::uint16_t>(address + i), bytes[i]);
}
inline void AddDouble(SimBoard& board, std::uint16_t address, std::uint32_t count) {
    if (count) SetDouble(board, address, Double(board, address) + count);
}
inline bool IsSet(const SimBoard& board, BoardBit bit) {
    return (board.peek(bit.byte) & bit.mask) != 0;
}
inline void SetBit(SimBoard& board, BoardBit bit, bool on) {
    const std::uint8_t byte = board.peek(bit.byte);
    board.poke(bit.byte, static_cast<std::uint8_t>(on ? byte | bit.mask : byte & ~bit.mask));
}
// Resolver divisions per turn: W186, or 360 while it holds 0.
inline int ResolverScale(const SimBoard& board) {
    const auto scale = static_cast<int>(Word(board, kScaleFactor));
    return scale > 0 ? scale : 360;
}
inline std::uint16_t SpindleWord(std::uint16_t first, int spindle) {
    return static_cast<std::uint16_t>(first + 2 * (spindle - 1));
}

// A calendar time `seconds` after `from`, its weekday set; the fields of `from` must be valid.
LocalDateTime AddSeconds(const LocalDateTime& from, long long seconds);
// Brings every field into its range (day within its month); never fails.
LocalDateTime ValidDate(LocalDateTime date);

} // namespace quelby::sim::machine
