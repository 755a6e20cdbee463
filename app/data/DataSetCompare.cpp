#include "app/data/DataSetCompare.h"

#include "app/data/TransferRequest.h"
#include "link/BoardChangeLog.h"

#include <array>
#include <sstream>
#include <iomanip>

namespace quelby {
namespace {

struct NamedPoint {
    int index;
    const char* name;
};

// The points that are not part of a block of spindles.
constexpr std::array<NamedPoint, 33> kPointNames{{
    {0, "spindle #1 trip offset"},
    {25, "current shift: total good cans"},
    {26, "current shift: total blow-offs"},
    {27, "current shift: bad can blow-offs"},
    {28, "current shift: manual blow-offs"},
    {29, "current shift: Q.C. blow-offs"},
    {30, "current shift: restart blow-offs"},
    {55, "last shift: total good cans"},
    {56, "last shift: total blow-offs"},
    {57, "last shift: bad can blow-offs"},
    {58, "last shift: manual blow-offs"},
    {59, "last shift: Q.C. blow-offs"},
    {60, "last shift: restart blow-offs"},
    {85, "print carriage retract response time, msec"},
    {86, "print carriage extend response time, msec"},
    {87, "varnish unit retract response time, msec"},
    {88, "varnish unit extend response time, msec"},
    {89, "number of shifts to varnish unit"},
    {90, "number of pins to pin chain blow-off port"},
    {91, "number of cans from infeed to can PRX"},
    {92, "number of cans to blow off for each misload"},
    {93, "number of cans to blow off at infeed open"},
    {94, "number of cans to blow off from print at restart"},
    {95, "number of cans to blow off from varnish at restart"},
    {96, "Q.C. can blow-off port shift offset"},
    {97, "number of segments on blanket wheel"},
    {98, "bad can blow-off solenoid ON response time, msec"},
    {99, "bad can blow-off solenoid OFF response time, msec"},
    {100, "Q.C. can blow-off solenoid ON response time, msec"},
    {101, "Q.C. can blow-off solenoid OFF response time, msec"},
    {102, "DF1: Allen-Bradley PLC type"},
    {103, "DF1: destination PLC node number"},
    {104, "DF1: destination PLC starting file number"},
}};

std::string addressOf(const MachineData& data, int index) {
    const auto i = static_cast<std::size_t>(index);
    return i < data.Address.size() ? data.Address[i] : std::string();
}

void addValue(std::vector<DataSetDifference>& differences, DataSetDifference::Kind kind, int index,
              std::string name, std::int64_t first, std::int64_t second) {
    if (first == second) return;
    DataSetDifference difference;
    difference.kind = kind;
    difference.index = index;
    difference.name = std::move(name);
    difference.first = first;
    difference.second = second;
    differences.push_back(std::move(difference));
}

} // namespace

const char* DifferenceKindName(DataSetDifference::Kind kind) {
    switch (kind) {
    case DataSetDifference::Kind::DataPoint: return "dataPoint";
    case DataSetDifference::Kind::Address: return "address";
    case DataSetDifference::Kind::PlsField: return "plsField";
    case DataSetDifference::Kind::SpeedComp: return "speedComp";
    case DataSetDifference::Kind::Setpoint: return "setpoint";
    }
    return "";
}

std::string DataPointName(int index) {
    const auto spindle = [](const char* block, int number) {
        return std::string(block) + std::to_string(number);
    };
    if (index >= 1 && index <= 24) return spindle("trips of spindle ", index);
    if (index >= 31 && index <= 54) return spindle("current shift: trips of spindle ", index - 30);
    if (index >= 61 && index <= 84) return spindle("last shift: trips of spindle ", index - 60);
    for (const NamedPoint& point : kPointNames)
        if (point.index == index) return point.name;
    return {};
}

std::string ChannelName(int channel) { return PlsChannelName(channel); }

std::optional<CompareSections> ParseCompareSections(const std::string& list) {
    CompareSections sections{false, false, false};
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = list.find(',', start);
        const std::string name = list.substr(start, comma == std::string::npos ? comma : comma - start);
        if (name == "setup")
            sections.setup = true;
        else if (name == "timing")
            sections.timing = true;
        else if (name == "shift")
            sections.shift = true;
        else
            return std::nullopt;
        if (comma == std::string::npos) return sections;
        start = comma + 1;
    }
}

std::vector<DataSetDifference> OnlySections(const std::vector<DataSetDifference>& differences,
                                            const CompareSections& sections) {
    // The shift data are the data points a shift data transfer moves.
    const auto shiftPoints = TransferRequest{TransferDirection::Upload, TransferData::ShiftData}.dataPoints();
    std::vector<DataSetDifference> kept;
    for (const DataSetDifference& difference : differences) {
        const bool dataPoint = difference.kind == DataSetDifference::Kind::DataPoint ||
                               difference.kind == DataSetDifference::Kind::Address;
        const bool shift = dataPoint && difference.index >= shiftPoints->first &&
                           difference.index <= shiftPoints->last;
        const bool wanted = !dataPoint ? sections.timing : shift ? sections.shift : sections.setup;
        if (wanted) kept.push_back(difference);
    }
    return kept;
}

std::vector<DataSetDifference> CompareDataSets(const MachineData& first, const MachineData& second) {
    using Kind = DataSetDifference::Kind;
    std::vector<DataSetDifference> differences;
    for (int index = 0; index <= LastDataIndex; ++index) {
        const std::string address = addressOf(first, index);
        const std::string otherAddress = addressOf(second, index);
        if (address != otherAddress) {
            DataSetDifference difference;
            difference.kind = Kind::Address;
            difference.index = index;
            difference.address = address;
            difference.name = DataPointName(index);
            difference.firstText = address;
            difference.secondText = otherAddress;
            differences.push_back(std::move(difference));
        }
        const std::size_t before = differences.size();
        addValue(differences, Kind::DataPoint, index, DataPointName(index), PointValue(first, index),
                 PointValue(second, index));
        if (differences.size() > before) differences.back().address = address;
    }
    addValue(differences, Kind::PlsField, -1, "PLSChannels", first.PLSChannels, second.PLSChannels);
    addValue(differences, Kind::PlsField, -1, "PLSScale", first.PLSScale, second.PLSScale);
    addValue(differences, Kind::PlsField, -1, "ResolverOffset", first.ResolverOffset,
             second.ResolverOffset);
    addValue(differences, Kind::PlsField, -1, "PLSProgram", first.PLSProgram, second.PLSProgram);
    for (int k = 0; k < kSpeedCompCount; ++k)
        addValue(differences, Kind::SpeedComp, k, ChannelName(k) + " speed compensation",
                 first.SpeedComp[static_cast<std::size_t>(k)],
                 second.SpeedComp[static_cast<std::size_t>(k)]);
    for (int channel = 0; channel < kTimingChannelCount; ++channel) {
        const auto& a = first.Setpoint[static_cast<std::size_t>(channel)];
        const auto& b = second.Setpoint[static_cast<std::size_t>(channel)];
        addValue(differences, Kind::Setpoint, channel, ChannelName(channel) + " ON", a[kOnSetpoint],
                 b[kOnSetpoint]);
        addValue(differences, Kind::Setpoint, channel, ChannelName(channel) + " OFF",
                 a[kOffSetpoint], b[kOffSetpoint]);
    }
    return differences;
}

} // namespace quelby
