#pragma once

#include "app/data/MachineData.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Data sets side by side: which data points, PLS fields and channel setpoints differ, named
// as a service engineer knows them.
namespace quelby {

struct DataSetDifference {
    enum class Kind { DataPoint, Address, PlsField, SpeedComp, Setpoint };
    Kind kind = Kind::DataPoint;
    // Data point index (DataPoint, Address), speed compensation 0..7, channel 0..15; -1 for
    // the other PLS fields.
    int index = -1;
    std::string address; // the data point's address in the first data set ("" for others)
    std::string name;    // what the item is: "current shift: total good cans", "CH03 ON"
    // The two values; for Address the texts are in firstText/secondText and both values 0.
    std::int64_t first = 0;
    std::int64_t second = 0;
    std::string firstText;
    std::string secondText;
};

// The name of a kind as the machine-readable output gives it: "dataPoint", "address",
// "plsField", "speedComp", "setpoint".
const char* DifferenceKindName(DataSetDifference::Kind kind);

// The meaning of data point `index` ("trips of spindle 3", "print carriage retract response
// time, msec"); "" for an index outside 0..LastDataIndex.
std::string DataPointName(int index);

// Channel names as the timing window writes them, in octal: channel 8 is "CH10".
std::string ChannelName(int channel);

// Every item of data points 0..LastDataIndex (a point missing from a data set counts as
// value 0 with an empty address), the four PLS fields, the speed compensations and the
// setpoints that differs between `first` and `second`, in that order. An address that differs
// is listed as an Address difference before the point's value. The version texts are not
// compared. Never fails.
std::vector<DataSetDifference> CompareDataSets(const MachineData& first, const MachineData& second);

// The parts of a data set a comparison may be limited to: the set-up parameters (data point 0
// and 85 on), the timing (PLS fields, speed compensations, setpoints) and the shift data
// (data points 1..84), which on a running line always differ.
struct CompareSections {
    bool setup = true;
    bool timing = true;
    bool shift = true;
};
inline constexpr const char* kCompareSectionNames = "setup, timing, shift";

// A comma-separated list of section names ("setup,timing"); nullopt for an empty list or an
// unknown name.
std::optional<CompareSections> ParseCompareSections(const std::string& list);

// The differences that lie in the chosen sections, in their order. Never fails.
std::vector<DataSetDifference> OnlySections(const std::vector<DataSetDifference>& differences,
                                            const CompareSections& sections);

} // namespace quelby
