#include "app/data/BoardCompare.h"

#include <algorithm>

namespace quelby {
namespace {

bool IsDataPoint(const DataSetDifference& difference) {
    return difference.kind == DataSetDifference::Kind::DataPoint ||
           difference.kind == DataSetDifference::Kind::Address;
}

// "12 B1012 print carriage retract response time, msec", "CH03 ON"
std::string WhatOf(int index, const std::string& address, const std::string& name) {
    return std::to_string(index) + " " + (address.empty() ? "-" : address) + " " + name;
}

} // namespace

std::vector<BoardCompareRow> BoardCompareRows(const MachineData& dataSet, const MachineData& board,
                                              const std::vector<int>& unreadPoints, bool timingRead,
                                              const CompareSections& sections) {
    const auto unread = [&](int index) {
        return std::find(unreadPoints.begin(), unreadPoints.end(), index) != unreadPoints.end();
    };
    std::vector<DataSetDifference> differences = OnlySections(CompareDataSets(dataSet, board), sections);
    std::vector<BoardCompareRow> rows;
    for (const DataSetDifference& difference : differences) {
        if (IsDataPoint(difference) && unread(difference.index)) continue;
        if (!IsDataPoint(difference) && !timingRead) continue;
        if (difference.kind == DataSetDifference::Kind::Address) {
            rows.push_back({WhatOf(difference.index, difference.address, difference.name) + " (address)",
                            difference.firstText, difference.secondText});
        } else if (difference.kind == DataSetDifference::Kind::DataPoint) {
            rows.push_back({WhatOf(difference.index, difference.address, difference.name),
                            std::to_string(difference.first), std::to_string(difference.second)});
        } else {
            rows.push_back({difference.name, std::to_string(difference.first),
                            std::to_string(difference.second)});
        }
    }
    // The points the board did not confirm, where the chosen sections hold them.
    for (int index : unreadPoints) {
        DataSetDifference probe;
        probe.kind = DataSetDifference::Kind::DataPoint;
        probe.index = index;
        if (OnlySections({probe}, sections).empty()) continue;
        const std::size_t i = static_cast<std::size_t>(index);
        const std::string address = i < dataSet.Address.size() ? dataSet.Address[i] : std::string();
        rows.push_back({WhatOf(index, address, DataPointName(index)),
                        std::to_string(PointValue(dataSet, index)), kNotRead});
    }
    if (!timingRead && sections.timing)
        rows.push_back({"PLS fields, speed compensations and channel setpoints", "", kNotRead});
    return rows;
}

} // namespace quelby
