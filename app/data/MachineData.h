#pragma once

#include "link/ProgramVersion.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quelby {

// Highest data point index: 105 data points, 0..104.
inline constexpr int LastDataIndex = 104;
inline constexpr int kDataPointCount = LastDataIndex + 1;
inline constexpr int kTimingChannelCount = 16;
inline constexpr int kSpeedCompCount = 8;
inline constexpr int kOnSetpoint = 0;
inline constexpr int kOffSetpoint = 1;

// The running program's version as set-up files record it ("QUELBY_R2.2.4").
inline constexpr const char* ProgramVersion = kVersionRecord;
std::string VersionText(int major, int minor, int revision);

// Everything the program uploads from the board, edits and downloads again, in the order of
// the set-up file.
struct MachineData {
    std::string Version;
    std::vector<std::string> Address; // board address of each data point
    std::vector<std::int32_t> Value;  // value of each data point
    std::int16_t PLSChannels = 0;
    std::int16_t PLSScale = 0;
    std::int16_t ResolverOffset = 0;
    std::int16_t PLSProgram = 0;
    std::array<std::int16_t, kSpeedCompCount> SpeedComp{};
    // [channel][kOnSetpoint / kOffSetpoint]
    std::array<std::array<std::int16_t, 2>, kTimingChannelCount> Setpoint{};

    bool operator==(const MachineData&) const = default;
};

// The value of data point `index`; 0 for a point the data set does not hold. Never fails.
std::int32_t PointValue(const MachineData& data, int index);

// Which transfer moves a data point: 0 and 85..104 are set-up parameters, 1..84 shift data.
enum class TransferGroup { Setup, ShiftData };
TransferGroup TransferGroupOf(int index);

// The built-in data set: every data point's address and default value, the PLS defaults and
// the default timing channel setpoints, with Version = ProgramVersion.
MachineData BuildDefaultData();

} // namespace quelby
