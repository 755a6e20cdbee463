#pragma once

#include "app/data/SetupParameters.h"

#include <array>
#include <cstdint>
#include <string>

namespace quelby {

// The Shift Data window's 85 display entries: 0 the last tripped spindle (B598), 1..24 the
// trips per spindle, 25..54 the current shift (six totals, then trips per spindle), 55..84
// the last shift laid out the same way. Entries 1..84 are data points 1..84 of the data set.
inline constexpr int kShiftDataEntries = 85;
inline constexpr int kSpindleCount = 24;
inline constexpr int kTrippedSpindleEntry = 0;
inline constexpr const char* kTrippedSpindleAddress = "B598";
inline constexpr const char* kTripOffsetAddress = "B1011";
inline constexpr int kTripOffsetDataPoint = 0;
inline constexpr int kTripOffsetMax = 23; // the trip offset field takes 0..23

// One page of the window: the entries it shows and the first of its 24 spindle entries
// (the last entry of the page is the last spindle).
struct ShiftDataPage {
    IndexRange entries;
    int firstSpindle;
};
inline constexpr std::array<ShiftDataPage, 3> kShiftDataPages{{
    {{0, 24}, 1},
    {{25, 54}, 31},
    {{55, 84}, 61},
}};

// The board address of entry `index`; empty outside 0..84. Never fails.
std::string ShiftDataAddress(int index);

// The sum of the 24 spindle values of `page` (0..2); 0 for another page. Summed wide, so
// values from a set-up file near the 32-bit limits add up without overflow. Never fails.
std::int64_t PageTripTotal(const std::array<std::int32_t, kShiftDataEntries>& values, int page);

} // namespace quelby
