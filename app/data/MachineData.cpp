#include "app/data/MachineData.h"

namespace quelby {
namespace {

std::string word(int address) { return "W" + std::to_string(address); }

struct FixedPoint {
    int index;
    const char* address;
    std::int32_t value;
};

// The data points that are not part of a block of spindles.
constexpr FixedPoint kFixedPoints[] = {
    {0, "B1011", 0},     {25, "D1100", 0},   {26, "D1104", 0},  {27, "D1108", 0},
    {28, "D1116", 0},    {29, "D1120", 0},   {30, "D1112", 0},  {55, "D1200", 0},
    {56, "D1204", 0},    {57, "D1208", 0},   {58, "D1216", 0},  {59, "D1220", 0},
    {60, "D1212", 0},    {85, "B1012", 45},  {86, "B1013", 45}, {87, "B1014", 60},
    {88, "B1015", 60},   {89, "B1017", 5},   {90, "W1004", 32}, {91, "B1019", 6},
    {92, "B1003", 3},    {93, "B1000", 6},   {94, "B1001", 4},  {95, "B1002", 4},
    {96, "B1010", 1},    {97, "B1018", 8},   {98, "B1006", 15}, {99, "B1007", 20},
    {100, "B1008", 15},  {101, "B1009", 20}, {102, "B4001.0", 0}, {103, "B4050", 1},
    {104, "B4011", 10},
};

constexpr std::array<std::array<std::int16_t, 2>, kTimingChannelCount> kDefaultSetpoints{{
    {20, 60}, {10, 50}, {180, 0}, {60, 250}, {30, 200}, {250, 290}, {255, 295}, {0, 140},
    {0, 180}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0},
}};

} // namespace

std::string VersionText(int major, int minor, int revision) {
    return "QUELBY_R" + std::to_string(major) + "." + std::to_string(minor) + "." +
           std::to_string(revision);
}

std::int32_t PointValue(const MachineData& data, int index) {
    const auto i = static_cast<std::size_t>(index);
    return index >= 0 && i < data.Value.size() ? data.Value[i] : 0;
}

TransferGroup TransferGroupOf(int index) {
    return (index == 0 || index >= 85) ? TransferGroup::Setup : TransferGroup::ShiftData;
}

MachineData BuildDefaultData() {
    MachineData data;
    data.Version = ProgramVersion;
    data.Address.assign(kDataPointCount, "");
    data.Value.assign(kDataPointCount, 0);
    // Trips per spindle, then the current and last shift's trips, spindles 1..24.
    for (int spindle = 0; spindle < 24; ++spindle) {
        const auto at = static_cast<std::size_t>(spindle);
        data.Address[1 + at] = word(1020 + 2 * spindle);
        data.Address[31 + at] = word(1124 + 2 * spindle);
        data.Address[61 + at] = word(1224 + 2 * spindle);
    }
    for (const FixedPoint& point : kFixedPoints) {
        data.Address[static_cast<std::size_t>(point.index)] = point.address;
        data.Value[static_cast<std::size_t>(point.index)] = point.value;
    }
    data.PLSChannels = 16;
    data.PLSScale = 360;
    data.ResolverOffset = 0;
    data.PLSProgram = 0;
    data.Setpoint = kDefaultSetpoints;
    return data;
}

} // namespace quelby
