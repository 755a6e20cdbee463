#pragma once

#include "app/data/DataSetCompare.h"
#include "app/data/MachineData.h"

#include <string>
#include <vector>

namespace quelby {

// One row of the comparison of the data set with the board: what the item is (named as
// quelby-cli compare names it), the data set's value and the board's, as texts.
struct BoardCompareRow {
    std::string what;
    std::string dataSet;
    std::string board;
    bool operator==(const BoardCompareRow&) const = default;
};

inline constexpr const char* kNotRead = "not read";

// The rows for the chosen sections: each item where `board` (the data set as uploaded from the
// board) differs from `dataSet`. A data point the board did not confirm (`unreadPoints`) is a
// row of its own with the board's value "not read", whether or not the values differ; with
// `timingRead` false (a PLS command failed) the timing section is one "not read" row. Never
// fails.
std::vector<BoardCompareRow> BoardCompareRows(const MachineData& dataSet, const MachineData& board,
                                              const std::vector<int>& unreadPoints, bool timingRead,
                                              const CompareSections& sections);

} // namespace quelby
